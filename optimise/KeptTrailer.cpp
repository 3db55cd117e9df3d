#include "optimise/KeptTrailer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "segment/SegmentFiles.h"
#include "util/FileHandle.h"

namespace {

constexpr size_t kTrailerBlock = 1 << 20;

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
