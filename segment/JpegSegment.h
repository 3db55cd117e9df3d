// One marker segment of a JPEG file, held as upper-case hex text.
#pragma once

#include <string>

#include "segment/SegmentData.h"

struct CJpegSegment {
    // "FF" and the second marker byte ("FFE1"); at the end of a file also "FFFF"
    // or "FF", and the empty text for data that came before any marker.
    std::string m_strCode;
    // Every byte after the marker up to the next one: length field, payload,
    // entropy-coded data and the fill bytes in front of the next marker.
    CSegmentData m_strData;

    bool operator==(const CJpegSegment&) const = default;
};
