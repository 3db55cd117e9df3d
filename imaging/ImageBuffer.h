// A picture in memory, in one of two forms. Own form: rows top to bottom,
// three bytes a pixel (blue, green, red), each row followed by m_nPadBytes.
// Plug-in form: a device-independent bitmap from an image plug-in, rows bottom
// to top, 24, 8, 4 or 1 bits a pixel with a palette after its 40-byte header.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kPictInfoBytes = 26;

class CImageBuffer {
public:
    CImageBuffer() = default;

    bool IsPluginForm() const { return !m_pInfo.empty(); }

    // Own-form pixel bytes; empty when none.
    std::vector<uint8_t> m_pBits;
    int32_t m_nWidth = 100;
    int32_t m_nHeight = 100;
    int64_t m_nSize = 0;
    int32_t m_nBitCount = 24;
    int32_t m_nPadBytes = 0;
    // Plug-in form: the 40-byte bitmap header and its palette, the bitmap
    // bits, and the plug-in's picture information record.
    std::vector<uint8_t> m_pInfo;
    std::vector<uint8_t> m_pBm;
    std::array<uint8_t, kPictInfoBytes> m_pictInfo{};
};

void ReleaseBits(CImageBuffer& image);
void ReleasePluginData(CImageBuffer& image);
void ReleaseAll(CImageBuffer& image);

// Colours are 0x00BBGGRR, red in the lowest byte. Neither function checks
// bounds: callers stay inside the picture (0 <= x < width, 0 <= y < height).
uint32_t GetPixel(const CImageBuffer& image, int x, int y);
// On an 8-bit plug-in picture the grey value (r + g + b) / 3 is stored.
void PutPixel(CImageBuffer& image, int x, int y, uint32_t colour);
