#include "util/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "util/FileError.h"
#include "util/FileHandle.h"

std::shared_ptr<const CMappedFile> CMappedFile::Open(const std::string& path) {
    const CFileHandle file(path, O_RDONLY);
    struct stat status {};
    if (!file.IsOpen() || ::fstat(file.Get(), &status) != 0) {
        throw CFileException(path, errno);
    }
    const auto size = static_cast<size_t>(status.st_size);
    if (size == 0) {
        return std::shared_ptr<const CMappedFile>(new CMappedFile(path, nullptr, 0));
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, file.Get(), 0);
    if (mapped == MAP_FAILED) {
        throw CFileException(path, errno);
    }
    // The file is read from front to back: the kernel may read ahead.
    ::madvise(mapped, size, MADV_SEQUENTIAL);
    return std::shared_ptr<const CMappedFile>(
        new CMappedFile(path, static_cast<const uint8_t*>(mapped), size));
}

CMappedFile::~CMappedFile() {
    if (m_pBytes != nullptr) {
        ::munmap(const_cast<uint8_t*>(m_pBytes), m_nSize);
    }
}

std::shared_ptr<const uint8_t> CMappedFile::Shared(std::shared_ptr<const CMappedFile> file) {
    const uint8_t* bytes = file->data();
    return std::shared_ptr<const uint8_t>(std::move(file), bytes);
}

bool CMappedFile::Holds(const uint8_t* bytes, size_t length) const {
    const auto begin = reinterpret_cast<uintptr_t>(m_pBytes);
    const auto at = reinterpret_cast<uintptr_t>(bytes);
    return m_pBytes != nullptr && at >= begin && at - begin <= m_nSize &&
           length <= m_nSize - (at - begin);
}

void CMappedFile::Release(size_t offset, size_t length) const {
    if (offset > m_nSize || length > m_nSize - offset) {
        return;
    }
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t first = (offset + page - 1) / page * page;
    // The last, partial page of the file counts as whole.
    const size_t end = offset + length == m_nSize ? m_nSize : (offset + length) / page * page;
    if (end > first) {
        ::madvise(const_cast<uint8_t*>(m_pBytes) + first, end - first, MADV_DONTNEED);
    }
}
