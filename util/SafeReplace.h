// Replacing a file of the user without ever leaving it half-written: the new
// content goes to a temporary file beside it, is flushed to disk, and is then
// renamed over the original. A full disk, a killed process or a failed write
// leaves the original as it was.
#pragma once

#include <cstddef>
#include <string>

// Replaces path (or creates it) with size bytes of data. The original's
// permission bits are kept. Throws CFileException when any step fails; the
// original is then unchanged and the temporary file is removed.
void ReplaceFileSafely(const std::string& path, const void* data, size_t size);

// ReplaceFileSafely, false instead of the exception: path is then as it was.
bool WriteFileSafely(const std::string& path, const void* data, size_t size);

// Copies source over destination through ReplaceFileSafely. False when the
// source cannot be read or the replacement fails; destination is then as it was.
bool CopyFileSafely(const std::string& source, const std::string& destination);
