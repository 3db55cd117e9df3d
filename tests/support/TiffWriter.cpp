#include "tests/support/TiffWriter.h"

namespace {

constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr uint16_t kTypeSignedRational = 10;
constexpr uint16_t kExifIfdTag = 0x8769;
constexpr uint16_t kInteropIfdTag = 0xA005;
constexpr uint32_t kHeaderSize = 8;
constexpr uint32_t kEntrySize = 12;

size_t Index(EIfd ifd) {
    return static_cast<size_t>(ifd);
}

uint32_t DirectorySize(size_t entries) {
    return static_cast<uint32_t>(2 + kEntrySize * entries + 4);
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

CTiffWriter& CTiffWriter::Ascii(EIfd ifd, uint16_t tag, const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return Entry(ifd, tag, kTypeAscii, static_cast<uint32_t>(bytes.size()), bytes);
}

CTiffWriter& CTiffWriter::Short(EIfd ifd, uint16_t tag, uint16_t value) {
    return Entry(ifd, tag, kTypeShort, 1, Number(value, 2));
}

CTiffWriter& CTiffWriter::Long(EIfd ifd, uint16_t tag, uint32_t value) {
    return Entry(ifd, tag, kTypeLong, 1, Number(value, 4));
}

CTiffWriter& CTiffWriter::Rational(EIfd ifd, uint16_t tag, uint32_t numerator,
                                   uint32_t denominator) {
    std::vector<uint8_t> bytes = Number(numerator, 4);
    Append(bytes, Number(denominator, 4));
    return Entry(ifd, tag, kTypeRational, 1, bytes);
}

CTiffWriter& CTiffWriter::SignedRational(EIfd ifd, uint16_t tag, int32_t numerator,
                                         int32_t denominator) {
    std::vector<uint8_t> bytes = Number(static_cast<uint32_t>(numerator), 4);
    Append(bytes, Number(static_cast<uint32_t>(denominator), 4));
    return Entry(ifd, tag, kTypeSignedRational, 1, bytes);
}

CTiffWriter& CTiffWriter::Entry(EIfd ifd, uint16_t tag, uint16_t type, uint32_t count,
                                const std::vector<uint8_t>& valueBytes) {
    m_directories[Index(ifd)].push_back({tag, type, count, valueBytes});
    return *this;
}

std::vector<uint8_t> CTiffWriter::Number(uint32_t value, int size) const {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < size; ++i) {
        const int shift = m_order == EByteOrder::Intel ? 8 * i : 8 * (size - 1 - i);
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    return bytes;
}

// The pointer entries come first, so that a test can damage a directory after
// its pointer was read.
std::vector<CTiffWriter::CEntry> CTiffWriter::DirectoryWithPointers(EIfd ifd, uint32_t exifOffset,
                                                                    uint32_t interopOffset) const {
    const bool hasInterop = !m_directories[Index(EIfd::Interop)].empty();
    const bool hasExif = hasInterop || !m_directories[Index(EIfd::Exif)].empty();
    std::vector<CEntry> entries;
    if (ifd == EIfd::Ifd0 && hasExif) {
        entries.push_back({kExifIfdTag, kTypeLong, 1, Number(exifOffset, 4)});
    }
    if (ifd == EIfd::Exif && hasInterop) {
        entries.push_back({kInteropIfdTag, kTypeLong, 1, Number(interopOffset, 4)});
    }
    const std::vector<CEntry>& own = m_directories[Index(ifd)];
    entries.insert(entries.end(), own.begin(), own.end());
    return entries;
}

void CTiffWriter::AppendDirectory(std::vector<uint8_t>& out, const std::vector<CEntry>& entries,
                                  uint32_t valuesStart, std::vector<uint8_t>& values) const {
    Append(out, Number(static_cast<uint32_t>(entries.size()), 2));
    for (const CEntry& entry : entries) {
        Append(out, Number(entry.tag, 2));
        Append(out, Number(entry.type, 2));
        Append(out, Number(entry.count, 4));
        std::vector<uint8_t> field = entry.valueBytes;
        if (field.size() > 4) {
            field = Number(valuesStart + static_cast<uint32_t>(values.size()), 4);
            Append(values, entry.valueBytes);
            values.resize(values.size() + values.size() % 2);
        }
        field.resize(4);
        Append(out, field);
    }
    Append(out, Number(0, 4));
}

// Layout: header, IFD0, Exif IFD, Interoperability IFD (each only when it has
// entries), then the values that do not fit in their entries, each at an even offset.
std::vector<uint8_t> CTiffWriter::Build() const {
    std::vector<uint32_t> offsets;
    uint32_t next = kHeaderSize;
    for (EIfd ifd : {EIfd::Ifd0, EIfd::Exif, EIfd::Interop}) {
        offsets.push_back(next);
        const size_t entries = DirectoryWithPointers(ifd, 0, 0).size();
        if (ifd == EIfd::Ifd0 || entries > 0) {
            next += DirectorySize(entries);
        }
    }
    const uint32_t valuesStart = next;

    std::vector<uint8_t> out = m_order == EByteOrder::Intel ? std::vector<uint8_t>{'I', 'I'}
                                                            : std::vector<uint8_t>{'M', 'M'};
    Append(out, Number(0x2A, 2));
    Append(out, Number(kHeaderSize, 4));
    std::vector<uint8_t> values;
    for (EIfd ifd : {EIfd::Ifd0, EIfd::Exif, EIfd::Interop}) {
        const std::vector<CEntry> entries =
            DirectoryWithPointers(ifd, offsets[Index(EIfd::Exif)], offsets[Index(EIfd::Interop)]);
        if (ifd == EIfd::Ifd0 || !entries.empty()) {
            AppendDirectory(out, entries, valuesStart, values);
        }
    }
    Append(out, values);
    return out;
}
