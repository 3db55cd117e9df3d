// The picture tools of a document or of the Exif engine: the scalers, the
// preview surface and the image plug-in host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/ImageBuffer.h"

class CPluginHost;

class CImageTools {
public:
    // Builds the product table and loads the plug-ins of the current folder.
    CImageTools();
    // Loads the plug-ins of folder instead (tests).
    explicit CImageTools(const std::string& pluginFolder);
    ~CImageTools();
    CImageTools(const CImageTools&) = delete;
    CImageTools& operator=(const CImageTools&) = delete;

    // Nearest-neighbour resampling of source into the whole of target, which
    // must already have its size and bits.
    void ScaleImage(const CImageBuffer& source, CImageBuffer& target) const;
    // A framed, aspect-preserving, reduced copy of source, upside down in memory
    // so that it shows upright on the bottom-up preview surface.
    void FitImage(const CImageBuffer& source, CImageBuffer& target) const;
    // The 320 x 320 own-form preview surface.
    static CImageBuffer CreatePreviewSurface();

    // Entry [j][k] = (j * k) >> 10 for j, k in 0..1023.
    uint8_t Product(int j, int k) const;

    const CPluginHost& Plugins() const { return *m_pluginHost; }

private:
    std::vector<uint8_t> m_productTable;
    std::unique_ptr<CPluginHost> m_pluginHost;
};
