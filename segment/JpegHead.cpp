#include "segment/JpegHead.h"

#include <fcntl.h>

#include <algorithm>

#include "util/FileHandle.h"

namespace {

constexpr size_t kFirstRead = 64 * 1024;
constexpr uint8_t kMarkerByte = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;

// True when bytes holds at least count bytes, reading on from the file (at
// least doubling what is held) as needed; false at the end of the file.
bool ReadAtLeast(const CFileHandle& file, ByteVector& bytes, size_t count) {
    if (bytes.size() >= count) {
        return true;
    }
    const size_t held = bytes.size();
    bytes.resize(std::max({count, 2 * held, kFirstRead}));
    bytes.resize(held + file.ReadUpTo(bytes.data() + held, bytes.size() - held));
    return bytes.size() >= count;
}

void ReadRest(const CFileHandle& file, ByteVector& bytes) {
    while (ReadAtLeast(file, bytes, bytes.size() + 1)) {
    }
}

// Markers that stand alone, without a length field.
bool IsStandalone(uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

// Where the first start-of-scan marker begins, reading as far as it lies;
// nothing when the segments do not lead to one.
std::optional<size_t> FindScanStart(const CFileHandle& file, ByteVector& bytes) {
    if (!ReadAtLeast(file, bytes, 2) || bytes[0] != kMarkerByte || bytes[1] != kStartOfImage) {
        return std::nullopt;
    }
    size_t pos = 2;
    while (ReadAtLeast(file, bytes, pos + 2) && bytes[pos] == kMarkerByte) {
        const uint8_t marker = bytes[pos + 1];
        if (marker == kMarkerByte) {
            ++pos;  // a fill byte
        } else if (marker == kStartOfScan) {
            return pos;
        } else if (marker == kEndOfImage) {
            return std::nullopt;
        } else if (IsStandalone(marker)) {
            pos += 2;
        } else if (ReadAtLeast(file, bytes, pos + 4)) {
            const size_t length = size_t{bytes[pos + 2]} << 8 | bytes[pos + 3];
            if (length < 2) {
                return std::nullopt;
            }
            pos += 2 + length;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ByteVector> ReadJpegHead(const std::string& path) {
    const CFileHandle file(path, O_RDONLY);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    ByteVector bytes;
    if (const std::optional<size_t> scanStart = FindScanStart(file, bytes)) {
        bytes.resize(*scanStart);
        bytes.shrink_to_fit();
    } else {
        ReadRest(file, bytes);
    }
    return bytes;
}
