// The pieces of a file that its optimised result no longer holds, told as the
// per-file record tells them: marker, offset, size and, where a signature
// says so for sure, a kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "optimise/FileResult.h"
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

// The record each segment of list would get when dropped, offsets[i] being
// where segment i starts in the file.
std::vector<CRemovedSegment> DescribeSegments(const CSegmentList& list,
                                              const std::vector<int64_t>& offsets);
