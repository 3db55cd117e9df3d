// Replacing a file of the user without ever leaving it half-written: the new
// content goes to a temporary file beside it, is flushed to disk, and is then
// renamed over the original. A full disk, a killed process or a failed write
// leaves the original as it was.
#pragma once

#include <cstddef>
#include <string>

// Replaces path (or creates it) with size bytes of data. The original's
// permission bits are kept; a symbolic link keeps pointing to its file, which
// gets the new content. A file or folder without any write permission bit is
// refused even where the system would let the write through (root may write
// anywhere, yet a file made read-only was made so on purpose). Throws
// CFileException when any step fails or is refused; the original is then
// unchanged and the temporary file is removed.
void ReplaceFileSafely(const std::string& path, const void* data, size_t size);

// What the program tells the user when a copy of a result over a file failed;
// the system's reason may follow on a line of its own.
inline constexpr char kCopyFailedText[] = "ﾌｧｲﾙｺﾋﾟｰに失敗しました。ﾃﾞｨｽｸ容量を確認して下さい";

// What a replacement that reports instead of throwing came to.
struct CWriteOutcome {
    // Empty when the file was written; otherwise the reason and the path, as
    // "<reason>: <path>", for the user. path is then as it was.
    std::string failure;

    explicit operator bool() const { return failure.empty(); }
};

// ReplaceFileSafely, reporting instead of throwing.
CWriteOutcome WriteFileSafely(const std::string& path, const void* data, size_t size);

// Copies source over destination through ReplaceFileSafely.
CWriteOutcome CopyFileSafely(const std::string& source, const std::string& destination);
