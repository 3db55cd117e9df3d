#include "util/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "util/FileHandle.h"

namespace {

std::optional<uint64_t> LengthOfOpenFile(const CFileHandle& file) {
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(status.st_size);
}

}  // namespace

std::optional<ByteVector> ReadFileBytes(const std::string& path) {
    const CFileHandle file(path, O_RDONLY);
    const std::optional<uint64_t> length = file.IsOpen() ? LengthOfOpenFile(file) : std::nullopt;
    if (!length) {
        return std::nullopt;
    }
    ByteVector bytes(*length);
    bytes.resize(file.ReadUpTo(bytes.data(), bytes.size()));  // shorter if the file shrank
    return bytes;
}

std::optional<uint64_t> FileLength(const std::string& path) {
    const CFileHandle file(path, O_RDONLY);
    return file.IsOpen() ? LengthOfOpenFile(file) : std::nullopt;
}
