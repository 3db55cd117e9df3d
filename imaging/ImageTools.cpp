// The scalers, the preview surface and the product table of CImageTools.
#include "imaging/ImageTools.h"

#include <algorithm>

#include "imaging/PluginHost.h"

namespace {

constexpr int kTableSide = 1024;
constexpr int kFractionBits = 10;
constexpr int kPreviewSide = 320;
constexpr uint32_t kFrameLight = 0x848684;
constexpr uint32_t kFrameDark = 0x010101;

// True when every pixel access inside the picture's size stays inside its
// bytes. A plug-in picture checks its own accesses.
bool HoldsWholePicture(const CImageBuffer& image) {
    if (image.m_nWidth < 1 || image.m_nHeight < 1) {
        return false;
    }
    if (image.IsPluginForm()) {
        return true;
    }
    const int64_t stride = int64_t{image.m_nWidth} * 3 + image.m_nPadBytes;
    return image.m_nPadBytes >= 0 &&
           stride * image.m_nHeight <= static_cast<int64_t>(image.m_pBits.size());
}

void DrawRow(CImageBuffer& image, int row, int firstColumn, int lastColumn, uint32_t colour) {
    for (int x = firstColumn; x <= lastColumn; ++x) {
        PutPixel(image, x, row, colour);
    }
}

void DrawColumn(CImageBuffer& image, int column, int firstRow, int lastRow, uint32_t colour) {
    for (int y = firstRow; y <= lastRow; ++y) {
        PutPixel(image, column, y, colour);
    }
}

// A black surface with a two-pixel frame: light on the bottom row (in memory
// order) and left column, dark on the top row and right column, then an inner
// light row and column.
void DrawFrame(CImageBuffer& target) {
    std::fill(target.m_pBits.begin(), target.m_pBits.end(), 0);
    std::fill(target.m_pBm.begin(), target.m_pBm.end(), 0);
    const int w = target.m_nWidth;
    const int h = target.m_nHeight;
    DrawRow(target, h - 1, 0, w - 2, kFrameLight);
    DrawColumn(target, 0, 0, h - 2, kFrameLight);
    DrawRow(target, 0, 0, w - 1, kFrameDark);
    DrawColumn(target, w - 1, 0, h - 1, kFrameDark);
    if (h > 1) {
        DrawRow(target, 1, 1, w - 2, kFrameLight);
    }
    if (w > 1) {
        DrawColumn(target, w - 2, 1, h - 2, kFrameLight);
    }
}

struct CMargins {
    int64_t mx = 0;
    int64_t my = 0;
};

// W / H > w / h compared exactly, as W * h > w * H.
CMargins FitMargins(int64_t w, int64_t h, int64_t W, int64_t H) {
    if (W * h > w * H) {
        return {(W - w * H / h) / 2, 0};
    }
    return {0, (H - h * W / w) / 2};
}

}  // namespace

CImageTools::CImageTools() : CImageTools(".") {}

CImageTools::CImageTools(const std::string& pluginFolder)
    : m_productTable(size_t{kTableSide} * kTableSide),
      m_pluginHost(std::make_unique<CPluginHost>(pluginFolder)) {
    for (int j = 0; j < kTableSide; ++j) {
        for (int k = 0; k < kTableSide; ++k) {
            m_productTable[size_t(j) * kTableSide + k] =
                static_cast<uint8_t>((j * k) >> kFractionBits);
        }
    }
}

CImageTools::~CImageTools() = default;

uint8_t CImageTools::Product(int j, int k) const {
    return m_productTable[size_t(j) * kTableSide + size_t(k)];
}

void CImageTools::ScaleImage(const CImageBuffer& source, CImageBuffer& target) const {
    if (!HoldsWholePicture(source) || !HoldsWholePicture(target)) {
        return;
    }
    const int64_t sw = source.m_nWidth;
    const int64_t sh = source.m_nHeight;
    for (int y = 0; y < target.m_nHeight; ++y) {
        const int sy = static_cast<int>(sh * y / target.m_nHeight);
        for (int x = 0; x < target.m_nWidth; ++x) {
            const int sx = static_cast<int>(sw * x / target.m_nWidth);
            PutPixel(target, x, y, GetPixel(source, sx, sy));
        }
    }
}

void CImageTools::FitImage(const CImageBuffer& source, CImageBuffer& target) const {
    if (!HoldsWholePicture(source) || !HoldsWholePicture(target)) {
        return;
    }
    const int64_t w = source.m_nWidth;
    const int64_t h = source.m_nHeight;
    const CMargins margins = FitMargins(w, h, target.m_nWidth, target.m_nHeight);
    DrawFrame(target);
    const int64_t n = target.m_nHeight - (2 * margins.my + 3);
    const int64_t m = target.m_nWidth - (2 * margins.mx + 3);
    for (int64_t i = 0; i < n; ++i) {
        const int row = static_cast<int>(n + margins.my - i + 1);
        for (int64_t j = 0; j < m; ++j) {
            const uint32_t colour =
                GetPixel(source, static_cast<int>(w * j / m), static_cast<int>(h * i / n));
            PutPixel(target, static_cast<int>(j + margins.mx + 1), row, colour);
        }
    }
}

CImageBuffer CImageTools::CreatePreviewSurface() {
    CImageBuffer surface;
    surface.m_nWidth = kPreviewSide;
    surface.m_nHeight = kPreviewSide;
    surface.m_nSize = int64_t{kPreviewSide} * kPreviewSide * 3;
    surface.m_nBitCount = 24;
    surface.m_nPadBytes = 0;
    surface.m_pBits.assign(static_cast<size_t>(surface.m_nSize), 0);
    return surface;
}
