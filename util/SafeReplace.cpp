#include "util/SafeReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/TemporaryPaths.h"

namespace {

constexpr mode_t kNewFileMode = 0644;

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(std::strerror(errno), path);
}

// A new, uniquely named file beside path, removed again unless it was renamed
// over the original. It is recorded as temporary until then, so that a signal
// ending the process removes it too.
class CTemporaryBeside {
public:
    explicit CTemporaryBeside(const std::string& path) : m_strPath(path + ".kestrin-XXXXXX") {
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

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : kNewFileMode;
}

}  // namespace

void ReplaceFileSafely(const std::string& path, const void* data, size_t size) {
    CTemporaryBeside temporary(path);
    temporary.File().WriteAll(data, size);
    temporary.FlushAndClose(ModeOf(path));
    temporary.RenameOver(path);
}

bool WriteFileSafely(const std::string& path, const void* data, size_t size) {
    try {
        ReplaceFileSafely(path, data, size);
        return true;
    } catch (const CFileException&) {
        return false;
    }
}

bool CopyFileSafely(const std::string& source, const std::string& destination) {
    try {
        const std::optional<ByteVector> bytes = ReadFileBytes(source);
        if (!bytes) {
            return false;
        }
        ReplaceFileSafely(destination, bytes->data(), bytes->size());
        return true;
    } catch (const CFileException&) {
        return false;
    }
}
