#include "segment/SegmentScanner.h"

#include <cstring>
#include <utility>

#include "util/MappedFile.h"

namespace {

constexpr uint8_t kMarkerByte = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint64_t kProgressReports = 21;

std::shared_ptr<const uint8_t> SharedBytes(std::shared_ptr<const ByteVector> file) {
    const uint8_t* bytes = file->data();
    return std::shared_ptr<const uint8_t>(std::move(file), bytes);
}

}  // namespace

CSegmentScanner::CSegmentScanner(std::shared_ptr<const ByteVector> file,
                                 ProgressCallback onProgress, CJoinedMarkers joined)
    : CSegmentScanner(SharedBytes(file), file->size(), nullptr, std::move(onProgress), joined) {}

CSegmentScanner::CSegmentScanner(std::shared_ptr<const CMappedFile> file,
                                 ProgressCallback onProgress, CJoinedMarkers joined)
    : CSegmentScanner(CMappedFile::Shared(file), file->size(), file.get(), std::move(onProgress),
                      joined) {}

CSegmentScanner::CSegmentScanner(std::shared_ptr<const uint8_t> bytes, size_t length,
                                 const CMappedFile* mapping, ProgressCallback onProgress,
                                 CJoinedMarkers joined)
    : m_file(std::move(bytes)),
      m_pBytes(m_file.get()),
      m_nLength(length),
      m_pMapping(mapping),
      m_onProgress(std::move(onProgress)),
      m_joined(joined),
      m_nStep(m_nLength / kProgressReports > 0 ? m_nLength / kProgressReports : 1) {}

bool CSegmentScanner::Run() {
    EStep step = EStep::Continue;
    while (step == EStep::Continue && m_nPos < m_nLength) {
        step = m_pBytes[m_nPos] == kMarkerByte ? TakeMarker() : TakeDataRun();
        if (m_pMapping != nullptr && m_nPos - m_nReleased >= CMappedFile::kReleaseStep) {
            ReleasePassed();
        }
    }
    if (m_pMapping != nullptr) {
        ReleasePassed();
    }
    return step != EStep::Cancelled;
}

void CSegmentScanner::ReleasePassed() {
    m_pMapping->Release(m_nReleased, m_nPos - m_nReleased);
    m_nReleased = m_nPos;
}

// Every byte taken at the top of the loop is one pass; a report is due at each
// multiple of the step, with the share of bytes consumed up to that pass.
bool CSegmentScanner::ReportPassesUpTo(uint64_t passes) {
    const uint64_t firstPass = m_nPasses + 1;
    uint64_t due = (firstPass + m_nStep - 1) / m_nStep * m_nStep;
    for (; due <= passes; due += m_nStep) {
        const uint64_t consumed = m_nPos + (due - m_nPasses);
        const int percent = static_cast<int>(consumed * 100 / m_nLength);
        if (m_onProgress && m_onProgress(percent)) {
            m_nPasses = due;
            return false;
        }
    }
    m_nPasses = passes;
    return true;
}

// Bytes other than FF go into the data of the segment being read.
CSegmentScanner::EStep CSegmentScanner::TakeDataRun() {
    const void* nextMarker = std::memchr(m_pBytes + m_nPos, kMarkerByte, m_nLength - m_nPos);
    const size_t runEnd =
        nextMarker != nullptr
            ? static_cast<size_t>(static_cast<const uint8_t*>(nextMarker) - m_pBytes)
            : m_nLength;
    if (!ReportPassesUpTo(m_nPasses + (runEnd - m_nPos))) {
        return EStep::Cancelled;
    }
    m_nPos = runEnd;
    m_nDataEnd = runEnd;
    if (m_nPos == m_nLength) {
        // The file ends inside data: close it with an end marker of our own.
        AppendPending();
        AppendEmpty(CMarker{2, kMarkerByte, kEndOfImage});
        return EStep::Stop;
    }
    return EStep::Continue;
}

CSegmentScanner::EStep CSegmentScanner::TakeMarker() {
    if (!ReportPassesUpTo(m_nPasses + 1)) {
        return EStep::Cancelled;
    }
    ++m_nPos;
    if (m_nPos == m_nLength) {
        // A lone FF as the last byte is dropped.
        if (m_nStarts > 0) {
            AppendPending();
        }
        return EStep::Stop;
    }
    CMarker token{2, kMarkerByte, m_pBytes[m_nPos++]};
    if (token.second == kMarkerByte) {
        TakeFillBytes(token);
    }
    return AfterMarker(token);
}

// Fill bytes: all but the last FF of a run belong to the data in front of it.
// A run that reaches the end of the file leaves "FFFF" for exactly two FF bytes
// and a lone "FF" for more.
void CSegmentScanner::TakeFillBytes(CMarker& token) {
    while (m_nPos < m_nLength) {
        const uint8_t next = m_pBytes[m_nPos++];
        ++m_nDataEnd;
        if (next != kMarkerByte) {
            token = CMarker{2, kMarkerByte, next};
            return;
        }
        token = CMarker{1, kMarkerByte, 0};
    }
}

// A joined piece's marker and data run on in the pending segment's data.
bool CSegmentScanner::JoinsPending(const CMarker& token) const {
    return m_nStarts > 0 && token.length == 2 && m_joined[token.second] &&
           m_code.Is(kStartOfScan) && m_nPos < m_nLength;
}

CSegmentScanner::EStep CSegmentScanner::AfterMarker(const CMarker& token) {
    if (JoinsPending(token)) {
        m_nDataEnd = m_nPos;
        return EStep::Continue;
    }
    if (m_nStarts > 0) {
        AppendPending();
    }
    if (m_nPos == m_nLength) {
        AppendEmpty(token);
        return EStep::Stop;
    }
    if (token.Is(kStartOfImage)) {
        ++m_nStarts;
    }
    if (m_nStarts > 0 && token.Is(kEndOfImage) && ++m_nEnds == m_nStarts) {
        AppendEmpty(token);
        return EStep::Stop;  // whatever follows the picture is not read
    }
    m_code = token;
    m_nDataBegin = m_nPos;
    m_nDataEnd = m_nPos;
    return EStep::Continue;
}

void CSegmentScanner::AppendPending() {
    Found(CFoundSegment{m_code, static_cast<uint32_t>(m_nDataBegin),
                        static_cast<uint32_t>(m_nDataEnd)});
}

void CSegmentScanner::AppendEmpty(const CMarker& marker) {
    Found(CFoundSegment{marker, 0, 0});
}

void CSegmentScanner::Found(const CFoundSegment& found) {
    if (m_onSegment) {
        m_onSegment(SegmentOf(found));
    } else {
        m_found.push_back(found);
    }
}

CJpegSegment CSegmentScanner::SegmentOf(const CFoundSegment& found) const {
    CJpegSegment segment;
    const uint8_t markerBytes[2] = {found.marker.first, found.marker.second};
    segment.m_strCode = m_cipher.Bin2CStringHex(markerBytes, found.marker.length);
    if (found.dataEnd > found.dataBegin) {
        segment.m_strData = CSegmentData::OfBytes(m_file, m_nLength, found.dataBegin,
                                                  found.dataEnd - found.dataBegin);
    }
    return segment;
}

CSegmentList CSegmentScanner::Segments() const {
    CSegmentList segments;
    segments.reserve(m_found.size());
    for (const CFoundSegment& found : m_found) {
        segments.push_back(SegmentOf(found));
    }
    return segments;
}
