#include "optimise/OrientationExif.h"

#include <cstring>

#include "exif/TiffView.h"

namespace {

constexpr char kExifHead[] = "Exif\0";
constexpr int64_t kTiffStart = 10;
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

}  // namespace

std::optional<CExifOrientation> FindOrientation(const ByteVector& block) {
    if (static_cast<int64_t>(block.size()) < kTiffStart || block[0] != 0xFF || block[1] != 0xE1 ||
        std::memcmp(block.data() + 4, kExifHead, 6) != 0) {
        return std::nullopt;
    }
    const CTiffView tiff(block.data() + kTiffStart, block.size() - kTiffStart);
    const std::optional<uint32_t> ifd = tiff.ReadNumber(4, 4);
    const std::optional<uint32_t> count = ifd ? tiff.ReadNumber(*ifd, 2) : std::nullopt;
    for (uint32_t i = 0; count && i < *count; ++i) {
        const int64_t entry = int64_t{*ifd} + 2 + kOrientationEntryBytes * i;
        if (tiff.ReadNumber(entry, 2) != kOrientationTag) {
            continue;
        }
        const std::optional<uint32_t> value = tiff.ReadNumber(entry + 8, 2);
        if (tiff.ReadNumber(entry + 2, 2) != kShortType || tiff.ReadNumber(entry + 4, 4) != 1u ||
            !value || *value < 1 || *value > 8) {
            return std::nullopt;
        }
        return CExifOrientation{static_cast<uint16_t>(*value), kTiffStart + entry};
    }
    return std::nullopt;
}

ByteVector OrientationOnlyExif(uint16_t orientation) {
    // Big-endian TIFF: header, IFD0 at 8 with one entry, no next IFD.
    ByteVector block{0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0x00, 0x00,
                     'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01,
                     0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01};
    block.push_back(static_cast<uint8_t>(orientation >> 8));
    block.push_back(static_cast<uint8_t>(orientation & 0xFF));
    block.insert(block.end(), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    return block;
}

CCutOrientation CutOrientation(const ByteVector& block, bool keep, ByteVector& kept) {
    kept.clear();
    const std::optional<CExifOrientation> orientation = FindOrientation(block);
    if (!orientation) {
        return {};
    }
    if (!keep) {
        // 1 is how the picture is stored: without it, viewers show the same.
        return {orientation->m_nValue != 1 ? EOrientationFate::Removed : EOrientationFate::None, 0};
    }
    kept = OrientationOnlyExif(orientation->m_nValue);
    return {EOrientationFate::Kept, static_cast<int64_t>(kept.size())};
}

CCutOrientation KeepCutOrientation(ByteVector& workCopy, const ByteVector& block, bool keep) {
    if (workCopy.size() < 2) {
        return {};
    }
    ByteVector kept;
    const CCutOrientation fate = CutOrientation(block, keep, kept);
    workCopy.insert(workCopy.begin() + 2, kept.begin(), kept.end());
    return fate;
}
