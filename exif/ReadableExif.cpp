#include "exif/ReadableExif.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "exif/ExifBlock.h"
#include "exif/TiffView.h"

namespace {

constexpr int64_t kHeaderSize = 8;
constexpr uint32_t kTiffMagic = 0x002A;
constexpr int64_t kEntrySize = 12;
constexpr int64_t kInlineValueSize = 4;
// Marker, length and "Exif\0\0" in front of the TIFF structure of a segment.
constexpr size_t kSegmentHeadBytes = 10;
// Longer lists and binary values are named by their size only: a reader
// wants the camera's settings, not a strip table or a maker's private block.
constexpr uint32_t kMaxListedNumbers = 256;
constexpr int64_t kMaxHexBytes = 64;

constexpr uint16_t kExifIfdTag = 0x8769;
constexpr uint16_t kInteropIfdTag = 0xA005;
constexpr uint16_t kUserCommentTag = 0x9286;
constexpr std::string_view kAsciiCommentCode{"ASCII\0\0\0", 8};

enum ETiffType : uint16_t {
    kByte = 1,
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
    kSignedByte = 6,
    kUndefined = 7,
    kSignedShort = 8,
    kSignedLong = 9,
    kSignedRational = 10,
    kFloat = 11,
    kDouble = 12,
};

constexpr const char* kTypeNames[] = {"unknown",   "byte",  "ascii",     "short",  "long",
                                      "rational",  "sbyte", "undefined", "sshort", "slong",
                                      "srational", "float", "double"};
constexpr int kUnitSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

struct CTagAt {
    EExifDirectory directory;
    uint16_t tag;
};

constexpr CTagAt kDateTags[] = {
    {EExifDirectory::Ifd0, 0x0132}, {EExifDirectory::Exif, 0x9003}, {EExifDirectory::Exif, 0x9004}};
constexpr CTagAt kVersionTags[] = {{EExifDirectory::Exif, 0x9000},
                                   {EExifDirectory::Exif, 0xA000},
                                   {EExifDirectory::Interop, 0x0002}};

template <size_t N>
bool IsOneOf(const CReadableExifEntry& entry, const CTagAt (&tags)[N]) {
    return std::any_of(std::begin(tags), std::end(tags), [&entry](const CTagAt& t) {
        return t.directory == entry.m_directory && t.tag == entry.m_nTag;
    });
}

int UnitSize(uint16_t type) {
    return type < std::size(kUnitSizes) ? kUnitSizes[type] : 0;
}

void Omit(CReadableExifEntry& entry, std::string why) {
    entry.m_kind = EReadableKind::Omitted;
    entry.m_strText = std::move(why);
}

void SetText(CReadableExifEntry& entry, std::string text) {
    entry.m_kind = EReadableKind::Text;
    entry.m_strJson = text;
    entry.m_strText = std::move(text);
}

// Up to the first NUL, trailing spaces dropped (cameras pad fixed fields),
// control characters shown as '?' so that one value stays on one line.
std::string AsciiText(const uint8_t* bytes, int64_t count) {
    const uint8_t* end = std::find(bytes, bytes + count, 0);
    std::string text(bytes, end);
    text.erase(text.find_last_not_of(' ') + 1);
    std::replace_if(
        text.begin(), text.end(),
        [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        },
        '?');
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

int NumberAt(const std::string& text, size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// "YYYY:MM:DD HH:MM:SS" with a real month, day and time of day. Cameras
// without a clock write blanks or zeros, which stay text.
bool IsExifDate(const std::string& text) {
    constexpr std::string_view kForm = "dddd:dd:dd dd:dd:dd";
    if (text.size() != kForm.size()) {
        return false;
    }
    for (size_t i = 0; i < kForm.size(); ++i) {
        if (kForm[i] == 'd' ? !IsDigit(text[i]) : text[i] != kForm[i]) {
            return false;
        }
    }
    const int month = NumberAt(text, 5);
    const int day = NumberAt(text, 8);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && NumberAt(text, 11) <= 23 &&
           NumberAt(text, 14) <= 59 && NumberAt(text, 17) <= 60;
}

void DescribeAscii(const uint8_t* bytes, int64_t count, CReadableExifEntry& entry) {
    std::string text = AsciiText(bytes, count);
    if (!IsOneOf(entry, kDateTags) || !IsExifDate(text)) {
        SetText(entry, std::move(text));
        return;
    }
    text[4] = '-';
    text[7] = '-';
    SetText(entry, text);
    entry.m_strJson[10] = 'T';
}

std::string HexText(const uint8_t* bytes, int64_t count) {
    std::string hex;
    for (int64_t i = 0; i < count; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        hex += pair;
    }
    return hex;
}

void DescribeUndefined(const uint8_t* bytes, int64_t count, CReadableExifEntry& entry) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    if (IsOneOf(entry, kVersionTags) && IsDigits(raw)) {
        SetText(entry, std::string(raw));
    } else if (entry.m_directory == EExifDirectory::Exif && entry.m_nTag == kUserCommentTag &&
               raw.starts_with(kAsciiCommentCode)) {
        const int64_t codeSize = static_cast<int64_t>(kAsciiCommentCode.size());
        SetText(entry, AsciiText(bytes + codeSize, count - codeSize));
    } else if (count <= kMaxHexBytes) {
        SetText(entry, HexText(bytes, count));
    } else {
        Omit(entry, "(" + std::to_string(count) + " bytes)");
    }
}

std::string ShortestText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

uint64_t ReadNumber64(const CTiffView& tiff, int64_t position) {
    const uint64_t first = *tiff.ReadNumber(position, 4);
    const uint64_t second = *tiff.ReadNumber(position + 4, 4);
    return tiff.IsIntel() ? (second << 32 | first) : (first << 32 | second);
}

struct CNumber {
    double value;
    std::string text;
};

CNumber Fraction(int64_t numerator, int64_t denominator) {
    const double value = denominator == 0
                             ? std::nan("")
                             : static_cast<double>(numerator) / static_cast<double>(denominator);
    return {value, std::to_string(numerator) + "/" + std::to_string(denominator)};
}

CNumber Whole(int64_t value) {
    return {static_cast<double>(value), std::to_string(value)};
}

// One value of a numeric type at position, which the caller checked.
CNumber ReadOneNumber(const CTiffView& tiff, uint16_t type, int64_t position) {
    const auto unsignedAt = [&tiff](int64_t at, int size) {
        return int64_t{*tiff.ReadNumber(at, size)};
    };
    switch (type) {
        case kSignedByte:
            return Whole(static_cast<int8_t>(unsignedAt(position, 1)));
        case kSignedShort:
            return Whole(static_cast<int16_t>(unsignedAt(position, 2)));
        case kSignedLong:
            return Whole(static_cast<int32_t>(unsignedAt(position, 4)));
        case kRational:
            return Fraction(unsignedAt(position, 4), unsignedAt(position + 4, 4));
        case kSignedRational:
            return Fraction(static_cast<int32_t>(unsignedAt(position, 4)),
                            static_cast<int32_t>(unsignedAt(position + 4, 4)));
        case kFloat: {
            const float value = std::bit_cast<float>(*tiff.ReadNumber(position, 4));
            return {value, ShortestText(value)};
        }
        case kDouble: {
            const double value = std::bit_cast<double>(ReadNumber64(tiff, position));
            return {value, ShortestText(value)};
        }
        default:
            return Whole(unsignedAt(position, UnitSize(type)));
    }
}

void DescribeNumbers(const CTiffView& tiff, int64_t position, CReadableExifEntry& entry) {
    if (entry.m_nCount > kMaxListedNumbers) {
        Omit(entry, "(" + std::to_string(entry.m_nCount) + " values)");
        return;
    }
    entry.m_kind = EReadableKind::Numbers;
    const int unit = UnitSize(entry.m_nType);
    for (uint32_t i = 0; i < entry.m_nCount; ++i) {
        const CNumber number = ReadOneNumber(tiff, entry.m_nType, position + int64_t{unit} * i);
        entry.m_numbers.push_back(number.value);
        entry.m_strText += (i == 0 ? "" : ", ") + number.text;
    }
}

// The entry at start, whose 12 bytes the caller checked.
CReadableExifEntry ReadEntry(const CTiffView& tiff, int64_t start, EExifDirectory directory) {
    CReadableExifEntry entry;
    entry.m_directory = directory;
    entry.m_nTag = static_cast<uint16_t>(*tiff.ReadNumber(start, 2));
    entry.m_nType = static_cast<uint16_t>(*tiff.ReadNumber(start + 2, 2));
    entry.m_nCount = *tiff.ReadNumber(start + 4, 4);
    const int unit = UnitSize(entry.m_nType);
    if (unit == 0) {
        Omit(entry, "(unknown type " + std::to_string(entry.m_nType) + ")");
        return entry;
    }
    const int64_t byteCount = int64_t{unit} * entry.m_nCount;
    const int64_t position =
        byteCount <= kInlineValueSize ? start + 8 : int64_t{*tiff.ReadNumber(start + 8, 4)};
    if (!tiff.Holds(position, byteCount)) {
        Omit(entry, "(values outside the Exif structure)");
    } else if (entry.m_nType == kAscii) {
        DescribeAscii(tiff.At(position), byteCount, entry);
    } else if (entry.m_nType == kUndefined) {
        DescribeUndefined(tiff.At(position), byteCount, entry);
    } else {
        DescribeNumbers(tiff, position, entry);
    }
    return entry;
}

// Appends the entries of the directory at offset; nothing when its count
// does not lie inside the structure.
void ReadDirectory(const CTiffView& tiff, int64_t offset, EExifDirectory directory,
                   std::vector<CReadableExifEntry>& entries) {
    const std::optional<uint32_t> count = tiff.ReadNumber(offset, 2);
    for (int64_t k = 0; count && k < *count; ++k) {
        const int64_t start = offset + 2 + kEntrySize * k;
        if (!tiff.Holds(start, kEntrySize)) {
            return;
        }
        entries.push_back(ReadEntry(tiff, start, directory));
    }
}

// The offset that a pointer entry (one SHORT or LONG) of directory gives.
std::optional<int64_t> PointerIn(const std::vector<CReadableExifEntry>& entries,
                                 EExifDirectory directory, uint16_t tag) {
    for (const CReadableExifEntry& entry : entries) {
        if (entry.m_directory == directory && entry.m_nTag == tag &&
            (entry.m_nType == kShort || entry.m_nType == kLong) && entry.m_numbers.size() == 1) {
            return static_cast<int64_t>(entry.m_numbers[0]);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<CReadableExifEntry>> ReadExifTiff(const uint8_t* tiff, size_t length) {
    const CTiffView view(tiff, length);
    if (!view.Holds(0, kHeaderSize) || view.ReadNumber(2, 2) != kTiffMagic) {
        return std::nullopt;
    }
    // A fixed chain of three directories: offsets that point back cannot loop.
    std::vector<CReadableExifEntry> entries;
    ReadDirectory(view, *view.ReadNumber(4, 4), EExifDirectory::Ifd0, entries);
    if (const auto exif = PointerIn(entries, EExifDirectory::Ifd0, kExifIfdTag)) {
        ReadDirectory(view, *exif, EExifDirectory::Exif, entries);
    }
    if (const auto interop = PointerIn(entries, EExifDirectory::Exif, kInteropIfdTag)) {
        ReadDirectory(view, *interop, EExifDirectory::Interop, entries);
    }
    return entries;
}

std::optional<std::vector<CReadableExifEntry>> ReadExifOfFile(const ByteVector& file) {
    const std::optional<CExifCut> cut = CutExifSegment(file);
    if (cut && cut->block.size() > kSegmentHeadBytes) {
        if (auto entries = ReadExifTiff(cut->block.data() + kSegmentHeadBytes,
                                        cut->block.size() - kSegmentHeadBytes)) {
            return entries;
        }
    }
    return ReadExifTiff(file.data(), file.size());
}

const char* DirectoryName(EExifDirectory directory) {
    switch (directory) {
        case EExifDirectory::Ifd0:
            return "ifd0";
        case EExifDirectory::Exif:
            return "exif";
        case EExifDirectory::Interop:
            return "interop";
    }
    return "ifd0";
}

const char* TypeName(uint16_t type) {
    return kTypeNames[UnitSize(type) == 0 ? 0 : type];
}
