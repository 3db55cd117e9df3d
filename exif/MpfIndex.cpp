#include "exif/MpfIndex.h"

#include <algorithm>
#include <array>

#include <string_view>
#include <utility>

#include "exif/TiffView.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kMpfSignature = "MPF\0"sv;
constexpr uint8_t kApp2 = 0xE2;
constexpr uint16_t kMpEntryTag = 0xB002;
constexpr int64_t kMpEntryBytes = 16;
constexpr int64_t kIfdEntryBytes = 12;
constexpr int64_t kEntrySizeField = 4;
constexpr int64_t kEntryOffsetField = 8;

// Where the MP entry list of the index in segment lies; nothing when segment
// is no MPF segment or its index does not hold one inside the segment.
std::optional<CMpfIndex> ReadMpfIndex(const CByteReader& file, const CHeaderSegment& segment) {
    if (segment.m_nCode != kApp2 ||
        !file.Text(segment.m_payload.m_nOffset, segment.m_payload.m_nBytes)
             .starts_with(kMpfSignature)) {
        return std::nullopt;
    }
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

// Writes value into the four bytes at position of result in order; the
// caller checked that they lie inside.
std::array<uint8_t, 4> NumberBytes(uint32_t value, EByteOrder order) {
    std::array<uint8_t, 4> bytes{};
    for (int i = 0; i < 4; ++i) {
        const int shift = order == EByteOrder::LittleEndian ? 8 * i : 8 * (3 - i);
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>((value >> shift) & 0xFF);
    }
    return bytes;
}

}  // namespace

CMpfLayout FindMpfLayout(const CByteReader& file, const SegmentVisitor& visit) {
    CMpfLayout layout;
    const std::optional<int64_t> end = WalkImage(file, 0, [&](const CHeaderSegment& segment) {
        visit(segment);
        if (!layout.m_mpf) {
            layout.m_mpf = ReadMpfIndex(file, segment);
        }
    });
    layout.m_nPrimaryEnd = end.value_or(0);
    return layout;
}

CMpfLayout FindMpfLayout(const ByteVector& file) {
    return FindMpfLayout(CByteReader(file.data(), file.size(), EByteOrder::BigEndian),
                         [](const CHeaderSegment&) {});
}

std::optional<std::vector<CMpfPatch>> MpfIndexPatches(const CByteReader& result,
                                                      const CMpfLayout& original) {
    const CMpfLayout now = FindMpfLayout(result, [](const CHeaderSegment&) {});
    if (!original.m_mpf || !now.m_mpf || now.m_nPrimaryEnd == 0 ||
        now.m_mpf->m_entries.size() != original.m_mpf->m_entries.size()) {
        return std::nullopt;
    }
    const int64_t base = now.m_mpf->m_nBase;
    // Where a piece behind the primary picture moved, seen from the index.
    const int64_t shift =
        (original.m_mpf->m_nBase - base) - (original.m_nPrimaryEnd - now.m_nPrimaryEnd);
    const CTiffView tiff(result.At(base), static_cast<size_t>(result.Size() - base));
    std::vector<std::pair<int64_t, uint32_t>> writes;
    for (const int64_t entryAt : now.m_mpf->m_entries) {
        const int64_t entry = entryAt - base;
        const std::optional<uint32_t> bytes = tiff.ReadNumber(entry + kEntrySizeField, 4);
        const std::optional<uint32_t> offset = tiff.ReadNumber(entry + kEntryOffsetField, 4);
        if (!bytes || !offset) {
            return std::nullopt;
        }
        if (*offset == 0) {
            if (*bytes == original.m_nPrimaryEnd) {
                writes.emplace_back(entryAt + kEntrySizeField,
                                    static_cast<uint32_t>(now.m_nPrimaryEnd));
            }
            continue;
        }
        const int64_t moved = int64_t{*offset} + shift;
        if (moved <= 0 || !tiff.Holds(moved, *bytes) || base + moved < now.m_nPrimaryEnd) {
            return std::nullopt;
        }
        writes.emplace_back(entryAt + kEntryOffsetField, static_cast<uint32_t>(moved));
    }
    std::vector<CMpfPatch> patches;
    for (const auto& [position, value] : writes) {
        patches.push_back({position, NumberBytes(value, tiff.Order())});
    }
    return patches;
}

bool RepointMpfIndex(ByteVector& result, const CMpfLayout& original) {
    const std::optional<std::vector<CMpfPatch>> patches =
        MpfIndexPatches(CByteReader(result.data(), result.size(), EByteOrder::BigEndian), original);
    if (!patches) {
        return false;
    }
    for (const CMpfPatch& patch : *patches) {
        std::copy(patch.m_bytes.begin(), patch.m_bytes.end(),
                  result.begin() + static_cast<long>(patch.m_nOffset));
    }
    return true;
}
