// An open file descriptor that closes itself, with the reads and writes that
// the file modules share. Failures after a successful open throw CFileException
// naming the path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Opens path with the open(2) flags only when it names a regular file (or
// creates one): a named pipe, device, socket or folder is refused with -1 and
// errno EISDIR for a folder, ENXIO otherwise. The open itself never waits, so
// a named pipe that nobody writes to cannot hang the program. The descriptor
// is closed on exec.
int OpenRegularFile(const std::string& path, int flags, unsigned mode = 0666);

// OpenRegularFile for reading, as a stream; nullptr when refused.
std::FILE* OpenRegularFileForReading(const std::string& path);

class CFileHandle {
public:
    // Opens path through OpenRegularFile; IsOpen() tells whether that worked.
    CFileHandle(const std::string& path, int flags, unsigned mode = 0666);
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    ~CFileHandle();

    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    const std::string& Path() const { return m_strPath; }

    // Reads until size bytes or the end of the file; the count read.
    size_t ReadUpTo(void* buffer, size_t size) const;
    // Moves the position for the next read or write to offset from the start.
    void SeekTo(uint64_t offset) const;
    void WriteAll(const void* data, size_t size) const;
    // Closes at once; a failed close can be the first report of a lost write.
    void CloseChecked();

private:
    int m_fd;
    std::string m_strPath;
};
