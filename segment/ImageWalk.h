// A walk through one JPEG image by the declared lengths of its segments, its
// entropy-coded data skipped: where each segment lies and where the image
// ends. Unlike the scanner, it trusts length fields (checked against the
// bytes), so a payload holding FF bytes (a profile, an Exif thumbnail) stays
// one segment.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "util/ByteReader.h"

// A run of bytes of the file.
struct CByteRange {
    int64_t m_nOffset = 0;
    int64_t m_nBytes = 0;

    int64_t End() const { return m_nOffset + m_nBytes; }
    bool operator==(const CByteRange&) const = default;
};

// A segment with a length field: the whole segment and its payload.
struct CHeaderSegment {
    uint8_t m_nCode = 0;
    CByteRange m_whole;
    CByteRange m_payload;
};

using SegmentVisitor = std::function<void(const CHeaderSegment&)>;

// Walks the image whose start marker is at start in file (read big-endian,
// as JPEG's lengths are), telling visit of each segment with a length field
// as it is reached. Returns the offset just behind the image's end marker, or
// nothing when the image breaks off or is not well formed; the segments
// before the break were told all the same.
std::optional<int64_t> WalkImage(const CByteReader& file, int64_t start,
                                 const SegmentVisitor& visit);
