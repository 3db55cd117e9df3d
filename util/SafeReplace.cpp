#include "util/SafeReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "util/DebrisSweep.h"
#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/TemporaryPaths.h"

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kAnyWriteBit = 0222;

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(std::strerror(errno), path);
}

// A new, uniquely named file beside path, removed again unless it was renamed
// over the original. It is recorded as temporary until then, so that a signal
// ending the process removes it too.
class CTemporaryBeside {
public:
    explicit CTemporaryBeside(const std::string& path) : m_strPath(TemporaryPatternBeside(path)) {
        const int fd = CreateTemporaryFile(m_strPath);
        if (fd < 0) {
            ThrowFileError(path);
        }
        ::close(fd);
        m_file = std::make_unique<CFileHandle>(m_strPath, O_WRONLY);
        if (!m_file->IsOpen()) {
            const int error = errno;
            RemoveTemporary(m_strPath);
            throw CFileException(std::strerror(error), m_strPath);
        }
    }
    CTemporaryBeside(const CTemporaryBeside&) = delete;
    CTemporaryBeside& operator=(const CTemporaryBeside&) = delete;
    ~CTemporaryBeside() {
        m_file.reset();
        if (!m_bRenamed) {
            RemoveTemporary(m_strPath);
        }
    }

    CFileHandle& File() { return *m_file; }

    void FlushAndClose(mode_t mode) {
        if (::fchmod(m_file->Get(), mode) != 0 || ::fsync(m_file->Get()) != 0) {
            ThrowFileError(m_strPath);
        }
        m_file->CloseChecked();
    }

    void RenameOver(const std::string& path) {
        const int error = RenameTemporaryOver(m_strPath, path);
        if (error != 0) {
            throw CFileException(std::strerror(error), path);
        }
        m_bRenamed = true;
    }

private:
    std::string m_strPath;
    std::unique_ptr<CFileHandle> m_file;
    bool m_bRenamed = false;
};

// The file a symbolic link points to, so that the link survives; any other
// path as it is.
std::string FileBehindLinks(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error) {
        throw CFileException(error.message(), path);
    }
    return target.string();
}

// Refuses what the user cannot, or chose not to, write: a path without any
// write permission bit, or one the system would refuse.
void RequireWritable(const std::string& path, const char* refusal) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return;
    }
    if ((status.st_mode & kAnyWriteBit) == 0 ||
        ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        throw CFileException(refusal, path);
    }
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : kNewFileMode;
}

CWriteOutcome Reported(const std::function<void()>& write) {
    try {
        write();
        return {};
    } catch (const CFileException& error) {
        return {error.what()};
    }
}

}  // namespace

void ReplaceFileSafely(const std::string& path, const void* data, size_t size) {
    const std::string target = FileBehindLinks(path);
    RequireWritable(target, "read-only file, left as it was");
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    RequireWritable(folder.empty() ? "." : folder.string(),
                    "read-only folder, nothing written in it");
    CTemporaryBeside temporary(target);
    temporary.File().WriteAll(data, size);
    temporary.FlushAndClose(ModeOf(target));
    temporary.RenameOver(target);
}

CWriteOutcome WriteFileSafely(const std::string& path, const void* data, size_t size) {
    return Reported([&] { ReplaceFileSafely(path, data, size); });
}

CWriteOutcome CopyFileSafely(const std::string& source, const std::string& destination) {
    return Reported([&] {
        const std::optional<ByteVector> bytes = ReadFileBytes(source);
        if (!bytes) {
            throw CFileException("cannot be read", source);
        }
        ReplaceFileSafely(destination, bytes->data(), bytes->size());
    });
}
