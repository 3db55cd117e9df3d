#include "util/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

#include "util/FileError.h"

namespace {

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(path, errno);
}

// The open descriptor's kind, checked after the open so that nothing can
// swap the file in between: 0 for a regular file, otherwise the errno to report.
int RefusalOfOpenFile(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return errno;
    }
    if (S_ISREG(status.st_mode)) {
        return 0;
    }
    return S_ISDIR(status.st_mode) ? EISDIR : ENXIO;
}

}  // namespace

int OpenRegularFile(const std::string& path, int flags, unsigned mode) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        return -1;
    }
    int refusal = RefusalOfOpenFile(fd);
    if (refusal == 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        refusal = errno;
    }
    if (refusal != 0) {
        ::close(fd);
        errno = refusal;
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularFileForReading(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr && fd >= 0) {
        ::close(fd);
    }
    return file;
}

CFileHandle::CFileHandle(const std::string& path, int flags, unsigned mode)
    : m_fd(OpenRegularFile(path, flags, mode)), m_strPath(path) {}

CFileHandle::~CFileHandle() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

size_t CFileHandle::ReadUpTo(void* buffer, size_t size) const {
    auto* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(m_fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ThrowFileError(m_strPath);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

void CFileHandle::SeekTo(uint64_t offset) const {
    if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        ThrowFileError(m_strPath);
    }
}

void CFileHandle::WriteAll(const void* data, size_t size) const {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            ThrowFileError(m_strPath);
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void CFileHandle::CloseChecked() {
    if (::close(std::exchange(m_fd, -1)) != 0) {
        ThrowFileError(m_strPath);
    }
}
