// The byte pattern that splits a JPEG file into marker segments.
//
// A marker is any FF byte followed by a byte other than FF, so stuffed bytes
// (FF00) and restart markers split the entropy-coded data into segments too; the
// length fields are never read. Of a run of n FF bytes in front of a marker,
// n-1 stay at the end of the previous segment's data. Nothing before the first
// FFD8 is kept, and the scan stops at the FFD9 that closes the first FFD8 (an
// Exif thumbnail's FFD8/FFD9 pair nests inside). Every segment's data is one
// contiguous run of the input, so the scanner records positions and the
// segments it gives are views of the input, made text only when asked.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hexcodec/Cipher.h"
#include "segment/SegmentList.h"

class CMappedFile;

// The second bytes of the markers whose pieces a scan joins to the segment in
// front of them while that is a start-of-scan segment, instead of making a
// segment of each: the data of a start-of-scan segment then runs on over its
// stuffed bytes and restart markers. The bytes are the same; a large picture
// gives a few segments instead of millions. None by default: the editor
// shows every piece.
using CJoinedMarkers = std::bitset<256>;

class CSegmentScanner {
public:
    // Called at every length/21-th byte taken (at least every byte) with the
    // share of the input consumed; a true answer stops the scan there.
    using ProgressCallback = std::function<bool(int percent)>;

    // file's length below 2^32; the segments found keep it alive.
    CSegmentScanner(std::shared_ptr<const ByteVector> file, ProgressCallback onProgress,
                    CJoinedMarkers joined = {});
    // The same over a mapped file, whose pages the scan gives back behind it.
    CSegmentScanner(std::shared_ptr<const CMappedFile> file, ProgressCallback onProgress,
                    CJoinedMarkers joined = {});

    // Each segment goes to handler the moment it is found, in place of being
    // kept for Segments(): for a reader that goes through a large file once.
    void HandEachSegment(std::function<void(const CJpegSegment&)> handler) {
        m_onSegment = std::move(handler);
    }

    // Runs the scan. True when it reached its end, false when the callback
    // stopped it; either way Segments() gives what was found.
    bool Run();

    // The segments found, their data views of the file.
    CSegmentList Segments() const;

private:
    // Up to two marker bytes: none for data ahead of any marker, one for the
    // lone "FF" of a file ending in a long FF run, two otherwise.
    struct CMarker {
        uint8_t length = 0;
        uint8_t first = 0;
        uint8_t second = 0;
        bool Is(uint8_t code) const { return length == 2 && first == 0xFF && second == code; }
    };
    struct CFoundSegment {
        CMarker marker;
        uint32_t dataBegin;
        uint32_t dataEnd;
    };

    enum class EStep { Continue, Stop, Cancelled };

    CSegmentScanner(std::shared_ptr<const uint8_t> bytes, size_t length, const CMappedFile* mapping,
                    ProgressCallback onProgress, CJoinedMarkers joined);

    EStep TakeDataRun();
    EStep TakeMarker();
    void TakeFillBytes(CMarker& token);
    EStep AfterMarker(const CMarker& token);
    bool ReportPassesUpTo(uint64_t passes);
    void AppendPending();
    void AppendEmpty(const CMarker& marker);
    bool JoinsPending(const CMarker& token) const;
    void Found(const CFoundSegment& found);
    CJpegSegment SegmentOf(const CFoundSegment& found) const;
    void ReleasePassed();

    std::shared_ptr<const uint8_t> m_file;
    const uint8_t* m_pBytes;
    size_t m_nLength;
    const CMappedFile* m_pMapping;
    size_t m_nReleased = 0;
    ProgressCallback m_onProgress;
    CJoinedMarkers m_joined;
    uint64_t m_nStep;
    uint64_t m_nPasses = 0;
    size_t m_nPos = 0;
    CMarker m_code;
    size_t m_nDataBegin = 0;
    size_t m_nDataEnd = 0;
    int m_nStarts = 0;
    int m_nEnds = 0;
    std::vector<CFoundSegment> m_found;
    std::function<void(const CJpegSegment&)> m_onSegment;
    CCipher m_cipher;
};
