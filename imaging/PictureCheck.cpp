#include "imaging/PictureCheck.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <new>
#include <system_error>

#include "imaging/BandFeed.h"
#include "imaging/PackedPicture.h"
#include "imaging/RestartCut.h"
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

std::unique_ptr<CSampleDigest> DigestIf(bool wanted) {
    return wanted ? std::make_unique<CSampleDigest>() : nullptr;
}

// A feed on two threads when a thread can be had, on one otherwise: the
// verdict is the same either way.
std::unique_ptr<IBandFeed> FeedOf(const CPictureSource& source, ECheckThreads threads) {
    try {
        return MakeBandFeed(source, threads);
    } catch (const std::system_error&) {
        return MakeBandFeed(source, ECheckThreads::One);
    }
}

// A reference's feed that keeps what passed through it (the rows so far, in
// the digest when given, and the decode's end), so that after a check that
// stopped early the rest can still be read.
class CWatchedFeed : public IBandFeed {
public:
    CWatchedFeed(IBandFeed& feed, CSampleDigest* digest) : m_feed(feed), m_pDigest(digest) {}
    std::optional<CBandShape> Start() override {
        if (!m_bStarted) {
            m_bStarted = true;
            m_shape = m_feed.Start();
            if (m_shape && m_pDigest != nullptr) {
                m_pDigest->Start(m_shape->m_nComponents);
            }
        }
        return m_shape;
    }
    const uint8_t* NextBand(uint32_t& rows) override {
        const uint8_t* band = m_feed.NextBand(rows);
        if (band == nullptr) {
            m_bFailed = true;
            return nullptr;
        }
        if (m_pDigest != nullptr) {
            m_pDigest->AddBgrRows(band, m_shape->m_nWidth, rows, size_t{m_shape->m_nWidth} * 3);
        }
        m_nRowsRead += rows;
        return band;
    }
    std::optional<int> Finish() override {
        if (!m_bFinished) {
            m_bFinished = true;
            m_warnings = m_feed.Finish();
        }
        return m_warnings;
    }

    // Reads on from wherever the feed's user stopped to the decode's end: the
    // picture's facts, nullopt when it does not decode.
    std::optional<CPictureFacts> ReadToEnd() {
        if (!Start()) {
            return std::nullopt;
        }
        while (!m_bFailed && m_nRowsRead < m_shape->m_nHeight) {
            uint32_t rows = 0;
            NextBand(rows);
        }
        const std::optional<int> warnings = m_bFailed ? std::nullopt : Finish();
        if (!warnings) {
            return std::nullopt;
        }
        return CPictureFacts{static_cast<int32_t>(m_shape->m_nWidth),
                             static_cast<int32_t>(m_shape->m_nHeight), m_shape->m_nComponents,
                             *warnings};
    }

private:
    IBandFeed& m_feed;
    CSampleDigest* m_pDigest;
    bool m_bStarted = false;
    std::optional<CBandShape> m_shape;
    uint32_t m_nRowsRead = 0;
    bool m_bFailed = false;
    bool m_bFinished = false;
    std::optional<int> m_warnings;
};

bool SameSize(const CBandShape& a, const CBandShape& b) {
    return a.m_nWidth == b.m_nWidth && a.m_nHeight == b.m_nHeight;
}

std::string BandDigest(CSampleDigest& digest, const uint8_t* band, size_t bytes) {
    digest.Start(3);
    digest.AddBytes(band, bytes);
    return digest.Finish();
}

// A reference whose decode holds all its coefficients is read through first,
// each band kept as its SHA-256 only, and its decode ends (which frees them)
// before the result opens: the two never hold theirs at once.
bool CompareInTurn(IBandFeed& reference, const CBandShape& shape,
                   const CPictureSource& resultSource) {
    const size_t rowBytes = size_t{shape.m_nWidth} * 3;
    CSampleDigest digest;
    std::vector<std::string> bands;
    for (uint32_t y = 0; y < shape.m_nHeight;) {
        uint32_t rows = 0;
        const uint8_t* band = reference.NextBand(rows);
        if (band == nullptr) {
            return false;
        }
        bands.push_back(BandDigest(digest, band, rows * rowBytes));
        y += rows;
    }
    const std::optional<int> allowed = reference.Finish();
    CBandDecoder result;
    if (!allowed || !result.Open(resultSource) || !SameSize(shape, result.Shape())) {
        return false;
    }
    std::vector<uint8_t> band(result.BandBytes());
    for (const std::string& expected : bands) {
        const JDIMENSION rows = result.ReadBand(band.data());
        if (rows == 0 || BandDigest(digest, band.data(), rows * rowBytes) != expected) {
            return false;
        }
    }
    return result.Finish() && result.Warnings() <= *allowed;
}

// On two threads the result is opened before the reference's start is
// awaited, so that both headers (and a progressive file's scans) are read at
// once. On one nothing is lost by starting the reference first, and one that
// holds all its coefficients is compared in turn.
bool CompareBands(IBandFeed& reference, const CPictureSource& resultSource, ECheckThreads threads) {
    std::optional<CBandShape> shape;
    if (threads == ECheckThreads::One) {
        shape = reference.Start();
        if (shape && shape->m_bAllCoefficients) {
            return CompareInTurn(reference, *shape, resultSource);
        }
    }
    CBandDecoder result;
    if (!result.Open(resultSource)) {
        return false;
    }
    if (threads == ECheckThreads::Two) {
        shape = reference.Start();
    }
    if (!shape || !SameSize(*shape, result.Shape())) {
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

// result's rows from its next up to end against picture's, result's row 0
// being picture's row first. False at the first difference or failure,
// which raises stop, and once stop is raised elsewhere.
bool MatchHeldRows(CBandDecoder& result, const CPackedPicture& picture, JDIMENSION first,
                   JDIMENSION end, std::atomic<bool>& stop) {
    const size_t rowBytes = size_t{result.Shape().m_nWidth} * 3;
    std::vector<uint8_t> band(result.BandBytes());
    while (result.NextRow() < end) {
        const uint8_t* expected = picture.m_pBits.data() + (first + result.NextRow()) * rowBytes;
        const JDIMENSION rows = result.ReadBand(band.data(), end);
        if (stop || rows == 0 ||
            !std::equal(band.data(), band.data() + rows * rowBytes, expected)) {
            stop = true;
            return false;
        }
    }
    return true;
}

// The lower part of a split check from split down, with the end of its
// decode and the warnings rule, on a decode of its own: one that starts at
// the restart marker cut when there is one, else one that reads all the data
// and passes over the rows above without making pixels of them. Its first
// row of MCUs below the cut, which the rows below need, is not compared.
bool MatchHeldBelow(const CPictureSource& source, const CPackedPicture& picture,
                    const CMcuLayout& layout, JDIMENSION split, std::atomic<bool>& stop) {
    const JDIMENSION cutRow = split - layout.rowHeight;
    std::optional<CRestartCut> cut;
    if (!source.m_bFile && layout.restartInterval > 0) {
        cut = FindRestartCut(source.m_pBytes, source.m_nLength, layout, cutRow);
    }
    CBandDecoder result;
    const bool opened =
        cut ? result.OpenPieces(cut->header.data(), cut->header.size(),
                                source.m_pBytes + cut->dataStart, source.m_nLength - cut->dataStart)
            : result.Open(source);
    const JDIMENSION first = cut ? cutRow : 0;
    if (!opened || first + result.Shape().m_nHeight != layout.height ||
        !result.SkipTo(split - first)) {
        stop = true;
        return false;
    }
    return MatchHeldRows(result, picture, first, result.Shape().m_nHeight, stop) &&
           result.Finish() && result.Warnings() <= picture.m_nWarnings;
}

// Of the rows of a result decoded in two parts at once, the part above the
// split. Where the lower part reads the data above, passing over those rows
// costs it two thirds of their decode (a 12-megapixel camera file) to five
// sixths (quality 100, fine grain): at 0.75 both parts end together on the
// former, and the split saves a quarter of a decode there and an eighth on
// the latter. Where it starts at a restart marker, it costs nothing.
constexpr double kUpperPartReadingAll = 0.75;
constexpr double kUpperPartFromRestart = 0.5;

// Where the lower part starts comparing: below a restart marker cut, after
// the row of MCUs under the cut; else on a multiple of 16 rows, where the
// layouts that skip exactly end a row of MCUs. 0 when the result decodes on
// one thread.
JDIMENSION SplitRow(const CBandDecoder& result, const CMcuLayout& layout, bool bytes) {
    if (!result.SkipsExactly()) {
        return 0;
    }
    constexpr JDIMENSION kSkipRows = 16;
    const uint32_t height = layout.height;
    const auto half = static_cast<uint32_t>(height * kUpperPartFromRestart);
    const JDIMENSION cut =
        bytes ? RestartCutRow(layout, std::max(half, layout.rowHeight) - layout.rowHeight) : 0;
    if (cut > 0) {
        return cut + layout.rowHeight;
    }
    const auto row = static_cast<JDIMENSION>(height * kUpperPartReadingAll) / kSkipRows * kSkipRows;
    return row > 0 && row < height ? row : 0;
}

// The rest of a check against a held picture from result's next row on:
// the rows, the end of the decode and the warnings rule.
bool MatchHeldToEnd(CBandDecoder& result, const CPackedPicture& picture, std::atomic<bool>& stop) {
    return MatchHeldRows(result, picture, 0, result.Shape().m_nHeight, stop) && result.Finish() &&
           result.Warnings() <= picture.m_nWarnings;
}

// A held picture against a result of one scan, on two threads: this one
// decodes the rows above the split, another the rest on its own
// (MatchHeldBelow). Either part's difference or failure ends the other at
// its next band. The verdict is one whole decode's. The lower part's
// differences and failures are the whole decode's, and so are its warnings
// where it reads all the data; where it starts at a restart marker, it
// misses one when the decode above left something to warn of later (it
// warned, or holds bytes it stepped over), and then this part decodes on to
// the end to tell. Any other result, or any result when no thread can be
// had, decodes whole here.
bool CompareHeldInTwo(const CPackedPicture& picture, const CPictureSource& resultSource) {
    CHeldFeed held(picture);
    const std::optional<CBandShape> shape = held.Start();
    CBandDecoder upper;
    if (!shape || !upper.Open(resultSource) || !SameSize(*shape, upper.Shape())) {
        return false;
    }
    const int headerWarnings = upper.Warnings();
    const CMcuLayout layout = upper.Layout();
    const JDIMENSION split = SplitRow(upper, layout, !resultSource.m_bFile);
    std::atomic<bool> stop = false;
    std::future<bool> lower;
    if (split > 0) {
        try {
            lower = std::async(std::launch::async, MatchHeldBelow, std::cref(resultSource),
                               std::cref(picture), std::cref(layout), split, std::ref(stop));
        } catch (const std::system_error&) {
            // Then on one thread, with the same verdict.
        }
    }
    if (!lower.valid()) {
        return MatchHeldToEnd(upper, picture, stop);
    }
    bool above = false;
    try {
        above = MatchHeldRows(upper, picture, 0, split, stop);
    } catch (...) {
        // The lower part stops at its next band; the future waits for it.
        stop = true;
        throw;
    }
    const bool below = lower.get();
    if (!above || !below) {
        return false;
    }
    const bool leftToWarn = upper.Warnings() > headerWarnings || upper.HoldsSteppedOverBytes();
    return !leftToWarn || MatchHeldToEnd(upper, picture, stop);
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
        const std::unique_ptr<IBandFeed> feed = FeedOf(source, threads);
        return CWatchedFeed(*feed, digest).ReadToEnd();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool ShowsSamePicture(const CPictureSource& reference, const CPictureSource& result,
                      ECheckThreads threads) {
    return CPictureReference(reference, threads).IsShownBy(result);
}

// Memory that cannot be had fails the check.
bool CPictureReference::IsShownBy(const CPictureSource& result) const {
    if (m_bReadWhole && !m_facts) {
        return false;
    }
    try {
        if (m_bTakeFactsInCheck && !m_bReadWhole) {
            return CheckReadingWhole(result);
        }
        if (m_pPicture != nullptr && m_eThreads == ECheckThreads::Two) {
            return CompareHeldInTwo(*m_pPicture, result);
        }
        return CompareBands(*Feed(m_eThreads), result, m_eThreads);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CPictureReference::TakeFactsInNextCheck(bool digest) {
    m_bDigest = digest;
    m_bTakeFactsInCheck = true;
    m_bReadWhole = false;
    m_facts.reset();
}

std::unique_ptr<IBandFeed> CPictureReference::Feed(ECheckThreads threads) const {
    if (m_pPicture != nullptr) {
        return std::make_unique<CHeldFeed>(*m_pPicture);
    }
    return FeedOf(m_source, threads);
}

// The result's decode ends at the first difference (or failure), and the
// reference goes on alone to its end. Memory that cannot be had (thrown out
// of here) leaves the reference unread, for Facts() to try again.
bool CPictureReference::CheckReadingWhole(const CPictureSource& result) const {
    const std::unique_ptr<CSampleDigest> digest = DigestIf(m_bDigest);
    const std::unique_ptr<IBandFeed> feed = Feed(m_eThreads);
    CWatchedFeed watched(*feed, digest.get());
    const bool same = CompareBands(watched, result, m_eThreads);
    Learn(watched.ReadToEnd(), digest.get());
    return same;
}

// Memory that cannot be had fails the decode, as for every decode of the codec.
const std::optional<CReferenceFacts>& CPictureReference::Facts() {
    if (m_bReadWhole) {
        return m_facts;
    }
    const std::unique_ptr<CSampleDigest> digest = DigestIf(m_bDigest);
    std::optional<CPictureFacts> facts;
    try {
        // A second thread only pays when this one has the digest to take.
        const std::unique_ptr<IBandFeed> feed = Feed(digest ? m_eThreads : ECheckThreads::One);
        facts = CWatchedFeed(*feed, digest.get()).ReadToEnd();
    } catch (const std::bad_alloc&) {
        facts.reset();
    }
    Learn(facts, digest.get());
    return m_facts;
}

void CPictureReference::Learn(const std::optional<CPictureFacts>& facts,
                              CSampleDigest* digest) const {
    m_bReadWhole = true;
    if (facts) {
        m_facts = CReferenceFacts{*facts, digest != nullptr ? digest->Finish() : ""};
    }
}
