// A decoded picture held whole: what the window shows, and what its checks
// compare with, made before any of the file's marker segments were removed.
#pragma once

#include <cstdint>
#include <vector>

// Width x height x 3 bytes, blue-green-red, top row first, no padding.
struct CPackedPicture {
    std::vector<uint8_t> m_pBits;
    int64_t m_nSize = 0;
    int32_t m_nWidth = 1;
    int32_t m_nHeight = 1;
    // Channels of the file: 1 grey, 3 colour, 4 CMYK or YCCK.
    int m_nComponents = 3;
    // Corrupt-data warnings the decode of these pixels met.
    int m_nWarnings = 0;
};
