#include "optimise/PhoneExtras.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "exif/TiffView.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kXmpSignature = "http://ns.adobe.com/xap/1.0/\0"sv;
constexpr std::string_view kIccSignature = "ICC_PROFILE\0"sv;
constexpr std::string_view kIsoGainMapSignature = "urn:iso:std:iso:ts:21496:-1\0"sv;

constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kApp2 = 0xE2;

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

std::string_view Payload(const CByteReader& file, const CHeaderSegment& segment) {
    return file.Text(segment.m_payload.m_nOffset, segment.m_payload.m_nBytes);
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

// True when the image at start carries gain-map metadata of its own.
bool HoldsGainMap(const CByteReader& file, int64_t start) {
    bool found = false;
    WalkImage(file, start, [&](const CHeaderSegment& segment) {
        const std::string_view payload = Payload(file, segment);
        found = found ||
                (segment.m_nCode == kApp1 && payload.starts_with(kXmpSignature) &&
                 payload.find("hdrgm:") != std::string_view::npos) ||
                (segment.m_nCode == kApp2 && payload.starts_with(kIsoGainMapSignature));
    });
    return found;
}

// The image at start, when it is a whole JPEG that lies behind the primary picture.
std::optional<CTrailerItem> ImageBehind(const CByteReader& file, const CPhoneExtras& extras,
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
void AddIndexedImages(const CByteReader& file, CPhoneExtras& extras) {
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
void AddAnnouncedGainMap(const CByteReader& file, CPhoneExtras& extras) {
    const std::string_view trailer =
        file.Text(extras.m_nPrimaryEnd, file.Size() - extras.m_nPrimaryEnd);
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
void AddVideo(const CByteReader& file, CPhoneExtras& extras) {
    const std::string_view text = file.Text(0, file.Size());
    for (size_t found = text.find("ftyp"sv, static_cast<size_t>(extras.m_nPrimaryEnd) + 4);
         found != std::string_view::npos; found = text.find("ftyp"sv, found + 1)) {
        const int64_t box = static_cast<int64_t>(found) - 4;
        const std::optional<uint32_t> boxBytes = file.ReadNumber(box, 4);
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

// Where the bytes of a file go when those from behind its start marker up
// to m_nCutEnd are cut and what lay behind them moves by m_nShift.
struct CExifCutMove {
    int64_t m_nCutEnd = 2;
    int64_t m_nShift = 0;

    // Where offset went; nothing when it lay in the cut bytes.
    std::optional<int64_t> Offset(int64_t offset) const {
        if (offset >= 2 && offset < m_nCutEnd) {
            return std::nullopt;
        }
        return offset < 2 ? offset : offset + m_nShift;
    }
    std::optional<CByteRange> Range(const CByteRange& range) const {
        const std::optional<int64_t> offset = Offset(range.m_nOffset);
        if (!offset) {
            return std::nullopt;
        }
        return CByteRange{*offset, range.m_nBytes};
    }
    std::vector<CByteRange> Ranges(const std::vector<CByteRange>& ranges) const {
        std::vector<CByteRange> moved;
        for (const CByteRange& range : ranges) {
            if (const std::optional<CByteRange> kept = Range(range)) {
                moved.push_back(*kept);
            }
        }
        return moved;
    }
};

}  // namespace

bool CPhoneExtras::Carries(ETrailerKind kind) const {
    return std::any_of(m_trailer.begin(), m_trailer.end(),
                       [kind](const CTrailerItem& item) { return item.m_eKind == kind; });
}

CPhoneExtras FindPhoneExtras(const uint8_t* bytes, size_t size) {
    return FindPhoneExtras(CByteReader(bytes, size, EByteOrder::BigEndian));
}

CPhoneExtras FindPhoneExtras(const CMappedFile& file) {
    return FindPhoneExtras(CByteReader(file, EByteOrder::BigEndian));
}

CPhoneExtras FindPhoneExtras(const CByteReader& file) {
    CPhoneExtras extras;
    std::vector<std::string_view> xmpTexts;
    static_cast<CMpfLayout&>(extras) = FindMpfLayout(file, [&](const CHeaderSegment& segment) {
        const std::string_view payload = Payload(file, segment);
        if (segment.m_nCode == kApp1 && payload.starts_with(kXmpSignature)) {
            extras.m_xmp.push_back(segment.m_whole);
            xmpTexts.push_back(payload);
            if (Mentions(payload, kMotionAnnouncements) ||
                Mentions(payload, kGainMapAnnouncements)) {
                extras.m_announcingXmp.push_back(segment.m_whole);
            }
        } else if (segment.m_nCode == kApp2 && payload.starts_with(kIccSignature)) {
            extras.m_icc.push_back(segment.m_whole);
        }
    });
    if (extras.m_nPrimaryEnd == 0) {
        return extras;
    }
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

CPhoneExtras ExtrasAfterExifCut(const CPhoneExtras& extras, int64_t cutBytes,
                                int64_t insertedBytes) {
    const CExifCutMove move{2 + cutBytes, insertedBytes - cutBytes};
    CPhoneExtras moved;
    moved.m_nPrimaryEnd = move.Offset(extras.m_nPrimaryEnd).value_or(0);
    const std::optional<CByteRange> index =
        extras.m_mpf ? move.Range(extras.m_mpf->m_segment) : std::nullopt;
    if (index) {
        moved.m_mpf = CMpfIndex{*index, extras.m_mpf->m_nBase + move.m_nShift, {}};
        for (const int64_t entry : extras.m_mpf->m_entries) {
            moved.m_mpf->m_entries.push_back(entry + move.m_nShift);
        }
    }
    moved.m_icc = move.Ranges(extras.m_icc);
    moved.m_xmp = move.Ranges(extras.m_xmp);
    moved.m_announcingXmp = move.Ranges(extras.m_announcingXmp);
    for (const CTrailerItem& item : extras.m_trailer) {
        if (const std::optional<CByteRange> range = move.Range(item.m_range)) {
            moved.m_trailer.push_back({item.m_eKind, *range});
        }
    }
    return moved;
}
