// The ordered list of marker segments that every change of a JPEG works on,
// and the operations on whole lists.
#pragma once

#include <cstdint>
#include <vector>

#include "segment/JpegSegment.h"

class CSettingsStore;

using CSegmentList = std::vector<CJpegSegment>;

void ClearSegments(CSegmentList& list);
void AppendSegmentCopy(CSegmentList& list, const CJpegSegment& segment);
// Replaces destination by a copy of source, in order. Segments equal in
// both at the head and the tail stay as destination holds them.
void CopySegments(const CSegmentList& source, CSegmentList& destination);

// True when the list holds exactly two "FFD8" and exactly two "FFD9" segments:
// a complete picture nested in front of the real one.
bool HasEmbeddedImage(const CSegmentList& list);

// Drops everything in front of the first "FFD9" (the nested picture and the
// proprietary data around it) and keeps the real picture behind it, which gets
// a fresh start marker. With the setting ffe0 the first FFE0 segment is kept.
// True when done; false when source holds fewer than two "FFD9" segments, in which
// case destination holds the first "FFD9" and everything after it unchanged.
bool RemoveProprietaryImage(const CSegmentList& source, CSegmentList& destination,
                            const CSettingsStore& settings);

// Bytes the list occupies as a file: each marker counts two bytes, whatever its text.
int64_t SegmentBytes(const CSegmentList& list);
