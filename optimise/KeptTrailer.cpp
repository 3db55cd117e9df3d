#include "optimise/KeptTrailer.h"

#include <algorithm>
#include <optional>

#include "segment/SegmentFiles.h"

namespace {

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

bool RepointMpfIndex(CSegmentList& result, const CMpfLayout& original) {
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

bool KeepsTrailer(const ByteVector& result, const ByteVector& trailer) {
    const int64_t primaryEnd = FindMpfLayout(result).m_nPrimaryEnd;
    return primaryEnd > 0 &&
           static_cast<int64_t>(result.size()) - primaryEnd ==
               static_cast<int64_t>(trailer.size()) &&
           std::equal(trailer.begin(), trailer.end(), result.begin() + primaryEnd);
}
