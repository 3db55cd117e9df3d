#include "optimise/PhoneExtras.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#include "exif/TiffView.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kXmpSignature = "http://ns.adobe.com/xap/1.0/\0"sv;
constexpr std::string_view kIccSignature = "ICC_PROFILE\0"sv;
constexpr std::string_view kMpfSignature = "MPF\0"sv;
constexpr std::string_view kIsoGainMapSignature = "urn:iso:std:iso:ts:21496:-1\0"sv;

constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kApp2 = 0xE2;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint16_t kMpEntryTag = 0xB002;
constexpr int64_t kMpEntryBytes = 16;
constexpr int64_t kIfdEntryBytes = 12;

// The namespace prefixes of XMP are the writer's choice: only the local
// names and values are looked for.
constexpr std::array kMotionAnnouncements{
    "MotionPhoto=\"1\""sv, "MotionPhoto>1<"sv,           "MicroVideo=\"1\""sv,
    "MicroVideo>1<"sv,     "Semantic=\"MotionPhoto\""sv, "Semantic>MotionPhoto<"sv,
};
constexpr std::array kGainMapAnnouncements{
    "hdrgm:Version"sv,
    "Semantic=\"GainMap\""sv,
    "Semantic>GainMap<"sv,
};

// Bounds-checked views of the file; a range that does not fit reads as nothing.
class CBytes {
public:
    CBytes(const uint8_t* data, size_t size) : m_pData(data), m_nSize(static_cast<int64_t>(size)) {}

    int64_t Size() const { return m_nSize; }
    bool Holds(int64_t offset, int64_t bytes) const {
        return offset >= 0 && bytes >= 0 && bytes <= m_nSize && offset <= m_nSize - bytes;
    }
    std::optional<uint32_t> Big(int64_t offset, int bytes) const {
        if (!Holds(offset, bytes)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = (value << 8) | m_pData[offset + i];
        }
        return value;
    }
    bool Is(int64_t offset, uint8_t byte) const {
        return Holds(offset, 1) && m_pData[offset] == byte;
    }
    std::string_view Text(CByteRange range) const {
        return Holds(range.m_nOffset, range.m_nBytes)
                   ? std::string_view(reinterpret_cast<const char*>(m_pData + range.m_nOffset),
                                      static_cast<size_t>(range.m_nBytes))
                   : std::string_view();
    }
    const uint8_t* At(int64_t offset) const { return m_pData + offset; }

private:
    const uint8_t* m_pData;
    int64_t m_nSize;
};

// A segment with a length field: the whole segment and its payload.
struct CHeaderSegment {
    uint8_t m_nCode = 0;
    CByteRange m_whole;
    CByteRange m_payload;
};

using SegmentVisitor = std::function<void(const CHeaderSegment&)>;

// From offset inside entropy-coded data to the next real marker: stuffed
// bytes, restart markers and fill bytes are part of the data.
std::optional<int64_t> SkipEntropyData(const CBytes& file, int64_t offset) {
    for (int64_t i = offset; i + 1 < file.Size(); ++i) {
        if (!file.Is(i, 0xFF)) {
            continue;
        }
        const uint8_t next = *file.At(i + 1);
        const bool inData = next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7);
        if (!inData) {
            return i;
        }
    }
    return std::nullopt;
}

// Walks the JPEG image whose start marker is at start, telling visit of each
// segment with a length field. Returns the offset just behind its end
// marker, or nothing when the image breaks off or is not well formed.
std::optional<int64_t> WalkImage(const CBytes& file, int64_t start, const SegmentVisitor& visit) {
    if (!file.Is(start, 0xFF) || !file.Is(start + 1, 0xD8)) {
        return std::nullopt;
    }
    int64_t offset = start + 2;
    while (file.Is(offset, 0xFF)) {
        while (file.Is(offset + 1, 0xFF)) {
            ++offset;
        }
        if (!file.Holds(offset, 2)) {
            return std::nullopt;
        }
        const uint8_t code = *file.At(offset + 1);
        if (code == kEndOfImage) {
            return offset + 2;
        }
        const std::optional<uint32_t> length = file.Big(offset + 2, 2);
        if (code == 0x00 || code == 0xD8 || !length || *length < 2 ||
            !file.Holds(offset + 2, *length)) {
            return std::nullopt;
        }
        const CByteRange whole{offset, 2 + int64_t{*length}};
        visit({code, whole, {offset + 4, int64_t{*length} - 2}});
        offset = whole.End();
        if (code == kStartOfScan) {
            const std::optional<int64_t> marker = SkipEntropyData(file, offset);
            if (!marker) {
                return std::nullopt;
            }
            offset = *marker;
        }
    }
    return std::nullopt;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

template <size_t N>
bool Mentions(std::string_view text, const std::array<std::string_view, N>& phrases) {
    return std::any_of(phrases.begin(), phrases.end(), [&](std::string_view phrase) {
        return text.find(phrase) != std::string_view::npos;
    });
}

template <size_t N>
bool Mentions(const std::vector<std::string_view>& texts,
              const std::array<std::string_view, N>& phrases) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](std::string_view text) { return Mentions(text, phrases); });
}

// Where the MP entry list of the index lies; nothing when the index does
// not hold one inside its segment.
std::optional<CMpfIndex> ReadMpfIndex(const CBytes& file, const CHeaderSegment& segment) {
    const int64_t base = segment.m_payload.m_nOffset + static_cast<int64_t>(kMpfSignature.size());
    const CTiffView tiff(file.At(base), static_cast<size_t>(segment.m_whole.End() - base));
    const std::optional<uint32_t> ifd = tiff.ReadNumber(4, 4);
    const std::optional<uint32_t> count = ifd ? tiff.ReadNumber(*ifd, 2) : std::nullopt;
    if (!count || (tiff.ReadNumber(0, 2) != 0x4949 && tiff.ReadNumber(0, 2) != 0x4D4D)) {
        return std::nullopt;
    }
    for (uint32_t i = 0; i < *count; ++i) {
        const int64_t entry = int64_t{*ifd} + 2 + kIfdEntryBytes * i;
        if (tiff.ReadNumber(entry, 2) != kMpEntryTag) {
            continue;
        }
        const std::optional<uint32_t> bytes = tiff.ReadNumber(entry + 4, 4);
        const std::optional<uint32_t> at = tiff.ReadNumber(entry + 8, 4);
        if (!bytes || !at || !tiff.Holds(*at, *bytes)) {
            return std::nullopt;
        }
        CMpfIndex index{segment.m_whole, base, {}};
        for (int64_t e = 0; e + kMpEntryBytes <= int64_t{*bytes}; e += kMpEntryBytes) {
            index.m_entries.push_back(base + *at + e);
        }
        return index;
    }
    return std::nullopt;
}

// True when the image at start carries gain-map metadata of its own.
bool HoldsGainMap(const CBytes& file, int64_t start) {
    bool found = false;
    WalkImage(file, start, [&](const CHeaderSegment& segment) {
        const std::string_view payload = file.Text(segment.m_payload);
        found = found ||
                (segment.m_nCode == kApp1 && StartsWith(payload, kXmpSignature) &&
                 payload.find("hdrgm:") != std::string_view::npos) ||
                (segment.m_nCode == kApp2 && StartsWith(payload, kIsoGainMapSignature));
    });
    return found;
}

// The image at start, when it is a whole JPEG that lies behind the primary picture.
std::optional<CTrailerItem> ImageBehind(const CBytes& file, const CPhoneExtras& extras,
                                        int64_t start, int64_t bytes) {
    if (start < extras.m_nPrimaryEnd || !file.Holds(start, bytes) || !file.Is(start, 0xFF) ||
        !file.Is(start + 1, 0xD8)) {
        return std::nullopt;
    }
    const ETrailerKind kind =
        HoldsGainMap(file, start) ? ETrailerKind::GainMap : ETrailerKind::MpfImage;
    return CTrailerItem{kind, {start, bytes}};
}

// The images the MPF index points to; the first entry is the primary picture.
void AddIndexedImages(const CBytes& file, CPhoneExtras& extras) {
    const CMpfIndex& index = *extras.m_mpf;
    const CTiffView tiff(file.At(index.m_nBase), static_cast<size_t>(file.Size() - index.m_nBase));
    for (size_t i = 1; i < index.m_entries.size(); ++i) {
        const int64_t entry = index.m_entries[i] - index.m_nBase;
        const std::optional<uint32_t> bytes = tiff.ReadNumber(entry + 4, 4);
        const std::optional<uint32_t> offset = tiff.ReadNumber(entry + 8, 4);
        if (bytes && offset && *offset != 0) {
            if (auto item = ImageBehind(file, extras, index.m_nBase + *offset, *bytes)) {
                extras.m_trailer.push_back(*item);
            }
        }
    }
}

// A gain map that only XMP announces: the first JPEG behind the primary picture.
void AddAnnouncedGainMap(const CBytes& file, CPhoneExtras& extras) {
    const std::string_view trailer =
        file.Text({extras.m_nPrimaryEnd, file.Size() - extras.m_nPrimaryEnd});
    const size_t found = trailer.find("\xFF\xD8\xFF"sv);
    if (found == std::string_view::npos) {
        return;
    }
    const int64_t start = extras.m_nPrimaryEnd + static_cast<int64_t>(found);
    for (CTrailerItem& item : extras.m_trailer) {
        if (item.m_range.m_nOffset == start) {
            item.m_eKind = ETrailerKind::GainMap;
            return;
        }
    }
    if (const std::optional<int64_t> end = WalkImage(file, start, [](const CHeaderSegment&) {})) {
        if (auto item = ImageBehind(file, extras, start, *end - start)) {
            item->m_eKind = ETrailerKind::GainMap;
            extras.m_trailer.push_back(*item);
        }
    }
}

bool InsideImage(const CPhoneExtras& extras, int64_t offset) {
    return std::any_of(extras.m_trailer.begin(), extras.m_trailer.end(),
                       [&](const CTrailerItem& item) {
                           return offset >= item.m_range.m_nOffset && offset < item.m_range.End();
                       });
}

// A motion photo's video: the first MP4 file type box behind the primary
// picture and its images, through to the end of the file.
void AddVideo(const CBytes& file, CPhoneExtras& extras) {
    const std::string_view text = file.Text({0, file.Size()});
    for (size_t found = text.find("ftyp"sv, static_cast<size_t>(extras.m_nPrimaryEnd) + 4);
         found != std::string_view::npos; found = text.find("ftyp"sv, found + 1)) {
        const int64_t box = static_cast<int64_t>(found) - 4;
        const std::optional<uint32_t> boxBytes = file.Big(box, 4);
        if (!InsideImage(extras, box) && boxBytes && *boxBytes >= 8 && file.Holds(box, *boxBytes)) {
            extras.m_trailer.push_back({ETrailerKind::MotionPhoto, {box, file.Size() - box}});
            return;
        }
    }
}

// Sorts the pieces and drops any that overlaps the one before it: a hostile
// index may point twice into the same bytes.
void OrderTrailer(std::vector<CTrailerItem>& trailer) {
    std::stable_sort(trailer.begin(), trailer.end(),
                     [](const CTrailerItem& a, const CTrailerItem& b) {
                         return a.m_range.m_nOffset < b.m_range.m_nOffset;
                     });
    int64_t end = 0;
    std::erase_if(trailer, [&](const CTrailerItem& item) {
        const bool overlaps = item.m_range.m_nOffset < end;
        end = overlaps ? end : item.m_range.End();
        return overlaps;
    });
}

}  // namespace

bool CPhoneExtras::Carries(ETrailerKind kind) const {
    return std::any_of(m_trailer.begin(), m_trailer.end(),
                       [kind](const CTrailerItem& item) { return item.m_eKind == kind; });
}

CPhoneExtras FindPhoneExtras(const uint8_t* bytes, size_t size) {
    const CBytes file(bytes, size);
    CPhoneExtras extras;
    std::vector<std::string_view> xmpTexts;
    const std::optional<int64_t> end = WalkImage(file, 0, [&](const CHeaderSegment& segment) {
        const std::string_view payload = file.Text(segment.m_payload);
        if (segment.m_nCode == kApp1 && StartsWith(payload, kXmpSignature)) {
            extras.m_xmp.push_back(segment.m_whole);
            xmpTexts.push_back(payload);
            if (Mentions(payload, kMotionAnnouncements) ||
                Mentions(payload, kGainMapAnnouncements)) {
                extras.m_announcingXmp.push_back(segment.m_whole);
            }
        } else if (segment.m_nCode == kApp2 && StartsWith(payload, kIccSignature)) {
            extras.m_icc.push_back(segment.m_whole);
        } else if (segment.m_nCode == kApp2 && StartsWith(payload, kMpfSignature) &&
                   !extras.m_mpf) {
            extras.m_mpf = ReadMpfIndex(file, segment);
        }
    });
    if (!end) {
        return extras;
    }
    extras.m_nPrimaryEnd = *end;
    if (extras.m_mpf) {
        AddIndexedImages(file, extras);
    }
    if (!extras.HasGainMap() && Mentions(xmpTexts, kGainMapAnnouncements)) {
        AddAnnouncedGainMap(file, extras);
    }
    if (Mentions(xmpTexts, kMotionAnnouncements)) {
        AddVideo(file, extras);
    }
    OrderTrailer(extras.m_trailer);
    return extras;
}

CPhoneExtras ReadPhoneExtras(const std::string& path) {
    const std::optional<ByteVector> bytes = ReadFileBytes(path);
    return bytes ? FindPhoneExtras(*bytes) : CPhoneExtras();
}
