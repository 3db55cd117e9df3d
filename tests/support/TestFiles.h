// Small helpers for tests that write and read whole files and hex texts.
#pragma once

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

// The id of a process that has ended, for names that claim a maker long gone.
int EndedProcessId();

// The folder of shared sample files beside the checkout, or an empty path when
// this checkout has none.
std::filesystem::path SharedSamplesFolder();
// Every *.jpg the project ships below tests/data, and every one below the
// shared sample folder where there is one; sorted.
std::vector<std::filesystem::path> SampleJpegFiles();
