// The pieces of a file that its optimised result no longer holds, told as the
// per-file record tells them: marker, offset, size and, where a signature
// says so for sure, a kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "optimise/FileResult.h"
#include "optimise/PhoneExtras.h"
#include "segment/SegmentList.h"

// Where each segment of list starts in the bytes it was scanned from, and
// one more entry for the end of the list.
std::vector<int64_t> SegmentOffsets(const CSegmentList& list);

// The record of segment, which starts at offset; bytes is its whole size.
CRemovedSegment RemovedSegment(const CJpegSegment& segment, int64_t offset, int64_t bytes);

// The Exif cut of a file: the bytes [2, 2 + cutBytes) went, the last
// blockBytes of them the Exif segment itself. markerAfterStart: the marker
// at offset 2 of the file before the cut, for what lay between the start
// marker and the Exif segment.
std::vector<CRemovedSegment> RemovedByExifCut(uint16_t markerAfterStart, int64_t cutBytes,
                                              int64_t blockBytes);

// Moves every record of removed that lies behind the start marker by shift:
// offsets in a copy that lacks the shift bytes after its start marker become
// offsets in the file.
void ShiftBehindStartMarker(std::vector<CRemovedSegment>& removed, int64_t shift);

// What a dropped segment is told as, and where its length field says it
// ends: the scanner splits a segment at bytes inside it that look like a
// marker (an FF in an ICC profile), and such pieces are still the segment's.
struct CDescribedSegment {
    CRemovedSegment m_record;
    int64_t m_nDeclaredEnd = 0;
};

// The description of each segment of list, offsets[i] being where segment i
// starts in the file.
std::vector<CDescribedSegment> DescribeSegments(const CSegmentList& list,
                                                const std::vector<int64_t>& offsets);

// Appends piece to removed, or adds it to the last record when it follows
// that one directly and ends within declaredEnd, the last record's declared end.
void AppendRemoved(std::vector<CRemovedSegment>& removed, const CDescribedSegment& piece,
                   int64_t& declaredEnd);

// "motion-photo", "gain-map", "mpf-image".
const char* TrailerKindName(ETrailerKind kind);

// The records of the bytes [afterEnd, endOfFile) behind the end marker: each
// announced piece of trailer under its kind, the bytes around them as "after-end".
std::vector<CRemovedSegment> RemovedAfterEnd(int64_t afterEnd, int64_t endOfFile,
                                             const std::vector<CTrailerItem>& trailer);

// The log's line for each kind of data in removed that changes what a
// viewer shows or keeps (a profile, a video, a gain map, ...), once per kind.
std::string RemovedKindLines(const std::vector<CRemovedSegment>& removed);
