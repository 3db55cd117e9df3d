// The heart of the optimisation: keeps the segments the picture needs and
// drops every other one, logging what it dropped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "segment/SegmentList.h"
#include "segment/SegmentScanner.h"

class CSettingsStore;

// What the filter dropped, by index into its source.
struct CFilterDrops {
    std::vector<size_t> m_segments;
    // The kept end marker that ended the walk: its data and every segment
    // after it were dropped.
    std::optional<size_t> m_end;
};

// Fills destination with the segments of source whose code is in keptCodes
// (and the first FFE0 when the setting ffe0 is on). The first kept "FFD9"
// ends the walk; its data and everything after it are dropped. Returns the
// filter's log: one line per dropped segment and a closing remark. A source
// that is moved in gives its kept segments and its storage up instead of
// being copied.
// drops, when given, receives what was dropped. A segment whose entry in
// keptOnRequest is true is kept whatever its code (a colour profile and the
// pieces the scan split it into, when the user asked to keep it).
std::string FilterSegments(CSegmentList source, CSegmentList& destination,
                           const std::vector<std::string>& keptCodes,
                           const CSettingsStore& settings, CFilterDrops* drops = nullptr,
                           const std::vector<bool>& keptOnRequest = {});

// The pieces a scan may join to their start-of-scan segment for keptCodes
// without changing what FilterSegments makes of the list, its log or its
// drops: the stuffed bytes and restart markers that keptCodes keep, when it
// keeps the start-of-scan segment too (none otherwise). A kept start-of-scan
// segment is kept whatever the settings, and a kept piece right behind a
// kept segment is never taken for a piece of a dropped one, so the joined
// bytes were kept unchanged and untold anyway. The joins stop at any other
// marker: the end marker, the first APP0 and the segments the proprietary
// removal copies never carry a joined piece.
CJoinedMarkers PiecesJoinedBeforeFilter(const std::vector<std::string>& keptCodes);
