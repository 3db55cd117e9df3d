// A slow, literal transcription of the scanning rules, one byte and one text
// at a time. The real scanner jumps over data runs and builds its texts at the
// end; every result of it must equal this one, progress reports included.
#pragma once

#include <cstdint>
#include <vector>

#include "segment/SegmentList.h"

struct CReferenceScan {
    CSegmentList segments;
    std::vector<int> percents;
    bool completed = true;
};

// cancelAtReport: the 1-based progress report after which cancel is seen; 0 never.
CReferenceScan ReferenceScan(const std::vector<uint8_t>& bytes, size_t cancelAtReport = 0);
