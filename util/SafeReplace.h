// Replacing a file of the user without ever leaving it half-written: the new
// content goes to a temporary file beside it, is flushed to disk, and is then
// renamed over the original. A full disk, a killed process or a failed write
// leaves the original as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/FileFailure.h"
#include "util/TemporaryFile.h"

// Replaces path (or creates it) with size bytes of data. The original's
// permission bits are kept; a symbolic link keeps pointing to its file, which
// gets the new content. A file or folder without any write permission bit is
// refused even where the system would let the write through (root may write
// anywhere, yet a file made read-only was made so on purpose). Throws
// CFileException when any step fails or is refused; the original is then
// unchanged and the temporary file is removed.
void ReplaceFileSafely(const std::string& path, const void* data, size_t size);

// A replacement written in pieces, for content too large to hold: refused as
// ReplaceFileSafely refuses, written to a temporary file beside the file,
// and renamed over it by Commit. Ending without Commit leaves the file as it
// was and removes the temporary file. Every failure throws CFileException
// naming the file (the user never chose the temporary name).
class CSafeReplacement {
public:
    explicit CSafeReplacement(const std::string& path);
    CSafeReplacement(const CSafeReplacement&) = delete;
    CSafeReplacement& operator=(const CSafeReplacement&) = delete;
    ~CSafeReplacement();

    void Write(const void* data, size_t size);
    // Appends source's bytes from offset to its end, a block at a time. A
    // source that cannot be opened or read throws naming source.
    void CopyFrom(const std::string& source, uint64_t offset);
    // Gives the file's mode, flushes to disk and closes: from here the
    // temporary file holds the whole content, to be checked before Commit.
    void Finish();
    const std::string& TemporaryPath() const { return m_temporary.Path(); }
    void Commit();

private:
    static std::string CheckedTarget(const std::string& path);

    std::string m_strTarget;
    CTemporaryFile m_temporary;
};

// Copies source over destination through a CSafeReplacement. Throws
// CFileException naming source when it cannot be read.
void ReplaceFileWithCopy(const std::string& source, const std::string& destination);

// What a replacement that reports instead of throwing came to.
struct CWriteOutcome {
    // Empty when the file was written; otherwise the path and why, as the
    // user is told (FileFailureMessage). path is then as it was.
    std::string failure;
    EFileFailure cause = EFileFailure::Unknown;

    explicit operator bool() const { return failure.empty(); }
};

// ReplaceFileSafely, reporting instead of throwing: for a batch or a save
// that tells the failure in its own words and goes on, its contract is this
// typed result, so it catches the CFileException.
CWriteOutcome WriteFileSafely(const std::string& path, const void* data, size_t size);

// ReplaceFileWithCopy, reporting instead of throwing.
CWriteOutcome CopyFileSafely(const std::string& source, const std::string& destination);

// What the program tells the user when a copy of a result over a file failed
// and why is not known; its advice fits a full disk only.
inline constexpr char kCopyFailedText[] = "ﾌｧｲﾙｺﾋﾟｰに失敗しました。ﾃﾞｨｽｸ容量を確認して下さい";
inline constexpr char kCopyFailedAloneText[] = "ﾌｧｲﾙｺﾋﾟｰに失敗しました。";

// The copy-failure message for a failed outcome, the path and its cause on
// the next line: the advice to check the disk only when the disk may be full.
std::string CopyFailedMessage(const CWriteOutcome& outcome);
