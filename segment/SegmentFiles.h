// Conversions between a segment list, its hex text file and the binary file.
// A list is turned into bytes only by the rules of the hex text file, so the
// bytes are the same whether the text went through the work file or not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "segment/SegmentList.h"
#include "util/FileBytes.h"

class CFileHandle;
class CMappedFile;

// Writes every segment's marker and data text, in order, with nothing between
// them. Returns the file length in characters. A file that cannot be created
// or written throws CFileException: a list that silently stayed unwritten
// would leave an older list to be saved in its place.
int64_t WriteSegmentsHex(const CSegmentList& list, const std::string& path);

// Turns a hex text file into the binary file (created anew). An odd last
// character is dropped. False when either file cannot be opened, or when the
// text holds a character that is not upper-case hex: the binary file then ends
// with the bytes before the 200-character slice that held it. A failed write
// throws CFileException.
bool HexFileToBinary(const std::string& hexPath, const std::string& binaryPath);

// The bytes HexFileToBinary makes of the file WriteSegmentsHex writes for
// list, without the two files: nothing where it would fail.
std::optional<ByteVector> SegmentsToBytes(const CSegmentList& list);

// The same bytes for a list whose every text is upper-case hex of even length
// (what the scanner and the editor make): then the file WriteSegmentsHex
// writes holds exactly their hex text. Nothing for any other list.
std::optional<ByteVector> PlainSegmentsToBytes(const CSegmentList& list);

// Writes the bytes SegmentsToBytes makes of list into file, a piece at a
// time, never holding them whole. False where SegmentsToBytes gives nothing
// (the file then holds some bytes of no use); a write error throws
// CFileException. Large data that lies in mapped, when given, has its pages
// given back once written.
bool WriteSegmentsBinary(const CSegmentList& list, const CFileHandle& file,
                         const CMappedFile* mapped = nullptr);

// Reads a binary file into its hex text. False when it cannot be read.
bool BinaryFileToHex(const std::string& path, std::string& hex);
