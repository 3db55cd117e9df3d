// Transplants a hostile .exif block into a small, valid picture: the split,
// the header read of the old thumbnail, the IFD1 length update and the file
// replacement all see the hostile bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exif/ExifBlock.h"
#include "exif/ExifEngine.h"
#include "fuzz/FuzzSupport.h"
#include "imaging/JpegEncoder.h"
#include "util/FileHelpers.h"

namespace {

ByteVector MakeTarget() {
    CImageBuffer picture;
    picture.m_nWidth = 24;
    picture.m_nHeight = 16;
    picture.m_nSize = 24 * 3 * 16;
    picture.m_pBits.assign(static_cast<size_t>(picture.m_nSize), 0x80);
    const std::optional<ByteVector> encoded = EncodeJpegToMemory(picture);
    if (!encoded) {
        std::abort();
    }
    return *encoded;
}

struct CFuzzFiles {
    CFuzzFolder folder;
    std::string exifPath = folder.File("block.exif");
    std::string targetPath = folder.File("target.jpg");
    ByteVector target = MakeTarget();
    CExifEngine engine{"/nonexistent/exif_inf.pdt"};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CFuzzFiles files;
    const ByteVector block(data, data + size);
    const std::optional<CExifThumbnailSplit> split = SplitAtThumbnail(block);
    if (split) {
        BuildTransplantSegment(*split, {0xFF, 0xD8, 0xFF, 0xD9});
    }
    WriteWholeFile(files.exifPath, std::string(block.begin(), block.end()));
    WriteWholeFile(files.targetPath, std::string(files.target.begin(), files.target.end()));
    files.engine.TransplantExifWithThumbnail(files.exifPath, files.targetPath);
    return 0;
}
