#include "util/FileHandle.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

#include "util/FileError.h"

namespace {

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(path, errno);
}

}  // namespace

CFileHandle::CFileHandle(const std::string& path, int flags, unsigned mode)
    : m_fd(::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode))), m_strPath(path) {}

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
