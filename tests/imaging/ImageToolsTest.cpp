#include "imaging/ImageTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

CImageBuffer Blank(int width, int height) {
    CImageBuffer image;
    image.m_nWidth = width;
    image.m_nHeight = height;
    image.m_nPadBytes = (4 - width * 3 % 4) % 4;
    image.m_nSize = int64_t{width * 3 + image.m_nPadBytes} * height;
    image.m_pBits.assign(static_cast<size_t>(image.m_nSize), 0);
    return image;
}

CImageBuffer Painted(int width, int height, const std::function<uint32_t(int, int)>& colourAt) {
    CImageBuffer image = Blank(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            PutPixel(image, x, y, colourAt(x, y));
        }
    }
    return image;
}

// Every pixel its own colour, so a copy tells where it came from.
uint32_t Position(int x, int y) {
    return static_cast<uint32_t>(x | (y << 12));
}

class TheImageTools : public ::testing::Test {
protected:
    CImageTools tools{"/no/plugins/here"};
};

TEST_F(TheImageTools, ScaleDownTakesEveryFourthPixelOfEveryFourthRow) {
    const CImageBuffer source = Painted(640, 480, Position);
    CImageBuffer target = Blank(160, 120);
    tools.ScaleImage(source, target);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            ASSERT_EQ(GetPixel(target, x, y), Position(4 * x, 4 * y)) << x << "," << y;
        }
    }
}

TEST_F(TheImageTools, ScaleUpRepeatsEachPixelInABlock) {
    const CImageBuffer source = Painted(2, 2, Position);
    CImageBuffer target = Blank(4, 4);
    tools.ScaleImage(source, target);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(GetPixel(target, x, y), Position(x / 2, y / 2)) << x << "," << y;
        }
    }
}

TEST_F(TheImageTools, ScaleLeavesATargetWithoutBitsAlone) {
    const CImageBuffer source = Painted(8, 8, Position);
    CImageBuffer target;
    target.m_nWidth = 4;
    target.m_nHeight = 4;
    tools.ScaleImage(source, target);
    EXPECT_TRUE(target.m_pBits.empty());
}

TEST_F(TheImageTools, MakesA320SquareOwnFormPreviewSurface) {
    const CImageBuffer surface = CImageTools::CreatePreviewSurface();
    EXPECT_EQ(surface.m_nWidth, 320);
    EXPECT_EQ(surface.m_nHeight, 320);
    EXPECT_EQ(surface.m_nSize, 307200);
    EXPECT_EQ(surface.m_pBits.size(), 307200u);
    EXPECT_EQ(surface.m_nBitCount, 24);
    EXPECT_EQ(surface.m_nPadBytes, 0);
    EXPECT_FALSE(surface.IsPluginForm());
}

TEST_F(TheImageTools, HoldProductsOfTenBitFractionsInBytes) {
    EXPECT_EQ(tools.Product(0, 1023), 0);
    EXPECT_EQ(tools.Product(255, 512), 127);
    EXPECT_EQ(tools.Product(255, 1023), 254);
    // (1023 * 1023) >> 10 = 1022 keeps only its low byte.
    EXPECT_EQ(tools.Product(1023, 1023), 1022 & 0xFF);
}

constexpr uint32_t kLight = 0x848684;
constexpr uint32_t kDark = 0x010101;
constexpr uint32_t kPictureColour = 0x123456;

struct CFitCase {
    int width;
    int height;
    int firstColumn;
    int firstRow;
    int columns;
    int rows;
};

class AFittedPicture : public ::testing::TestWithParam<CFitCase> {
protected:
    CImageTools tools{"/no/plugins/here"};
    CImageBuffer surface = CImageTools::CreatePreviewSurface();
};

TEST_P(AFittedPicture, FillsTheInnerBoxBetweenItsMargins) {
    const CFitCase& c = GetParam();
    tools.FitImage(Painted(c.width, c.height, [](int, int) { return kPictureColour; }), surface);
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool inside = x >= c.firstColumn && x < c.firstColumn + c.columns &&
                                y >= c.firstRow && y < c.firstRow + c.rows;
            ASSERT_EQ(GetPixel(surface, x, y) == kPictureColour, inside) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, AFittedPicture,
                         ::testing::Values(
                             // mx 0, my (320 - 240) / 2 = 40, inner 317 x 237.
                             CFitCase{640, 480, 1, 42, 317, 237},
                             // mx (320 - 80) / 2 = 120, my 0, inner 77 x 317.
                             CFitCase{100, 400, 121, 2, 77, 317}, CFitCase{50, 50, 1, 2, 317, 317}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

TEST_F(AFittedPicture, DrawsTheFrameInItsOrder) {
    tools.FitImage(Painted(640, 480, [](int, int) { return kPictureColour; }), surface);
    EXPECT_EQ(GetPixel(surface, 0, 0), kDark);
    EXPECT_EQ(GetPixel(surface, 0, 319), kLight);
    EXPECT_EQ(GetPixel(surface, 319, 319), kDark);
    EXPECT_EQ(GetPixel(surface, 319, 0), kDark);
    EXPECT_EQ(GetPixel(surface, 100, 319), kLight);
    EXPECT_EQ(GetPixel(surface, 1, 1), kLight);
    EXPECT_EQ(GetPixel(surface, 318, 100), kLight);
    EXPECT_EQ(GetPixel(surface, 100, 2), 0u);
    // Light is 0x848684 with red in the lowest byte: stored blue, green, red.
    EXPECT_EQ(surface.m_pBits[0 + 3 * 319 * 320], 0x84);
    EXPECT_EQ(surface.m_pBits[1 + 3 * 319 * 320], 0x86);
}

TEST_F(AFittedPicture, IsStoredUpsideDown) {
    const auto redTopRow = [](int, int y) { return y == 0 ? 0x0000FFu : 0xFF0000u; };
    tools.FitImage(Painted(640, 480, redTopRow), surface);
    EXPECT_EQ(GetPixel(surface, 100, 278), 0x0000FFu);
    EXPECT_EQ(GetPixel(surface, 100, 277), 0xFF0000u);
    EXPECT_EQ(GetPixel(surface, 100, 42), 0xFF0000u);
}

}  // namespace
