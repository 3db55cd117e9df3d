// Release and pixel access of CImageBuffer in both of its forms.
//
// Bounds: the caller's coordinates are trusted (checked by assert only), as
// the pixel access is the scalers' inner loop. The plug-in form's header,
// palette and bit sizes come from outside the program, so every byte read
// there is checked: a pixel or palette entry that lies outside the plug-in's
// data reads as black and is not written.
#include "imaging/ImageBuffer.h"

#include <cassert>
#include <cstddef>

namespace {

constexpr size_t kBitmapHeaderBytes = 40;
constexpr size_t kBitCountOffset = 14;
constexpr size_t kPaletteEntryBytes = 4;

uint32_t ColourFromBgr(const uint8_t* bgr) {
    return (static_cast<uint32_t>(bgr[0]) << 16) | (static_cast<uint32_t>(bgr[1]) << 8) | bgr[2];
}

void StoreBgr(uint8_t* bgr, uint32_t colour) {
    bgr[0] = static_cast<uint8_t>(colour >> 16);
    bgr[1] = static_cast<uint8_t>(colour >> 8);
    bgr[2] = static_cast<uint8_t>(colour);
}

uint8_t GreyOf(uint32_t colour) {
    const uint32_t sum = (colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF);
    return static_cast<uint8_t>(sum / 3);
}

[[maybe_unused]] bool InsidePicture(const CImageBuffer& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.m_nWidth && y < image.m_nHeight;
}

int PluginBitCount(const CImageBuffer& image) {
    if (image.m_pInfo.size() < kBitmapHeaderBytes) {
        return 0;
    }
    return image.m_pInfo[kBitCountOffset] | (image.m_pInfo[kBitCountOffset + 1] << 8);
}

// Where a plug-in pixel lies: its byte and, below 8 bits, its bit position.
struct CPluginPixel {
    int64_t offset = -1;
    int shift = 0;
    uint8_t mask = 0xFF;
};

CPluginPixel LocatePluginPixel(const CImageBuffer& image, int bitCount, int x, int y) {
    const int64_t width = image.m_nWidth;
    const int64_t row = static_cast<int64_t>(image.m_nHeight) - 1 - y;
    const int64_t pad = image.m_nPadBytes;
    CPluginPixel pixel;
    switch (bitCount) {
        case 24:
            pixel.offset = row * (width * 3 + pad) + int64_t{x} * 3;
            break;
        case 8:
            pixel.offset = row * (width + pad) + x;
            break;
        case 4:
            pixel.offset = row * (width / 2 + pad) + x / 2;
            pixel.shift = (x % 2 == 0) ? 4 : 0;
            pixel.mask = 0x0F;
            break;
        case 1:
            pixel.offset = row * (width / 8 + pad) + x / 8;
            pixel.shift = 7 - x % 8;
            pixel.mask = 0x01;
            break;
        default:
            break;
    }
    const int64_t bytes = bitCount == 24 ? 3 : 1;
    if (pixel.offset < 0 || pixel.offset + bytes > static_cast<int64_t>(image.m_pBm.size())) {
        pixel.offset = -1;
    }
    return pixel;
}

uint32_t PaletteColour(const CImageBuffer& image, unsigned index) {
    const size_t entry = kBitmapHeaderBytes + size_t{index} * kPaletteEntryBytes;
    if (entry + kPaletteEntryBytes > image.m_pInfo.size()) {
        return 0;
    }
    return ColourFromBgr(&image.m_pInfo[entry]);
}

uint32_t GetPluginPixel(const CImageBuffer& image, int x, int y) {
    const int bitCount = PluginBitCount(image);
    const CPluginPixel pixel = LocatePluginPixel(image, bitCount, x, y);
    if (pixel.offset < 0) {
        return 0;
    }
    const uint8_t* byte = &image.m_pBm[static_cast<size_t>(pixel.offset)];
    if (bitCount == 24) {
        return ColourFromBgr(byte);
    }
    return PaletteColour(image, (*byte >> pixel.shift) & pixel.mask);
}

// Paletted pictures are taken to hold a grey ramp: the grey value, reduced to
// the index width, becomes the index.
void PutPluginPixel(CImageBuffer& image, int x, int y, uint32_t colour) {
    const int bitCount = PluginBitCount(image);
    const CPluginPixel pixel = LocatePluginPixel(image, bitCount, x, y);
    if (pixel.offset < 0) {
        return;
    }
    uint8_t* byte = &image.m_pBm[static_cast<size_t>(pixel.offset)];
    if (bitCount == 24) {
        StoreBgr(byte, colour);
        return;
    }
    const uint8_t index = static_cast<uint8_t>(GreyOf(colour) >> (8 - bitCount));
    const uint8_t mask = static_cast<uint8_t>(pixel.mask << pixel.shift);
    *byte = static_cast<uint8_t>((*byte & ~mask) | ((index << pixel.shift) & mask));
}

size_t OwnPixelOffset(const CImageBuffer& image, int x, int y) {
    const size_t stride = static_cast<size_t>(image.m_nWidth) * 3 + image.m_nPadBytes;
    const size_t offset = static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    assert(offset + 3 <= image.m_pBits.size());
    return offset;
}

}  // namespace

void ReleaseBits(CImageBuffer& image) {
    image.m_pBits.clear();
    image.m_pBits.shrink_to_fit();
}

void ReleasePluginData(CImageBuffer& image) {
    image.m_pInfo.clear();
    image.m_pInfo.shrink_to_fit();
    image.m_pBm.clear();
    image.m_pBm.shrink_to_fit();
    image.m_pictInfo.fill(0);
}

void ReleaseAll(CImageBuffer& image) {
    ReleaseBits(image);
    ReleasePluginData(image);
}

uint32_t GetPixel(const CImageBuffer& image, int x, int y) {
    assert(InsidePicture(image, x, y));
    if (image.IsPluginForm()) {
        return GetPluginPixel(image, x, y);
    }
    return ColourFromBgr(&image.m_pBits[OwnPixelOffset(image, x, y)]);
}

void PutPixel(CImageBuffer& image, int x, int y, uint32_t colour) {
    assert(InsidePicture(image, x, y));
    if (image.IsPluginForm()) {
        PutPluginPixel(image, x, y, colour);
        return;
    }
    StoreBgr(&image.m_pBits[OwnPixelOffset(image, x, y)], colour);
}
