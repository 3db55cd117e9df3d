// Hostile bytes through the header-only read and, for pictures small enough
// to decode quickly, through the whole decode; a picture that decodes must
// get the same verdict against itself from the check split between two
// threads as from one decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureCheck.h"

namespace {

constexpr int64_t kMaxDecodedPixels = 4 * 1024 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t width = 0;
    int32_t height = 0;
    if (!ReadJpegHeaderSize(data, size, width, height) ||
        int64_t{width} * height > kMaxDecodedPixels) {
        return 0;
    }
    CImageBuffer image;
    if (PrepareImageFromJpegHeader(data, size, image) &&
        image.m_nSize != static_cast<int64_t>(image.m_pBits.size())) {
        std::abort();
    }
    CPackedPicture picture;
    if (!DecodeJpegBytesToPacked(data, size, picture)) {
        return 0;
    }
    if (picture.m_nSize != int64_t{picture.m_nWidth} * picture.m_nHeight * 3) {
        std::abort();
    }
    const CPictureSource bytes = CPictureSource::Bytes(data, size);
    if (CPictureReference(picture, ECheckThreads::Two).IsShownBy(bytes) !=
        CPictureReference(picture).IsShownBy(bytes)) {
        std::abort();
    }
    return 0;
}
