// The heart of the optimisation: keeps the segments the picture needs and
// drops every other one, logging what it dropped.
#pragma once

#include <string>
#include <vector>

#include "segment/SegmentList.h"

class CSettingsStore;

// Fills destination with the segments of source whose code is in keptCodes
// (and the first FFE0 when the setting ffe0 is on). The first kept "FFD9"
// ends the walk; its data and everything after it are dropped. Returns the
// filter's log: one line per dropped segment and a closing remark. A source
// that is moved in gives its kept segments up instead of being copied.
std::string FilterSegments(CSegmentList source, CSegmentList& destination,
                           const std::vector<std::string>& keptCodes,
                           const CSettingsStore& settings);
