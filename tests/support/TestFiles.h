// Small helpers for tests that write and read whole files and hex texts.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

std::vector<uint8_t> BytesFromHex(const std::string& hex);
std::string HexFromBytes(const std::vector<uint8_t>& bytes);

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadTextFile(const std::string& path);

// Every file under folder with its bytes and modification time: equal
// snapshots mean nothing there was written.
using CFolderSnapshot =
    std::map<std::string, std::pair<std::vector<uint8_t>, std::filesystem::file_time_type>>;
CFolderSnapshot FolderSnapshot(const std::filesystem::path& folder);

// While it lives no file may grow past bytes: a write beyond fails with
// EFBIG, as on a full disk, instead of ending the process.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(uint64_t bytes);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_signal)(int);
};

// The entries of folder whose name marks a temporary file beside a user's file.
std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& folder);

// The id of a process that has ended, for names that claim a maker long gone.
int EndedProcessId();

// The folder of shared sample files beside the checkout, or an empty path when
// this checkout has none.
std::filesystem::path SharedSamplesFolder();
// Every *.jpg the project ships below tests/data, and every one below the
// shared sample folder where there is one; sorted.
std::vector<std::filesystem::path> SampleJpegFiles();
