#include "optimise/KeptTrailer.h"

#include <algorithm>
#include <optional>

#include "exif/TiffView.h"

namespace {

constexpr int64_t kEntrySizeField = 4;
constexpr int64_t kEntryOffsetField = 8;

// Writes value into the four bytes at position of result, in the byte order
// of the TIFF header at base.
void PutNumber(ByteVector& result, int64_t base, int64_t position, uint32_t value) {
    const bool intel = result[static_cast<size_t>(base)] == 'I';
    for (int i = 0; i < 4; ++i) {
        const int shift = intel ? 8 * i : 8 * (3 - i);
        result[static_cast<size_t>(position + i)] = static_cast<uint8_t>((value >> shift) & 0xFF);
    }
}

}  // namespace

bool RepointMpfIndex(ByteVector& result, const CPhoneExtras& original) {
    const CPhoneExtras now = FindPhoneExtras(result);
    if (!original.m_mpf || !now.m_mpf || now.m_nPrimaryEnd == 0 ||
        now.m_mpf->m_entries.size() != original.m_mpf->m_entries.size()) {
        return false;
    }
    const int64_t base = now.m_mpf->m_nBase;
    // Where a piece behind the primary picture moved, seen from the index.
    const int64_t shift =
        (original.m_mpf->m_nBase - base) - (original.m_nPrimaryEnd - now.m_nPrimaryEnd);
    const CTiffView tiff(result.data() + base, result.size() - static_cast<size_t>(base));
    std::vector<std::pair<int64_t, uint32_t>> writes;
    for (const int64_t entryAt : now.m_mpf->m_entries) {
        const int64_t entry = entryAt - base;
        const std::optional<uint32_t> bytes = tiff.ReadNumber(entry + kEntrySizeField, 4);
        const std::optional<uint32_t> offset = tiff.ReadNumber(entry + kEntryOffsetField, 4);
        if (!bytes || !offset) {
            return false;
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
            return false;
        }
        writes.emplace_back(entryAt + kEntryOffsetField, static_cast<uint32_t>(moved));
    }
    for (const auto& [position, value] : writes) {
        PutNumber(result, base, position, value);
    }
    return true;
}

bool KeepsTrailer(const ByteVector& result, const ByteVector& trailer) {
    const int64_t primaryEnd = FindPhoneExtras(result).m_nPrimaryEnd;
    return primaryEnd > 0 &&
           static_cast<int64_t>(result.size()) - primaryEnd ==
               static_cast<int64_t>(trailer.size()) &&
           std::equal(trailer.begin(), trailer.end(), result.begin() + primaryEnd);
}
