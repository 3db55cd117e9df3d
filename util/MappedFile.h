// A file's bytes mapped read-only, for a large work file that is read through
// from front to back. The pages read count as the process's memory until they
// are given back, so a reader releases what it has passed; a later read maps
// them again from the file.
//
// The file must keep its length while it is mapped: a mapping of a file
// that another writer shortens fails on access. Only work files of the
// program's own are mapped, never a file of the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

class CMappedFile {
public:
    // Maps the whole of path. A file that cannot be opened or mapped throws
    // CFileException; an empty file maps to no bytes.
    static std::shared_ptr<const CMappedFile> Open(const std::string& path);

    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;
    ~CMappedFile();

    const std::string& Path() const { return m_strPath; }
    const uint8_t* data() const { return m_pBytes; }
    size_t size() const { return m_nSize; }
    std::span<const uint8_t> Bytes() const { return {m_pBytes, m_nSize}; }
    // The bytes as a pointer that keeps the mapping alive.
    static std::shared_ptr<const uint8_t> Shared(std::shared_ptr<const CMappedFile> file);

    // True when [bytes, bytes + length) lies inside the mapping.
    bool Holds(const uint8_t* bytes, size_t length) const;
    // Gives back the pages that lie wholly inside [offset, offset + length).
    void Release(size_t offset, size_t length) const;
    // Bytes a reader passes before it gives their pages back: few calls, and
    // little of the file in memory at any time.
    static constexpr size_t kReleaseStep = 4 << 20;

private:
    CMappedFile(std::string path, const uint8_t* bytes, size_t size)
        : m_strPath(std::move(path)), m_pBytes(bytes), m_nSize(size) {}

    std::string m_strPath;
    const uint8_t* m_pBytes;
    size_t m_nSize;
};
