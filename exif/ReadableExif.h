// Exif values as a command-line user reads them: ASCII as text, dates as
// dates, version tags as their digits, numbers as numbers. The window keeps
// its own display texts (ExifDecoder); this reads the same directories (IFD0,
// the Exif IFD, the Interoperability IFD) without the tag dictionary, so that
// every entry found is listed. Every offset and count is checked before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using ByteVector = std::vector<uint8_t>;

enum class EExifDirectory { Ifd0, Exif, Interop };

// Text: the value is m_strJson as a JSON string (a date there in the form
// "YYYY-MM-DDTHH:MM:SS"). Numbers: m_numbers, one per value (a rational with
// denominator 0 is NaN). Omitted: the value is not given (too long, an
// unknown type, or lying outside the structure); m_strText says why.
enum class EReadableKind { Text, Numbers, Omitted };

struct CReadableExifEntry {
    EExifDirectory m_directory = EExifDirectory::Ifd0;
    uint16_t m_nTag = 0;
    uint16_t m_nType = 0;
    uint32_t m_nCount = 0;
    EReadableKind m_kind = EReadableKind::Omitted;
    // What the text output shows: ASCII without its NUL, a date as
    // "YYYY-MM-DD HH:MM:SS", a rational as "1/200", several numbers joined
    // by ", ", short undefined bytes as upper-case hex.
    std::string m_strText;
    std::string m_strJson;
    std::vector<double> m_numbers;
};

// The entries of a TIFF structure in file order; nothing when it does not
// start with a TIFF header. A directory that runs past the structure ends
// with its last whole entry.
std::optional<std::vector<CReadableExifEntry>> ReadExifTiff(const uint8_t* tiff, size_t length);

// The entries of a whole file's first Exif block, or of the file itself
// when it is a bare TIFF structure (as the window's probe accepts).
std::optional<std::vector<CReadableExifEntry>> ReadExifOfFile(const ByteVector& file);

// "ifd0", "exif", "interop".
const char* DirectoryName(EExifDirectory directory);
// The TIFF type in lower case ("ascii", "rational", ...); "unknown" for a
// type number that does not exist.
const char* TypeName(uint16_t type);
