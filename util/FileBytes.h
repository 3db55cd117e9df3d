// Reading and writing whole files as bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using ByteVector = std::vector<uint8_t>;

// The whole file, or nothing when it cannot be opened or is no regular file
// (a named pipe is refused at once, never waited on). A read error after a
// successful open throws CFileException.
std::optional<ByteVector> ReadFileBytes(const std::string& path);

// Length of the file in bytes, or nothing when it cannot be opened for
// reading or is no regular file.
std::optional<uint64_t> FileLength(const std::string& path);
