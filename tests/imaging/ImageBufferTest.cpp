#include "imaging/ImageBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An own-form picture of the given size whose bytes count up from 0.
CImageBuffer OwnForm(int width, int height, int pad) {
    CImageBuffer image;
    image.m_nWidth = width;
    image.m_nHeight = height;
    image.m_nPadBytes = pad;
    image.m_pBits.resize(static_cast<size_t>((width * 3 + pad) * height));
    for (size_t i = 0; i < image.m_pBits.size(); ++i) {
        image.m_pBits[i] = static_cast<uint8_t>(i);
    }
    image.m_nSize = static_cast<int64_t>(image.m_pBits.size());
    return image;
}

// A plug-in picture: a 40-byte header with only the bit count set, a
// palette, and bits bytes as given.
CImageBuffer PluginForm(int width, int height, int bitCount, int pad,
                        const std::vector<uint32_t>& palette, const std::vector<uint8_t>& bits) {
    CImageBuffer image;
    image.m_nWidth = width;
    image.m_nHeight = height;
    image.m_nBitCount = bitCount;
    image.m_nPadBytes = pad;
    image.m_pInfo.assign(40, 0);
    image.m_pInfo[14] = static_cast<uint8_t>(bitCount);
    for (uint32_t bgr : palette) {
        image.m_pInfo.insert(image.m_pInfo.end(),
                             {static_cast<uint8_t>(bgr >> 16), static_cast<uint8_t>(bgr >> 8),
                              static_cast<uint8_t>(bgr), 0});
    }
    image.m_pBm = bits;
    return image;
}

const std::vector<uint32_t> kFourColours = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};

TEST(AnOwnFormPicture, StoresBlueGreenRedAtTheRowStrideWithItsPadding) {
    CImageBuffer image = OwnForm(3, 2, 3);
    PutPixel(image, 2, 1, 0x00112233);
    // Row 1 starts at 3 * 3 + 3 = 12; x = 2 adds 6.
    EXPECT_EQ(image.m_pBits[18], 0x11);
    EXPECT_EQ(image.m_pBits[19], 0x22);
    EXPECT_EQ(image.m_pBits[20], 0x33);
    EXPECT_EQ(image.m_pBits[17], 17);
    EXPECT_EQ(image.m_pBits[21], 21);
    EXPECT_EQ(GetPixel(image, 2, 1), 0x00112233u);
    EXPECT_EQ(GetPixel(image, 0, 0), 0x00000102u);
}

TEST(APluginPicture, OfTwentyFourBitsRunsBottomUp) {
    // Two rows of one pixel, padded to four bytes: the top row is stored last.
    CImageBuffer image = PluginForm(1, 2, 24, 1, {}, {1, 2, 3, 0, 4, 5, 6, 0});
    EXPECT_EQ(GetPixel(image, 0, 0), 0x00040506u);
    EXPECT_EQ(GetPixel(image, 0, 1), 0x00010203u);
    PutPixel(image, 0, 1, 0x00AABBCC);
    EXPECT_EQ(image.m_pBm, (std::vector<uint8_t>{0xAA, 0xBB, 0xCC, 0, 4, 5, 6, 0}));
}

struct CPaletteCase {
    int width;
    int bitCount;
    int pad;
    int x;
    std::vector<uint8_t> row;
    uint32_t colour;
};

class APalettedPicture : public ::testing::TestWithParam<CPaletteCase> {};

TEST_P(APalettedPicture, ReadsThePaletteEntryOfItsIndex) {
    const CPaletteCase& c = GetParam();
    const CImageBuffer image = PluginForm(c.width, 1, c.bitCount, c.pad, kFourColours, c.row);
    EXPECT_EQ(GetPixel(image, c.x, 0), c.colour);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, APalettedPicture,
    ::testing::Values(CPaletteCase{4, 8, 0, 2, {0, 0, 3, 0}, 0xFF0000},
                      // Five 4-bit pixels: x = 4 is the high nibble of byte 2.
                      CPaletteCase{5, 4, 2, 4, {0x00, 0x00, 0x21, 0x00}, 0x00FF00},
                      CPaletteCase{5, 4, 2, 3, {0x00, 0x03, 0x00, 0x00}, 0xFF0000},
                      // Ten 1-bit pixels: x = 9 is bit 6 of byte 1.
                      CPaletteCase{10, 1, 3, 9, {0x00, 0x40, 0x00, 0x00}, 0x0000FF},
                      CPaletteCase{10, 1, 3, 0, {0x7F, 0xFF, 0x00, 0x00}, 0x000000}),
    [](const auto& info) {
        return std::to_string(info.param.bitCount) + "Bits_X" + std::to_string(info.param.x);
    });

TEST(APalettedPicture, StoresTheGreyValueAsItsIndex) {
    CImageBuffer eight = PluginForm(2, 1, 8, 2, {}, {0, 0, 0, 0});
    PutPixel(eight, 1, 0, 0x00306090);
    EXPECT_EQ(eight.m_pBm, (std::vector<uint8_t>{0, 0x60, 0, 0}));

    CImageBuffer four = PluginForm(2, 1, 4, 3, {}, {0x00, 0, 0, 0});
    PutPixel(four, 1, 0, 0x00FFFFFF);
    PutPixel(four, 0, 0, 0x00303030);
    EXPECT_EQ(four.m_pBm[0], 0x3F);

    CImageBuffer one = PluginForm(8, 1, 1, 3, {}, {0xFF, 0, 0, 0});
    PutPixel(one, 6, 0, 0x00000000);
    EXPECT_EQ(one.m_pBm[0], 0xFD);
}

TEST(APluginPictureFromOutside, ReadsBlackAndWritesNothingOutsideItsData) {
    // Index 9 has no palette entry; the top row, stored last, has no bits.
    CImageBuffer image = PluginForm(4, 2, 8, 0, kFourColours, {9, 1, 1, 1});
    EXPECT_EQ(GetPixel(image, 0, 1), 0u);
    EXPECT_EQ(GetPixel(image, 1, 0), 0u);
    PutPixel(image, 1, 0, 0x00FFFFFF);
    EXPECT_EQ(image.m_pBm, (std::vector<uint8_t>{9, 1, 1, 1}));

    CImageBuffer noHeader = PluginForm(1, 1, 24, 0, {}, {1, 2, 3});
    noHeader.m_pInfo.resize(10);
    EXPECT_EQ(GetPixel(noHeader, 0, 0), 0u);
}

TEST(AReleasedPicture, IsAnEmptyOwnFormPicture) {
    CImageBuffer image = PluginForm(1, 1, 24, 0, {}, {1, 2, 3});
    image.m_pBits = {1, 2, 3};
    image.m_pictInfo.fill(7);
    ReleaseAll(image);
    EXPECT_FALSE(image.IsPluginForm());
    EXPECT_TRUE(image.m_pBits.empty());
    EXPECT_TRUE(image.m_pBm.empty());
    EXPECT_EQ(image.m_pictInfo, (std::array<uint8_t, kPictInfoBytes>{}));
}

}  // namespace
