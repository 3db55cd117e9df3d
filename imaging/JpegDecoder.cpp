// The decoder of the codec, and the pixel check built on it. Every libjpeg
// call runs under the codec's error trap, so a damaged file fails the decode
// and never ends the process.
#include "imaging/JpegDecoder.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "imaging/JpegBandReader.h"
#include "imaging/PictureCheck.h"
#include "util/FileHandle.h"
#include "util/TextHelpers.h"

namespace {

constexpr JDIMENSION kRowsPerRead = 16;

struct CFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

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

// Decodes the whole picture of input into sink, scaled down by the library
// when least is given. Throws std::bad_alloc when memory runs out.
bool DecodeInto(const CJpegInput& input, IRowSink& sink, int* warnings = nullptr,
                const CLeastSize* least = nullptr) {
    CJpegBandReader reader;
    bool decoded = reader.Open(input, ESampleForm::PackedBgr, least) &&
                   sink.Begin(reader.Width(), reader.Height(), reader.FileComponents());
    while (decoded && reader.NextRow() < reader.Height()) {
        const JDIMENSION first = reader.NextRow();
        const JDIMENSION count = std::min(kRowsPerRead, reader.Height() - first);
        decoded =
            reader.ReadRows(sink.RowsFrom(first), sink.Stride(), count) && sink.Took(first, count);
    }
    decoded = decoded && reader.Finish();
    if (warnings != nullptr) {
        *warnings = reader.Warnings();
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
        m_bits.resize(m_stride * height);
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

// The picture of input at the library's smallest scale that still gives at
// least width x height pixels.
bool DecodeNear(const CJpegInput& input, int32_t width, int32_t height, CImageBuffer& image) {
    try {
        std::vector<uint8_t> bits;
        CBufferSink sink(bits, 4);
        const CLeastSize least{width, height};
        if (!DecodeInto(input, sink, nullptr, &least)) {
            return false;
        }
        StoreOwnForm(image, std::move(bits), sink.Width(), sink.Height());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
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
    return DecodeNear({nullptr, bytes, length}, width, height, image);
}

bool DecodeJpegFileNear(const std::string& path, int32_t width, int32_t height,
                        CImageBuffer& image) {
    ReleaseAll(image);
    const CFilePtr file(OpenRegularFileForReading(path));
    return file && DecodeNear({file.get()}, width, height, image);
}

bool ReadJpegHeaderSize(const uint8_t* bytes, size_t length, int32_t& width, int32_t& height) {
    CDecompressor decoder;
    const bool read = decoder.Run([&] {
        jpeg_decompress_struct& info = decoder.Info();
        decoder.Create();
        jpeg_mem_src(&info, bytes, length);
        jpeg_read_header(&info, TRUE);
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
    return CPictureReference(reference).IsShownBy(CPictureSource::File(path, true));
}

bool ShowsSamePicture(const CPackedPicture& reference, const uint8_t* bytes, size_t length) {
    return CPictureReference(reference).IsShownBy(CPictureSource::Bytes(bytes, length));
}
