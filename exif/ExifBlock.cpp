#include "exif/ExifBlock.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<uint8_t, 6> kSignature = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kMarkerAndLength = 4;
constexpr size_t kMaxSegmentLength = 0xFFFF;
constexpr uint16_t kThumbnailLengthTag = 0x0202;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr size_t kEntryBytes = 12;

uint16_t BigEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

// Reads and writes the numbers of a TIFF structure in its own byte order,
// refusing every access that does not lie wholly inside it.
class CTiffFields {
public:
    CTiffFields(uint8_t* tiff, size_t length)
        : m_pTiff(tiff),
          m_nLength(length),
          m_bIntel(length >= 2 && tiff[0] == 'I' && tiff[1] == 'I') {}

    std::optional<uint32_t> Read(uint64_t offset, int bytes) const {
        if (!Inside(offset, bytes)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            const int shift = m_bIntel ? 8 * i : 8 * (bytes - 1 - i);
            value |= static_cast<uint32_t>(m_pTiff[offset + static_cast<uint64_t>(i)]) << shift;
        }
        return value;
    }

    bool Write(uint64_t offset, int bytes, uint32_t value) {
        if (!Inside(offset, bytes)) {
            return false;
        }
        for (int i = 0; i < bytes; ++i) {
            const int shift = m_bIntel ? 8 * i : 8 * (bytes - 1 - i);
            m_pTiff[offset + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> shift);
        }
        return true;
    }

private:
    bool Inside(uint64_t offset, int bytes) const {
        return offset <= m_nLength && static_cast<uint64_t>(bytes) <= m_nLength - offset;
    }

    uint8_t* m_pTiff;
    size_t m_nLength;
    bool m_bIntel;
};

// Offset of IFD1: the link that follows IFD0's entries.
std::optional<uint64_t> Ifd1Offset(const CTiffFields& fields) {
    const std::optional<uint32_t> ifd0 = fields.Read(4, 4);
    const std::optional<uint32_t> count = ifd0 ? fields.Read(*ifd0, 2) : std::nullopt;
    if (!count) {
        return std::nullopt;
    }
    const std::optional<uint32_t> next =
        fields.Read(uint64_t{*ifd0} + 2 + kEntryBytes * uint64_t{*count}, 4);
    if (!next || *next == 0) {
        return std::nullopt;
    }
    return *next;
}

struct CLengthEntry {
    uint64_t offset;
    uint32_t type;
};

// IFD1's thumbnail-length entry, when it has one of a single SHORT or LONG.
std::optional<CLengthEntry> ThumbnailLengthEntry(const CTiffFields& fields) {
    const std::optional<uint64_t> ifd1 = Ifd1Offset(fields);
    const std::optional<uint32_t> count = ifd1 ? fields.Read(*ifd1, 2) : std::nullopt;
    for (uint32_t k = 0; count && k < *count; ++k) {
        const uint64_t entry = *ifd1 + 2 + kEntryBytes * k;
        const std::optional<uint32_t> tag = fields.Read(entry, 2);
        const std::optional<uint32_t> type = fields.Read(entry + 2, 2);
        const std::optional<uint32_t> values = fields.Read(entry + 4, 4);
        if (!tag || !type || !values) {
            return std::nullopt;
        }
        if (*tag == kThumbnailLengthTag) {
            const bool single = *values == 1 && (*type == kTypeLong || *type == kTypeShort);
            return single ? std::optional<CLengthEntry>(CLengthEntry{entry, *type}) : std::nullopt;
        }
    }
    return std::nullopt;
}

// The TIFF structure of a front part ("Exif\0\0" and what follows).
CTiffFields FieldsOfFront(ByteVector& front) {
    const size_t skip = std::min(front.size(), kSignature.size());
    return CTiffFields(front.data() + skip, front.size() - skip);
}

// Sets the value of IFD1's thumbnail-length entry, when it has one; nothing
// else in the structure changes.
void SetThumbnailLength(ByteVector& front, uint32_t length) {
    CTiffFields fields = FieldsOfFront(front);
    const std::optional<CLengthEntry> entry = ThumbnailLengthEntry(fields);
    if (entry && entry->type == kTypeLong) {
        fields.Write(entry->offset + 8, 4, length);
    } else if (entry && length <= 0xFFFF) {
        fields.Write(entry->offset + 8, 2, length);
    }
}

bool IsApplicationMarker(uint8_t code) {
    return code >= 0xE0 && code <= 0xEF;
}

// Markers that stand alone or start the picture data: the header ends there.
bool EndsHeader(uint8_t code) {
    return code == 0xDA || code == 0xFF || code == 0x01 || (code >= 0xD0 && code <= 0xD9);
}

bool IsExifSegment(const ByteVector& file, size_t start, size_t end) {
    return file[start + 1] == 0xE1 && end - start >= kMarkerAndLength + kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(),
                      file.begin() + static_cast<long>(start + kMarkerAndLength));
}

}  // namespace

std::optional<CExifSegmentPlace> FindExifSegment(const ByteVector& file) {
    const size_t size = file.size();
    for (size_t e = 4; e + kSignature.size() < size; ++e) {
        if (std::equal(kSignature.begin(), kSignature.end(), file.begin() + static_cast<long>(e))) {
            return ExifSegmentAt(e, BigEndian16(&file[e - 2]), size);
        }
    }
    return std::nullopt;
}

const ByteVector& ExifSignature() {
    static const ByteVector signature(kSignature.begin(), kSignature.end());
    return signature;
}

std::optional<CExifSegmentPlace> ExifSegmentAt(size_t signature, size_t length, size_t size) {
    const size_t segmentStart = signature - kMarkerAndLength;
    const size_t segmentEnd = segmentStart + length + 2;
    if (length == 0 || segmentEnd > size) {
        return std::nullopt;
    }
    return CExifSegmentPlace{segmentStart, segmentEnd};
}

std::optional<CExifCut> CutExifSegment(const ByteVector& file) {
    const std::optional<CExifSegmentPlace> place = FindExifSegment(file);
    if (!place) {
        return std::nullopt;
    }
    CExifCut cut;
    cut.block.assign(file.begin() + static_cast<long>(place->start),
                     file.begin() + static_cast<long>(place->end));
    cut.remainder.assign(file.begin(), file.begin() + 2);
    cut.remainder.insert(cut.remainder.end(), file.begin() + static_cast<long>(place->end),
                         file.end());
    return cut;
}

std::optional<CExifThumbnailSplit> SplitAtThumbnail(const ByteVector& block) {
    const uint8_t startMarker[] = {0xFF, 0xD8};
    if (block.size() < kMarkerAndLength + 2) {
        return std::nullopt;
    }
    const auto found = std::search(block.begin(), block.end() - 1, startMarker, startMarker + 2);
    const size_t thumbnailStart = static_cast<size_t>(found - block.begin());
    const size_t segmentEnd = size_t{BigEndian16(&block[2])} + 2;
    const bool thumbnailInside = found != block.end() - 1 && thumbnailStart >= kMarkerAndLength &&
                                 thumbnailStart < segmentEnd && segmentEnd <= block.size();
    if (segmentEnd == 2 || !thumbnailInside) {
        return std::nullopt;
    }
    CExifThumbnailSplit split;
    split.front.assign(block.begin() + kMarkerAndLength,
                       block.begin() + static_cast<long>(thumbnailStart));
    split.thumbnail.assign(block.begin() + static_cast<long>(thumbnailStart),
                           block.begin() + static_cast<long>(segmentEnd));
    return split;
}

bool HasThumbnailLengthEntry(const CExifThumbnailSplit& parts) {
    ByteVector front = parts.front;
    return ThumbnailLengthEntry(FieldsOfFront(front)).has_value();
}

std::optional<ByteVector> ThumbnailFromEncoded(const ByteVector& encoded) {
    if (encoded.size() < 2 || encoded[0] != 0xFF || encoded[1] != 0xD8) {
        return std::nullopt;
    }
    size_t pos = 2;
    while (pos + kMarkerAndLength <= encoded.size() && encoded[pos] == 0xFF &&
           IsApplicationMarker(encoded[pos + 1])) {
        pos += 2 + size_t{BigEndian16(&encoded[pos + 2])};
    }
    if (pos > encoded.size()) {
        return std::nullopt;
    }
    ByteVector thumbnail = {0xFF, 0xD8};
    thumbnail.insert(thumbnail.end(), encoded.begin() + static_cast<long>(pos), encoded.end());
    return thumbnail;
}

std::optional<ByteVector> BuildTransplantSegment(const CExifThumbnailSplit& parts,
                                                 const ByteVector& thumbnail) {
    const size_t length = parts.front.size() + thumbnail.size() + 2;
    if (length > kMaxSegmentLength) {
        return std::nullopt;
    }
    ByteVector front = parts.front;
    SetThumbnailLength(front, static_cast<uint32_t>(thumbnail.size()));
    ByteVector segment = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8),
                          static_cast<uint8_t>(length & 0xFF)};
    segment.insert(segment.end(), front.begin(), front.end());
    segment.insert(segment.end(), thumbnail.begin(), thumbnail.end());
    return segment;
}

ByteVector WithoutExifSegments(const ByteVector& file, size_t room) {
    ByteVector kept;
    kept.reserve(file.size() + room);
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) {
        kept.assign(file.begin(), file.end());
        return kept;
    }
    kept.assign(file.begin(), file.begin() + 2);
    size_t pos = 2;
    while (pos + kMarkerAndLength <= file.size() && file[pos] == 0xFF &&
           !EndsHeader(file[pos + 1])) {
        const size_t length = BigEndian16(&file[pos + 2]);
        const size_t end = pos + 2 + length;
        if (length < 2 || end > file.size()) {
            break;
        }
        if (!IsExifSegment(file, pos, end)) {
            kept.insert(kept.end(), file.begin() + static_cast<long>(pos),
                        file.begin() + static_cast<long>(end));
        }
        pos = end;
    }
    kept.insert(kept.end(), file.begin() + static_cast<long>(pos), file.end());
    return kept;
}

ByteVector InsertAfterStartMarker(ByteVector target, const ByteVector& segment) {
    const auto split = target.begin() + static_cast<long>(std::min<size_t>(2, target.size()));
    target.insert(split, segment.begin(), segment.end());
    return target;
}
