// One picture's decode as a feed of bands, read on the caller's thread or on
// a thread of its own: what the pixel check and the digest read the
// reference from. Only the codec's own files include this header: it brings
// in jpeglib.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/BandHandOver.h"
#include "imaging/JpegBandReader.h"
#include "imaging/PictureCheck.h"
#include "imaging/RestartCut.h"

// Rows decoded at a time: two rows of 16-row blocks. Measured on a
// 100-megapixel check, 16 and 32 rows cost the same processor time and 64
// rows about 8 % more (the bands leave the cache); the hand-over between
// threads costs nothing at either size.
inline constexpr JDIMENSION kBandRows = 32;

// source decoding band by band into the packed form. Every call may throw
// std::bad_alloc.
class CBandDecoder {
public:
    // Opens source and starts the decode; false when either fails.
    bool Open(const CPictureSource& source);
    // The same for a file in memory in two pieces, more read after bytes.
    bool OpenPieces(const uint8_t* bytes, size_t length, const uint8_t* more, size_t moreLength);
    // Decodes the next band (kBandRows rows, or the rows left before end
    // when fewer) into rows, room for BandBytes(); gives its row count, 0 when
    // the decode fails.
    JDIMENSION ReadBand(uint8_t* rows, JDIMENSION end = ~JDIMENSION{0});
    // Passes over the next rows up to row (none when row is behind) without
    // making pixels of them; a decode that skips exactly (SkipsExactly) goes
    // on as a whole decode does from there. False when the decoder fails.
    bool SkipTo(JDIMENSION row) { return m_reader.SkipRows(row > NextRow() ? row - NextRow() : 0); }
    bool SkipsExactly() const { return m_reader.SkipsExactly(); }
    bool Finish() { return m_reader.Finish(); }
    bool RowsLeft() const { return m_reader.NextRow() < m_reader.Height(); }
    JDIMENSION NextRow() const { return m_reader.NextRow(); }
    size_t BandBytes() const { return m_reader.RowBytes() * kBandRows; }
    CBandShape Shape() const;
    // Its layout in MCUs; for a file of one scan decoded at full size.
    CMcuLayout Layout() const;
    int Warnings() const { return m_reader.Warnings(); }
    bool HoldsSteppedOverBytes() const { return m_reader.HoldsSteppedOverBytes(); }

private:
    struct CFileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, CFileCloser> m_file;
    CJpegBandReader m_reader;
};

// The bands of one picture, in order; each may throw what its decode threw.
class IBandFeed {
public:
    virtual ~IBandFeed() = default;
    // The picture's shape once its decode started; nullopt when it did not.
    virtual std::optional<CBandShape> Start() = 0;
    // The next band (rows rows), valid until the next call; nullptr when the
    // decode failed.
    virtual const uint8_t* NextBand(uint32_t& rows) = 0;
    // The decode's warnings after its last band; nullopt when it failed.
    virtual std::optional<int> Finish() = 0;
};

// A feed of source that decodes on this thread (One) or on a thread of its
// own (Two). source must outlive the feed. May throw std::system_error when
// no thread can be started.
std::unique_ptr<IBandFeed> MakeBandFeed(const CPictureSource& source, ECheckThreads threads);
