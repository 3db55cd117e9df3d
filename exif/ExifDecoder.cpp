#include "exif/ExifDecoder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

#include "exif/TagDictionary.h"
#include "exif/TiffView.h"
#include "hexcodec/Cipher.h"
#include "util/TextHelpers.h"

namespace {

constexpr int64_t kHeaderSize = 8;
constexpr int64_t kIfd0OffsetPosition = 4;
constexpr uint32_t kTiffMagic = 0x002A;
constexpr int64_t kEntryCountSize = 2;
constexpr int64_t kEntrySize = 12;
constexpr int64_t kInlineValueSize = 4;
constexpr int kRationalUnitSize = 8;
constexpr size_t kHexCharsPerCall = 200;

constexpr char kExifIfdTag[] = "8769";
constexpr char kInteropIfdTag[] = "A005";
constexpr char kExposureTimeTag[] = "829A";
constexpr char kFNumberTag[] = "829D";

enum class EDirectory { Ifd0, Exif, Interop };

// One 12-byte directory entry; its position was checked before it was read.
struct CDirectoryEntry {
    std::string m_strTag;
    int m_nUnitSize;
    int32_t m_nCount;
    int32_t m_nValue;
    int64_t m_nValuePosition;
};

// Bytes per value of the TIFF types 0 to 12; 0 marks a type that does not exist.
constexpr int kUnitSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

int UnitSize(uint32_t type) {
    return type < std::size(kUnitSizes) ? kUnitSizes[type] : 0;
}

std::string TagText(uint32_t tag) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", tag);
    return text;
}

CDirectoryEntry ReadEntry(const CTiffView& tiff, int64_t start) {
    CDirectoryEntry entry;
    entry.m_strTag = TagText(*tiff.ReadNumber(start, 2));
    entry.m_nUnitSize = UnitSize(*tiff.ReadNumber(start + 2, 2));
    entry.m_nCount = *tiff.ReadInt32(start + 4);
    entry.m_nValuePosition = start + 8;
    entry.m_nValue = *tiff.ReadInt32(entry.m_nValuePosition);
    return entry;
}

// Letters and digits as themselves, every other byte as '.'. Locale-free on purpose.
std::string PrintableText(const uint8_t* bytes, int64_t count) {
    std::string text(static_cast<size_t>(count), '.');
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            text[static_cast<size_t>(i)] = static_cast<char>(b);
        }
    }
    return text;
}

std::string FractionText(int64_t n, int64_t d) {
    return std::to_string(n) + "/" + std::to_string(d);
}

// Whole seconds with one decimal, and below a second "1/" and the
// denominator over the numerator rounded half up. 64 bits keep every division
// of two 32-bit values from overflowing.
std::string ExposureText(int64_t n, int64_t d) {
    if (d == 0) {
        return std::to_string(n) + "/0";
    }
    if (n / d != 0) {
        return FormatOneDecimal(static_cast<double>(n) / static_cast<double>(d));
    }
    if (n > 0 && d > 0) {
        return "1/" + std::to_string((2 * d + n) / (2 * n));
    }
    return FractionText(n, d);
}

std::string FNumberText(int64_t n, int64_t d) {
    if (d == 0) {
        return "0";
    }
    // Appended rather than "F" + text: GCC 12 misreads the inlined insert at
    // the front of a temporary as an overlapping copy (-Wrestrict).
    std::string text = "F";
    text += FormatOneDecimal(static_cast<double>(n) / static_cast<double>(d));
    return text;
}

std::string RationalText(EDirectory directory, const std::string& tag, int32_t n, int32_t d) {
    if (directory != EDirectory::Ifd0 && tag == kExposureTimeTag) {
        return ExposureText(n, d);
    }
    if (directory == EDirectory::Exif && tag == kFNumberTag) {
        return FNumberText(n, d);
    }
    return FractionText(n, d);
}

// The display text of an entry's value, or nothing when the value cannot be
// read: a negative count, or values that do not lie inside the structure.
std::optional<std::string> ValueText(const CTiffView& tiff, const CDirectoryEntry& entry,
                                     EDirectory directory) {
    if (entry.m_nCount < 0) {
        return std::nullopt;
    }
    const int64_t byteCount = int64_t{entry.m_nUnitSize} * entry.m_nCount;
    if (byteCount <= kInlineValueSize) {
        const uint32_t inlineValue = *tiff.ReadNumber(entry.m_nValuePosition, byteCount);
        return std::to_string(static_cast<int32_t>(inlineValue));
    }
    if (!tiff.Holds(entry.m_nValue, byteCount)) {
        return std::nullopt;
    }
    if (entry.m_nUnitSize == kRationalUnitSize) {
        return RationalText(directory, entry.m_strTag, *tiff.ReadInt32(entry.m_nValue),
                            *tiff.ReadInt32(int64_t{entry.m_nValue} + 4));
    }
    return PrintableText(tiff.At(entry.m_nValue), byteCount);
}

// Walks the directory at offset into the dictionary's data. A directory that
// runs past the structure, or a value that cannot be read, ends this walk
// only. False when an entry of a type that does not exist ends the whole decode.
bool WalkDirectory(const CTiffView& tiff, int64_t offset, EDirectory directory,
                   CTagDictionary& dictionary, std::optional<int32_t>& exifIfdOffset) {
    const std::optional<uint32_t> entryCount = tiff.ReadNumber(offset, kEntryCountSize);
    if (!entryCount) {
        return true;
    }
    for (int64_t k = 0; k < *entryCount; ++k) {
        const int64_t start = offset + kEntryCountSize + kEntrySize * k;
        if (!tiff.Holds(start, kEntrySize)) {
            return true;
        }
        const CDirectoryEntry entry = ReadEntry(tiff, start);
        if (entry.m_nUnitSize == 0) {
            return false;
        }
        const std::optional<std::string> text = ValueText(tiff, entry, directory);
        if (!text) {
            return true;
        }
        dictionary.SetData(entry.m_strTag, *text);
        if (directory == EDirectory::Ifd0 && entry.m_strTag == kExifIfdTag) {
            exifIfdOffset = entry.m_nValue;
        }
    }
    return true;
}

// The Interoperability IFD offset that the walk stored as the data of A005,
// when that data is a whole decimal number.
std::optional<int64_t> InteropIfdOffset(const CTagDictionary& dictionary) {
    std::string data;
    if (!dictionary.LookupData(kInteropIfdTag, data) || data.empty()) {
        return std::nullopt;
    }
    int64_t offset = 0;
    const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), offset);
    if (error != std::errc() || end != data.data() + data.size()) {
        return std::nullopt;
    }
    return offset;
}

bool HasTiffHeader(const CTiffView& tiff) {
    return tiff.Holds(0, kHeaderSize) && tiff.ReadNumber(2, 2) == kTiffMagic;
}

// Each directory is walked at most once, so offsets that point back to an
// earlier directory cannot make the decode loop.
void WalkDirectories(const CTiffView& tiff, CTagDictionary& dictionary) {
    std::optional<int32_t> exifIfdOffset;
    if (!WalkDirectory(tiff, *tiff.ReadInt32(kIfd0OffsetPosition), EDirectory::Ifd0, dictionary,
                       exifIfdOffset)) {
        return;
    }
    std::optional<int32_t> unused;
    if (exifIfdOffset &&
        !WalkDirectory(tiff, *exifIfdOffset, EDirectory::Exif, dictionary, unused)) {
        return;
    }
    if (const std::optional<int64_t> interopOffset = InteropIfdOffset(dictionary)) {
        WalkDirectory(tiff, *interopOffset, EDirectory::Interop, dictionary, unused);
    }
}

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The bytes of the leading run of whole upper-case hex pairs among the first
// maxChars characters; the first other character ends the run.
std::vector<uint8_t> HexPrefixToBytes(const std::string& hex, size_t maxChars) {
    const auto first = hex.begin();
    const size_t run = static_cast<size_t>(
        std::find_if_not(first, first + static_cast<std::ptrdiff_t>(maxChars), IsUpperHexDigit) -
        first);
    const size_t pairChars = run - run % 2;
    std::vector<uint8_t> bytes;
    bytes.reserve(pairChars / 2);
    const CCipher cipher;
    char slice[kHexCharsPerCall + 1];
    unsigned char sliceBytes[kHexCharsPerCall / 2 + 1];
    for (size_t position = 0; position < pairChars; position += kHexCharsPerCall) {
        const size_t chars = std::min(kHexCharsPerCall, pairChars - position);
        hex.copy(slice, chars, position);
        slice[chars] = '\0';
        const int count = cipher.CharHex2Bin(sliceBytes, slice);
        bytes.insert(bytes.end(), sliceBytes, sliceBytes + count);
    }
    return bytes;
}

}  // namespace

bool DecodeExifTiff(const uint8_t* tiff, size_t length, CTagDictionary& dictionary) {
    dictionary.ClearData();
    const CTiffView view(tiff, length);
    if (!HasTiffHeader(view)) {
        return false;
    }
    WalkDirectories(view, dictionary);
    return true;
}

bool HoldsTiffHeader(const uint8_t* tiff, size_t length) {
    return HasTiffHeader(CTiffView(tiff, length));
}

bool DecodeExifHex(const std::string& hex, size_t length, CTagDictionary& dictionary) {
    const size_t usable = std::min(length, hex.size());
    // The header is checked first, so that a whole file that is no TIFF
    // structure is not converted in vain.
    const std::vector<uint8_t> header =
        HexPrefixToBytes(hex, std::min<size_t>(usable, 2 * kHeaderSize));
    if (!HasTiffHeader(CTiffView(header.data(), header.size()))) {
        dictionary.ClearData();
        return false;
    }
    const std::vector<uint8_t> tiff = HexPrefixToBytes(hex, usable);
    return DecodeExifTiff(tiff.data(), tiff.size(), dictionary);
}
