#include "optimise/KeptTrailer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "exif/TiffView.h"
#include "segment/SegmentFiles.h"
#include "util/FileHandle.h"

namespace {

constexpr int64_t kEntrySizeField = 4;
constexpr int64_t kEntryOffsetField = 8;
constexpr size_t kTrailerBlock = 1 << 20;

// Writes value into the four bytes at position of result, in the byte order
// of the TIFF header at base.
void PutNumber(ByteVector& result, int64_t base, int64_t position, uint32_t value) {
    const bool intel = result[static_cast<size_t>(base)] == 'I';
    for (int i = 0; i < 4; ++i) {
        const int shift = intel ? 8 * i : 8 * (3 - i);
        result[static_cast<size_t>(position + i)] = static_cast<uint8_t>((value >> shift) & 0xFF);
    }
}

// Writes into text, which starts at character first of the list's hex, each
// of the changed bytes that falls inside it.
void PatchText(std::string& text, size_t first, const std::vector<size_t>& bytes,
               const ByteVector& changed) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const size_t byte : bytes) {
        for (const size_t character : {2 * byte, 2 * byte + 1}) {
            if (character >= first && character < first + text.size()) {
                const bool high = character % 2 == 0;
                text[character - first] = kHex[high ? changed[byte] >> 4 : changed[byte] & 0x0F];
            }
        }
    }
}

// Writes into the hex texts of list each byte where changed differs from
// original, the bytes list was made of; the texts count as one run of hex.
// Only the few segments holding a changed byte are made text: the rest may be
// views of megabytes of picture data.
void CopyChangedBytes(CSegmentList& list, const ByteVector& original, const ByteVector& changed) {
    std::vector<size_t> bytes;
    for (size_t i = 0; i < changed.size() && i < original.size(); ++i) {
        if (original[i] != changed[i]) {
            bytes.push_back(i);
        }
    }
    const auto touches = [&bytes](size_t first, size_t size) {
        const auto hit = std::lower_bound(bytes.begin(), bytes.end(), first / 2);
        return hit != bytes.end() && 2 * *hit + 1 >= first && 2 * *hit < first + size;
    };
    size_t characters = 0;
    for (CJpegSegment& segment : list) {
        if (touches(characters, segment.m_strCode.size())) {
            PatchText(segment.m_strCode, characters, bytes, changed);
        }
        characters += segment.m_strCode.size();
        const size_t dataSize = segment.m_strData.size();
        if (touches(characters, dataSize)) {
            std::string text = segment.m_strData.Text();
            PatchText(text, characters, bytes, changed);
            segment.m_strData = std::move(text);
        }
        characters += dataSize;
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

bool RepointMpfIndex(CSegmentList& result, const CPhoneExtras& original) {
    const std::optional<ByteVector> bytes = SegmentsToBytes(result);
    if (!bytes) {
        return false;
    }
    ByteVector moved = *bytes;
    if (!RepointMpfIndex(moved, original)) {
        return false;
    }
    CopyChangedBytes(result, *bytes, moved);
    return true;
}

bool KeepsTrailer(const std::string& path, int64_t primaryEnd, const ByteVector& trailer) {
    const CFileHandle file(path, O_RDONLY);
    struct stat status {};
    if (!file.IsOpen() || ::fstat(file.Get(), &status) != 0 || primaryEnd < 2 ||
        status.st_size - primaryEnd != static_cast<int64_t>(trailer.size())) {
        return false;
    }
    file.SeekTo(static_cast<uint64_t>(primaryEnd) - 2);
    uint8_t endMarker[2] = {};
    if (file.ReadUpTo(endMarker, 2) != 2 || endMarker[0] != 0xFF || endMarker[1] != 0xD9) {
        return false;
    }
    // A block at a time: the trailer may be a video of many megabytes.
    ByteVector block(std::min(trailer.size(), kTrailerBlock));
    for (size_t pos = 0; pos < trailer.size(); pos += block.size()) {
        const size_t count = std::min(block.size(), trailer.size() - pos);
        if (file.ReadUpTo(block.data(), count) != count ||
            !std::equal(block.begin(), block.begin() + static_cast<long>(count),
                        trailer.begin() + static_cast<long>(pos))) {
            return false;
        }
    }
    return true;
}
