// Small file operations shared by the wizards, batches and tools. Plain
// functions on paths; none keeps state and none shows a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/FileBytes.h"

class CFileHandle;

// Copies source onto destination. True when the copy ran, false when the source or
// the destination cannot be opened or is no regular file; in that case the
// destination is left as it was. When both name the same file (any spelling, hard links included)
// nothing is written and the result is true. A read or write error after both
// were opened throws CFileException and may leave the destination partly written.
bool CopyFileBlocks(const std::string& source, const std::string& destination);

// Moves everything from byte from to the end of file forward to byte to
// (before it) and ends the file behind it, a block at a time: the bytes in
// between go without a copy of the file being held. Errors throw CFileException.
void CloseFileGap(const CFileHandle& file, uint64_t to, uint64_t from);
// Moves everything from byte from to the end of file (size bytes long) back
// to byte to (behind it), a block at a time from the end, leaving the bytes
// in between for the caller to write.
void OpenFileGap(const CFileHandle& file, uint64_t from, uint64_t to, uint64_t size);

// The upper-case hex text of bytes: no terminator, no line breaks.
std::string HexTextOf(const ByteVector& bytes);

// How a file that exists already is written.
enum class EFileWrite {
    // Emptied first.
    Anew,
    // Written over, then cut to its new length: a large work file rewritten
    // again and again. Emptying it first frees every block and page of the
    // old content only to take as many again, and waits for their write to
    // disk: for 40 MB here 30 ms against 5 ms written over. A failure leaves
    // new bytes in front of old ones, so only for files that need no care.
    OverOld,
};

// Creates path holding the upper-case hex text of size bytes, made a piece
// at a time, so the whole text is never held. A file that cannot be created
// or written throws CFileException.
void WriteHexTextFile(const std::string& path, const uint8_t* bytes, size_t size,
                      EFileWrite how = EFileWrite::Anew);

// Writes the upper-case hex text of the source's bytes to destination, a
// piece at a time: no terminator, no line breaks. When the source cannot be read the destination
// is still created empty, so an earlier result is never taken for this one.
// A read or write error throws CFileException.
void BinaryFileToHexFile(const std::string& source, const std::string& destination);

// Creates path holding exactly bytes. False when it cannot be created; a
// write error throws CFileException.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool WriteWholeFile(const std::string& path, const void* data, size_t size,
                    EFileWrite how = EFileWrite::Anew);

// True when path names something other than a folder that may be read.
bool FileExists(const std::string& path);

// path made absolute, without "." and ".." parts, as the user is shown a
// file's name; path itself when the working folder cannot be found.
std::string AbsolutePath(const std::string& path);

// The folder of the running program, ending with "/"; empty when unknown.
std::string GetProgramFolder();

// Starts xdg-open on the absolute form of path without waiting for it. True
// when the program could be started; what it then does is not reported.
bool OpenWithAssociatedApp(const std::string& path);
