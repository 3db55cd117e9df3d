// The decoder of the codec, and the pixel check built on it. Every libjpeg
// call runs under the codec's error trap, so a damaged file fails the decode
// and never ends the process.
#include "imaging/JpegDecoder.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "imaging/JpegDecompressor.h"
#include "util/FileHandle.h"
#include "util/TextHelpers.h"

namespace {

constexpr JDIMENSION kRowsPerRead = 16;

struct CFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

// Where the decoder's input comes from: an open file or bytes in memory.
struct CJpegInput {
    std::FILE* file = nullptr;
    const uint8_t* bytes = nullptr;
    size_t length = 0;
};

// Under the error trap only.
void AttachInput(j_decompress_ptr info, const CJpegInput& input) {
    if (input.file != nullptr) {
        jpeg_stdio_src(info, input.file);
    } else {
        jpeg_mem_src(info, input.bytes, input.length);
    }
}

bool IsFourChannel(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// The channels of the library's default output for this file.
int SourceComponents(const jpeg_decompress_struct& info) {
    if (IsFourChannel(info)) {
        return 4;
    }
    return info.jpeg_color_space == JCS_GRAYSCALE ? 1 : 3;
}

int64_t PackedBytes(const jpeg_decompress_struct& info) {
    return int64_t{info.image_width} * info.image_height * 3;
}

// Under the error trap only. Reads the header and asks for blue-green-red, or
// CMYK for a four-channel file (libjpeg turns YCCK into CMYK itself and
// cannot turn CMYK into BGR). Other channel counts fail when decoding starts.
void ReadHeader(CDecompressor& decoder, const CJpegInput& input) {
    jpeg_decompress_struct& info = decoder.Info();
    decoder.Create();
    AttachInput(&info, input);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = IsFourChannel(info) ? JCS_CMYK : JCS_EXT_BGR;
}

// A four-channel pixel as blue-green-red. libjpeg hands CMYK (and YCCK, once
// turned into CMYK) back as stored. A file with an Adobe marker stores the
// inverted values (255 = no ink), any other file stores amounts of ink. With
// c, m, y, k the "no ink" values: red = c * k / 255, green = m * k / 255,
// blue = y * k / 255, rounded to the nearest integer.
void ConvertFourChannelRow(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    const int flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const int k = cmyk[3] ^ flip;
        bgr[0] = static_cast<uint8_t>(((cmyk[2] ^ flip) * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>(((cmyk[1] ^ flip) * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>(((cmyk[0] ^ flip) * k + 127) / 255);
    }
}

// Where the decoded blue-green-red rows go.
class IRowSink {
public:
    virtual ~IRowSink() = default;
    // Told the picture's size and the file's channel count before any row;
    // false refuses the picture. May throw std::bad_alloc.
    virtual bool Begin(JDIMENSION width, JDIMENSION height, int components) = 0;
    // Where row first goes; the next rows follow at Stride() bytes, room for
    // kRowsPerRead rows in all (or up to the last row).
    virtual uint8_t* RowsFrom(JDIMENSION first) = 0;
    virtual size_t Stride() const = 0;
    // count rows from first were written; false stops the decode as failed.
    virtual bool Took(JDIMENSION first, JDIMENSION count) = 0;
};

// Under the error trap only. One call of jpeg_read_scanlines; false when it
// gave nothing or the sink refused the rows.
bool ReadSomeRows(jpeg_decompress_struct& info, IRowSink& sink, uint8_t* fourChannelRows) {
    const JDIMENSION first = info.output_scanline;
    const JDIMENSION wanted = std::min(kRowsPerRead, info.output_height - first);
    uint8_t* target = sink.RowsFrom(first);
    uint8_t* base = fourChannelRows != nullptr ? fourChannelRows : target;
    const size_t stride =
        fourChannelRows != nullptr ? size_t{info.output_width} * 4 : sink.Stride();
    JSAMPROW rows[kRowsPerRead];
    for (JDIMENSION i = 0; i < wanted; ++i) {
        rows[i] = base + i * stride;
    }
    const JDIMENSION got = jpeg_read_scanlines(&info, rows, wanted);
    if (fourChannelRows != nullptr) {
        for (JDIMENSION i = 0; i < got; ++i) {
            ConvertFourChannelRow(rows[i], target + i * sink.Stride(), info.output_width,
                                  info.saw_Adobe_marker != FALSE);
        }
    }
    return got > 0 && sink.Took(first, got);
}

// A size the decoder's own scaling must not go below.
struct CLeastSize {
    int32_t width;
    int32_t height;
};

// Under the error trap only. The library's smallest scale of 1/8, 1/4 and
// 1/2 whose output is still at least least; full size when none is.
void ScaleDownTo(jpeg_decompress_struct& info, const CLeastSize& least) {
    for (const unsigned denominator : {8U, 4U, 2U}) {
        const uint64_t width = (uint64_t{info.image_width} + denominator - 1) / denominator;
        const uint64_t height = (uint64_t{info.image_height} + denominator - 1) / denominator;
        if (width >= static_cast<uint64_t>(least.width) &&
            height >= static_cast<uint64_t>(least.height)) {
            info.scale_num = 1;
            info.scale_denom = denominator;
            return;
        }
    }
}

// Decodes the whole picture of input into sink, scaled down by the library
// when least is given. Throws std::bad_alloc when memory runs out.
bool DecodeInto(const CJpegInput& input, IRowSink& sink, int* warnings = nullptr,
                const CLeastSize* least = nullptr) {
    CDecompressor decoder;
    std::vector<uint8_t> fourChannelRows;
    const bool decoded = decoder.Run([&] {
        jpeg_decompress_struct& info = decoder.Info();
        ReadHeader(decoder, input);
        if (least != nullptr) {
            ScaleDownTo(info, *least);
        }
        jpeg_calc_output_dimensions(&info);
        if (PackedBytes(info) > kMaxPictureBytes ||
            !sink.Begin(info.output_width, info.output_height, SourceComponents(info))) {
            return false;
        }
        if (IsFourChannel(info)) {
            fourChannelRows.resize(size_t{info.output_width} * 4 * kRowsPerRead);
        }
        jpeg_start_decompress(&info);
        uint8_t* scratch = fourChannelRows.empty() ? nullptr : fourChannelRows.data();
        while (info.output_scanline < info.output_height) {
            if (!ReadSomeRows(info, sink, scratch)) {
                return false;
            }
        }
        jpeg_finish_decompress(&info);
        return true;
    });
    if (warnings != nullptr) {
        *warnings = decoder.Warnings();
    }
    return decoded;
}

// Rows kept in one buffer, each padded to a multiple of alignment bytes.
class CBufferSink : public IRowSink {
public:
    CBufferSink(std::vector<uint8_t>& bits, size_t alignment)
        : m_bits(bits), m_alignment(alignment) {}
    bool Begin(JDIMENSION width, JDIMENSION height, int components) override {
        m_width = static_cast<int32_t>(width);
        m_height = static_cast<int32_t>(height);
        m_components = components;
        m_stride = (size_t{width} * 3 + m_alignment - 1) / m_alignment * m_alignment;
        const size_t bytes = m_stride * height;
        if (bytes > m_bits.capacity()) {
            // Growing would copy the old pixels, which are overwritten anyway.
            m_bits.clear();
            m_bits.shrink_to_fit();
        }
        m_bits.resize(bytes);
        return true;
    }
    uint8_t* RowsFrom(JDIMENSION first) override { return m_bits.data() + first * m_stride; }
    size_t Stride() const override { return m_stride; }
    bool Took(JDIMENSION, JDIMENSION) override { return true; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int Components() const { return m_components; }

private:
    std::vector<uint8_t>& m_bits;
    size_t m_alignment;
    size_t m_stride = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_components = 3;
};

// Compares each group of rows with the reference as soon as it is decoded, so
// a verification never holds a second whole picture and stops at the first
// difference.
class CComparingSink : public IRowSink {
public:
    CComparingSink(const uint8_t* reference, int64_t referenceSize)
        : m_reference(reference), m_referenceSize(referenceSize) {}
    bool Begin(JDIMENSION width, JDIMENSION height, int) override {
        m_stride = size_t{width} * 3;
        if (static_cast<int64_t>(m_stride * height) != m_referenceSize) {
            return false;
        }
        m_rows.resize(m_stride * kRowsPerRead);
        return true;
    }
    uint8_t* RowsFrom(JDIMENSION) override { return m_rows.data(); }
    size_t Stride() const override { return m_stride; }
    bool Took(JDIMENSION first, JDIMENSION count) override {
        return std::equal(m_rows.begin(), m_rows.begin() + count * m_stride,
                          m_reference + first * m_stride);
    }

private:
    const uint8_t* m_reference;
    int64_t m_referenceSize;
    size_t m_stride = 0;
    std::vector<uint8_t> m_rows;
};

bool CompareWithReference(const CJpegInput& input, const uint8_t* reference, int64_t referenceSize,
                          int* warnings) {
    try {
        CComparingSink sink(reference, referenceSize);
        return DecodeInto(input, sink, warnings);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool DecodeToPacked(const CJpegInput& input, CPackedPicture& picture) {
    try {
        CPackedPicture fresh;
        CBufferSink sink(fresh.m_pBits, 1);
        int warnings = 0;
        if (!DecodeInto(input, sink, &warnings)) {
            return false;
        }
        fresh.m_nWidth = sink.Width();
        fresh.m_nHeight = sink.Height();
        fresh.m_nComponents = sink.Components();
        fresh.m_nSize = static_cast<int64_t>(fresh.m_pBits.size());
        fresh.m_nWarnings = warnings;
        picture = std::move(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void EmptyKeepingMemory(CPackedPicture& picture) {
    std::vector<uint8_t> memory = std::move(picture.m_pBits);
    memory.clear();
    picture = CPackedPicture();
    picture.m_pBits = std::move(memory);
}

bool DecodeInPlace(const CJpegInput& input, CPackedPicture& picture) {
    int warnings = 0;
    try {
        CBufferSink sink(picture.m_pBits, 1);
        if (DecodeInto(input, sink, &warnings)) {
            picture.m_nWidth = sink.Width();
            picture.m_nHeight = sink.Height();
            picture.m_nComponents = sink.Components();
            picture.m_nSize = static_cast<int64_t>(picture.m_pBits.size());
            picture.m_nWarnings = warnings;
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    EmptyKeepingMemory(picture);
    return false;
}

size_t PaddedStride(int32_t width) {
    return (size_t(width) * 3 + 3) / 4 * 4;
}

void StoreOwnForm(CImageBuffer& image, std::vector<uint8_t>&& bits, int32_t width, int32_t height) {
    image.m_pBits = std::move(bits);
    image.m_nWidth = width;
    image.m_nHeight = height;
    image.m_nSize = static_cast<int64_t>(image.m_pBits.size());
    image.m_nBitCount = 24;
    image.m_nPadBytes = static_cast<int32_t>(PaddedStride(width) - size_t(width) * 3);
}

}  // namespace

bool DecodeJpegFile(const std::string& path, CImageBuffer& image) {
    ReleaseAll(image);
    const CFilePtr file(OpenRegularFileForReading(path));
    if (!file) {
        return false;
    }
    try {
        std::vector<uint8_t> bits;
        CBufferSink sink(bits, 4);
        if (!DecodeInto({file.get()}, sink)) {
            return false;
        }
        StoreOwnForm(image, std::move(bits), sink.Width(), sink.Height());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool DecodeJpegBytesNear(const uint8_t* bytes, size_t length, int32_t width, int32_t height,
                         CImageBuffer& image) {
    ReleaseAll(image);
    try {
        std::vector<uint8_t> bits;
        CBufferSink sink(bits, 4);
        const CLeastSize least{width, height};
        if (!DecodeInto({nullptr, bytes, length}, sink, nullptr, &least)) {
            return false;
        }
        StoreOwnForm(image, std::move(bits), sink.Width(), sink.Height());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ReadJpegHeaderSize(const uint8_t* bytes, size_t length, int32_t& width, int32_t& height) {
    CDecompressor decoder;
    const bool read = decoder.Run([&] {
        ReadHeader(decoder, {nullptr, bytes, length});
        return true;
    });
    if (read) {
        width = static_cast<int32_t>(decoder.Info().image_width);
        height = static_cast<int32_t>(decoder.Info().image_height);
    }
    return read;
}

bool PrepareImageFromJpegHeader(const uint8_t* bytes, size_t length, CImageBuffer& image) {
    ReleaseAll(image);
    int32_t width = 0;
    int32_t height = 0;
    if (!ReadJpegHeaderSize(bytes, length, width, height) ||
        int64_t{width} * height * 3 > kMaxPictureBytes) {
        return false;
    }
    try {
        StoreOwnForm(image, std::vector<uint8_t>(PaddedStride(width) * size_t(height)), width,
                     height);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool DecodeJpegFileToPacked(const std::string& path, CPackedPicture& picture) {
    const CFilePtr file(OpenRegularFileForReading(path));
    if (!file) {
        return false;
    }
    return DecodeToPacked({file.get()}, picture);
}

bool DecodeJpegToPacked(const std::string& path, CPackedPicture& picture) {
    return HasJpgName(path) && DecodeJpegFileToPacked(path, picture);
}

bool DecodeJpegToPackedInPlace(const std::string& path, CPackedPicture& picture) {
    const CFilePtr file(HasJpgName(path) ? OpenRegularFileForReading(path) : nullptr);
    if (!file) {
        EmptyKeepingMemory(picture);
        return false;
    }
    return DecodeInPlace({file.get()}, picture);
}

bool DecodeJpegToPackedInPlace(const std::string& path, const uint8_t* bytes, size_t length,
                               CPackedPicture& picture) {
    if (!HasJpgName(path)) {
        EmptyKeepingMemory(picture);
        return false;
    }
    return DecodeInPlace({nullptr, bytes, length}, picture);
}

bool DecodeJpegBytesToPacked(const uint8_t* bytes, size_t length, CPackedPicture& picture) {
    return DecodeToPacked({nullptr, bytes, length}, picture);
}

bool VerifyJpegAgainstReference(const uint8_t* reference, int64_t referenceSize,
                                const std::string& path, int* warnings) {
    if (warnings != nullptr) {
        *warnings = 0;
    }
    if (referenceSize < 1 || !HasJpgName(path)) {
        return false;
    }
    const CFilePtr file(OpenRegularFileForReading(path));
    if (!file) {
        return false;
    }
    return CompareWithReference({file.get()}, reference, referenceSize, warnings);
}

bool ShowsSamePicture(const CPackedPicture& reference, const std::string& path) {
    int warnings = 0;
    return VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, path,
                                      &warnings) &&
           warnings <= reference.m_nWarnings;
}

bool ShowsSamePicture(const CPackedPicture& reference, const uint8_t* bytes, size_t length) {
    int warnings = 0;
    return reference.m_nSize >= 1 &&
           CompareWithReference({nullptr, bytes, length}, reference.m_pBits.data(),
                                reference.m_nSize, &warnings) &&
           warnings <= reference.m_nWarnings;
}
