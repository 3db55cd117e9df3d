// Transplants a hostile .exif block into a small, valid picture: the split,
// the header read of the old thumbnail, the IFD1 length update and the file
// replacement all see the hostile bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "exif/ExifBlock.h"
#include "exif/ExifEngine.h"
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
    std::string folder;
    std::string exifPath;
    std::string targetPath;
    ByteVector target = MakeTarget();
    CExifEngine engine{"/nonexistent/exif_inf.pdt"};

    CFuzzFiles() {
        char pattern[] = "/tmp/kestrin-fuzz-XXXXXX";
        folder = ::mkdtemp(pattern);
        exifPath = folder + "/block.exif";
        targetPath = folder + "/target.jpg";
    }
    CFuzzFiles(const CFuzzFiles&) = delete;
    CFuzzFiles& operator=(const CFuzzFiles&) = delete;
    // The fuzzer ends a run with exit(), which destroys the one static instance.
    ~CFuzzFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
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
