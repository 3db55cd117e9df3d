#include "segment/ImageWalk.h"

#include <algorithm>
#include <cstring>

#include "util/MappedFile.h"

namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
// The walk tells the reader where it is at every multiple of these bytes.
constexpr auto kPassedStep = static_cast<int64_t>(CMappedFile::kReleaseStep);

// From offset inside entropy-coded data to the next real marker: stuffed
// bytes, restart markers and fill bytes are part of the data.
std::optional<int64_t> SkipEntropyData(const CByteReader& file, int64_t offset) {
    // The last byte cannot start a marker: its second byte is missing.
    const int64_t end = file.Size() - 1;
    for (int64_t i = offset; i < end;) {
        const int64_t stepEnd = std::min(end, (i / kPassedStep + 1) * kPassedStep);
        const auto* found = static_cast<const uint8_t*>(
            std::memchr(file.At(i), 0xFF, static_cast<size_t>(stepEnd - i)));
        if (found == nullptr) {
            i = stepEnd;
            file.Passed(i);
            continue;
        }
        i = found - file.At(0);
        const uint8_t next = *file.At(i + 1);
        const bool inData = next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7);
        if (!inData) {
            return i;
        }
        ++i;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int64_t> WalkImage(const CByteReader& file, int64_t start,
                                 const SegmentVisitor& visit) {
    if (!file.Is(start, 0xFF) || !file.Is(start + 1, kStartOfImage)) {
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
        const std::optional<uint32_t> length = file.ReadNumber(offset + 2, 2);
        if (code == 0x00 || code == kStartOfImage || !length || *length < 2 ||
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
