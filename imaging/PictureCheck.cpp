#include "imaging/PictureCheck.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "imaging/BandFeed.h"
#include "imaging/PackedPicture.h"
#include "imaging/SampleDigest.h"

namespace {

// The bands of a picture already decoded; a picture with no samples does not
// start.
class CHeldFeed : public IBandFeed {
public:
    explicit CHeldFeed(const CPackedPicture& picture) : m_picture(picture) {}
    std::optional<CBandShape> Start() override {
        const int64_t samples = int64_t{m_picture.m_nWidth} * m_picture.m_nHeight * 3;
        if (m_picture.m_nSize < 1 || m_picture.m_nSize != samples ||
            m_picture.m_pBits.size() != static_cast<size_t>(samples)) {
            return std::nullopt;
        }
        return CBandShape{static_cast<uint32_t>(m_picture.m_nWidth),
                          static_cast<uint32_t>(m_picture.m_nHeight), m_picture.m_nComponents};
    }
    const uint8_t* NextBand(uint32_t& rows) override {
        const auto height = static_cast<uint32_t>(m_picture.m_nHeight);
        rows = std::min(kBandRows, height - m_nNextRow);
        const uint8_t* band =
            m_picture.m_pBits.data() + size_t{m_nNextRow} * size_t(m_picture.m_nWidth) * 3;
        m_nNextRow += rows;
        return band;
    }
    std::optional<int> Finish() override { return m_picture.m_nWarnings; }

private:
    const CPackedPicture& m_picture;
    uint32_t m_nNextRow = 0;
};

// A feed on two threads when a thread can be had, on one otherwise: the
// verdict is the same either way.
std::unique_ptr<IBandFeed> FeedOf(const CPictureSource& source, ECheckThreads threads) {
    try {
        return MakeBandFeed(source, threads);
    } catch (const std::system_error&) {
        return MakeBandFeed(source, ECheckThreads::One);
    }
}

std::optional<CPictureFacts> ReadWhole(IBandFeed& feed, CSampleDigest* digest) {
    const std::optional<CBandShape> shape = feed.Start();
    if (!shape) {
        return std::nullopt;
    }
    if (digest != nullptr) {
        digest->Start(shape->m_nComponents);
    }
    const size_t rowBytes = size_t{shape->m_nWidth} * 3;
    for (uint32_t y = 0; y < shape->m_nHeight;) {
        uint32_t rows = 0;
        const uint8_t* band = feed.NextBand(rows);
        if (band == nullptr) {
            return std::nullopt;
        }
        if (digest != nullptr) {
            digest->AddBgrRows(band, shape->m_nWidth, rows, rowBytes);
        }
        y += rows;
    }
    const std::optional<int> warnings = feed.Finish();
    if (!warnings) {
        return std::nullopt;
    }
    return CPictureFacts{static_cast<int32_t>(shape->m_nWidth),
                         static_cast<int32_t>(shape->m_nHeight), shape->m_nComponents, *warnings};
}

// The result is opened before the reference's start is awaited, so that on
// two threads both headers (and a progressive file's scans) are read at once.
bool CompareBands(IBandFeed& reference, const CPictureSource& resultSource) {
    CBandDecoder result;
    if (!result.Open(resultSource)) {
        return false;
    }
    const std::optional<CBandShape> shape = reference.Start();
    const CBandShape resultShape = result.Shape();
    if (!shape || shape->m_nWidth != resultShape.m_nWidth ||
        shape->m_nHeight != resultShape.m_nHeight) {
        return false;
    }
    std::vector<uint8_t> band(result.BandBytes());
    const size_t rowBytes = size_t{shape->m_nWidth} * 3;
    while (result.RowsLeft()) {
        uint32_t expectedRows = 0;
        const uint8_t* expected = reference.NextBand(expectedRows);
        const JDIMENSION rows = result.ReadBand(band.data());
        if (expected == nullptr || rows == 0 || rows != expectedRows ||
            !std::equal(band.data(), band.data() + rows * rowBytes, expected)) {
            return false;
        }
    }
    const std::optional<int> allowed = reference.Finish();
    return result.Finish() && allowed && result.Warnings() <= *allowed;
}

}  // namespace

CPictureSource CPictureSource::File(const std::string& path, bool nameChecked) {
    CPictureSource source;
    source.m_strPath = path;
    source.m_bFile = true;
    source.m_bNameChecked = nameChecked;
    return source;
}

CPictureSource CPictureSource::Bytes(const uint8_t* bytes, size_t length) {
    CPictureSource source;
    source.m_pBytes = bytes;
    source.m_nLength = length;
    return source;
}

// Memory that cannot be had for a band or the decoder's tables fails the
// decode, as for every decode of the codec.
std::optional<CPictureFacts> DecodePicture(const CPictureSource& source, ECheckThreads threads,
                                           CSampleDigest* digest) {
    try {
        return ReadWhole(*FeedOf(source, threads), digest);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// The same for the check: memory that cannot be had fails it.
bool ShowsSamePicture(const CPictureSource& reference, const CPictureSource& result,
                      ECheckThreads threads) {
    try {
        return CompareBands(*FeedOf(reference, threads), result);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CPictureReference::IsShownBy(const CPictureSource& result) const {
    if (m_pPicture != nullptr) {
        CHeldFeed held(*m_pPicture);
        return CompareBands(held, result);
    }
    return ShowsSamePicture(m_source, result, m_eThreads);
}
