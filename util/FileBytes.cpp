#include "util/FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/FileError.h"

namespace {

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    ~CFileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

std::optional<uint64_t> LengthOfOpenFile(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(status.st_size);
}

}  // namespace

std::optional<ByteVector> ReadFileBytes(const std::string& path) {
    const CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        return std::nullopt;
    }
    const std::optional<uint64_t> length = LengthOfOpenFile(file.Get());
    if (!length) {
        return std::nullopt;
    }
    ByteVector bytes(*length);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw CFileException(std::strerror(errno), path);
        }
        if (got == 0) {
            bytes.resize(done);  // the file shrank while it was read
            break;
        }
        done += static_cast<size_t>(got);
    }
    return bytes;
}

std::optional<uint64_t> FileLength(const std::string& path) {
    const CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        return std::nullopt;
    }
    return LengthOfOpenFile(file.Get());
}
