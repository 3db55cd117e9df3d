#include "util/SafeReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
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
    throw CFileException(path, errno);
}

// A new, uniquely named file beside target, removed again unless it was
// renamed over it. It is recorded as temporary until then, so that a signal
// ending the process removes it too. Its failures name target: the user never
// chose the temporary name.
class CTemporaryBeside {
public:
    explicit CTemporaryBeside(const std::string& target)
        : m_strTarget(target), m_strPath(TemporaryPatternBeside(target)) {
        const int fd = CreateTemporaryFile(m_strPath);
        if (fd < 0) {
            ThrowFileError(m_strTarget);
        }
        ::close(fd);
        m_file = std::make_unique<CFileHandle>(m_strPath, O_WRONLY);
        if (!m_file->IsOpen()) {
            const int error = errno;
            RemoveTemporary(m_strPath);
            throw CFileException(m_strTarget, error);
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

    // Writes, gives the file mode, flushes it to disk and closes it. A failure
    // is thrown on under the target's name: it is not handled here.
    void WriteAndClose(const void* data, size_t size, mode_t mode) {
        try {
            m_file->WriteAll(data, size);
            if (::fchmod(m_file->Get(), mode) != 0 || ::fsync(m_file->Get()) != 0) {
                ThrowFileError(m_strPath);
            }
            m_file->CloseChecked();
        } catch (const CFileException& error) {
            throw CFileException(m_strTarget, error.Cause(), error.SystemError());
        }
    }

    void RenameOverTarget() {
        const int error = RenameTemporaryOver(m_strPath, m_strTarget);
        if (error != 0) {
            throw CFileException(m_strTarget, error);
        }
        m_bRenamed = true;
    }

private:
    std::string m_strTarget;
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
        throw CFileException(path, error.value());
    }
    return target.string();
}

// Refuses what the user cannot, or chose not to, write: a path without any
// write permission bit, or one the system would refuse (a read-only drive
// says so; a refused permission counts as read-only, as the user sees it).
void RequireWritable(const std::string& path, EFileFailure readOnly) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return;
    }
    if ((status.st_mode & kAnyWriteBit) == 0) {
        throw CFileException(path, readOnly);
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        const int error = errno;
        const EFileFailure cause = FileFailureOf(error);
        throw CFileException(path, cause == EFileFailure::NoPermission ? readOnly : cause, error);
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
        return {error.what(), error.Cause()};
    }
}

}  // namespace

void ReplaceFileSafely(const std::string& path, const void* data, size_t size) {
    const std::string target = FileBehindLinks(path);
    RequireWritable(target, EFileFailure::ReadOnlyFile);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    RequireWritable(folder.empty() ? "." : folder.string(), EFileFailure::ReadOnlyFolder);
    CTemporaryBeside temporary(target);
    temporary.WriteAndClose(data, size, ModeOf(target));
    temporary.RenameOverTarget();
}

CWriteOutcome WriteFileSafely(const std::string& path, const void* data, size_t size) {
    return Reported([&] { ReplaceFileSafely(path, data, size); });
}

void ReplaceFileWithCopy(const std::string& source, const std::string& destination) {
    errno = 0;
    const std::optional<ByteVector> bytes = ReadFileBytes(source);
    if (!bytes) {
        throw CFileException(source, errno);
    }
    ReplaceFileSafely(destination, bytes->data(), bytes->size());
}

CWriteOutcome CopyFileSafely(const std::string& source, const std::string& destination) {
    return Reported([&] { ReplaceFileWithCopy(source, destination); });
}

std::string CopyFailedMessage(const CWriteOutcome& outcome) {
    return (DiskMayBeFull(outcome.cause) ? kCopyFailedText : kCopyFailedAloneText) +
           std::string("\r\n") + outcome.failure;
}
