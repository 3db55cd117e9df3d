#include "imaging/RestartCut.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "util/ByteReader.h"

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
// Markers below have no segment, nor do the restarts and the image's ends; a
// second 0xFF is a fill byte.
constexpr uint8_t kFirstSegment = 0xC0;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kFirstRestart = 0xD0;
constexpr uint32_t kRestartNumbers = 8;
// The frames whose scans the split decodes: baseline and extended Huffman.
constexpr uint8_t kBaselineFrame = 0xC0;
constexpr uint8_t kExtendedFrame = 0xC1;
// In a frame segment, after its marker: length (2), precision (1), height.
constexpr size_t kHeightInFrame = 5;

// The restart intervals between two rows a lower part may start at.
uint64_t IntervalsPerCut(const CMcuLayout& layout) {
    const uint64_t perRow = layout.mcusPerRow / std::gcd(layout.mcusPerRow, layout.restartInterval);
    return std::lcm(uint64_t{kRestartNumbers}, perRow);
}

struct CHeaderPlaces {
    size_t height = 0;
    size_t scanData = 0;
};

// The frame's height field and the end of the start-of-scan segment, walking
// the segments from the start marker; nullopt for anything but one frame of
// the kinds split and segments that lie within the bytes.
std::optional<CHeaderPlaces> FindHeaderPlaces(const uint8_t* bytes, size_t length) {
    if (length < 2 || bytes[0] != kMarker || bytes[1] != kStartOfImage) {
        return std::nullopt;
    }
    std::optional<size_t> height;
    size_t at = 2;
    const CByteReader reader(bytes, length, EByteOrder::BigEndian);
    while (at + 4 <= length && bytes[at] == kMarker) {
        const uint8_t marker = bytes[at + 1];
        if (marker < kFirstSegment || marker == kMarker ||
            (marker >= kFirstRestart && marker <= kEndOfImage)) {
            return std::nullopt;
        }
        const size_t segment = reader.ReadNumber(static_cast<int64_t>(at) + 2, 2).value_or(0);
        if (segment < 2 || length - at - 2 < segment) {
            return std::nullopt;
        }
        // The frames are C0 to CF but for the Huffman tables (C4), a reserved
        // code (C8) and arithmetic conditioning (CC).
        if ((marker & 0xF0) == 0xC0 && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (height || (marker != kBaselineFrame && marker != kExtendedFrame) ||
                segment < kHeightInFrame + 2) {
                return std::nullopt;
            }
            height = at + kHeightInFrame;
        }
        at += 2 + segment;
        if (marker == kStartOfScan) {
            return height ? std::optional(CHeaderPlaces{*height, at}) : std::nullopt;
        }
    }
    return std::nullopt;
}

// Where the data after the count-th restart marker starts, when the data
// from start holds only restart markers up to it, numbered 0 to 7 in turn.
std::optional<size_t> FindDataAfterRestart(const uint8_t* bytes, size_t length, size_t start,
                                           uint64_t count) {
    uint64_t seen = 0;
    size_t at = start;
    while (at < length) {
        const void* found = std::memchr(bytes + at, kMarker, length - at);
        if (found == nullptr) {
            return std::nullopt;
        }
        at = static_cast<size_t>(static_cast<const uint8_t*>(found) - bytes) + 1;
        while (at < length && bytes[at] == kMarker) {
            ++at;
        }
        if (at == length) {
            return std::nullopt;
        }
        const uint8_t code = bytes[at++];
        if (code == 0) {
            continue;
        }
        if (code != kFirstRestart + seen % kRestartNumbers) {
            return std::nullopt;
        }
        if (++seen == count) {
            return at;
        }
    }
    return std::nullopt;
}

}  // namespace

uint32_t RestartCutRow(const CMcuLayout& layout, uint32_t target) {
    if (layout.restartInterval == 0 || layout.mcusPerRow == 0 || layout.rowHeight == 0) {
        return 0;
    }
    const uint64_t rowsPerCut =
        IntervalsPerCut(layout) * layout.restartInterval / layout.mcusPerRow * layout.rowHeight;
    const uint64_t cuts = (uint64_t{target} + rowsPerCut / 2) / rowsPerCut;
    const uint64_t row = std::max<uint64_t>(cuts, 1) * rowsPerCut;
    return row + layout.rowHeight < layout.height ? static_cast<uint32_t>(row) : 0;
}

std::optional<CRestartCut> FindRestartCut(const uint8_t* bytes, size_t length,
                                          const CMcuLayout& layout, uint32_t row) {
    const std::optional<CHeaderPlaces> places = FindHeaderPlaces(bytes, length);
    if (!places ||
        CByteReader(bytes, length, EByteOrder::BigEndian)
                .ReadNumber(static_cast<int64_t>(places->height), 2) != layout.height ||
        row == 0 || row >= layout.height || layout.restartInterval == 0 ||
        row % layout.rowHeight != 0) {
        return std::nullopt;
    }
    const uint64_t mcus = uint64_t{row} / layout.rowHeight * layout.mcusPerRow;
    const uint64_t intervals = mcus / layout.restartInterval;
    if (mcus % layout.restartInterval != 0 || intervals % kRestartNumbers != 0) {
        return std::nullopt;
    }
    const std::optional<size_t> data =
        FindDataAfterRestart(bytes, length, places->scanData, intervals);
    if (!data) {
        return std::nullopt;
    }
    CRestartCut cut{std::vector<uint8_t>(bytes, bytes + places->scanData), *data};
    const uint32_t partHeight = layout.height - row;
    cut.header[places->height] = static_cast<uint8_t>(partHeight >> 8);
    cut.header[places->height + 1] = static_cast<uint8_t>(partHeight & 0xFF);
    return cut;
}
