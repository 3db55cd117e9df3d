// Where a decode of the lower part of a file may start without reading the
// upper part at all: at a restart marker, where the decoder keeps nothing of
// the data before it. The lower part is decoded from the file's header, told
// the part's height, followed by the file's data after that marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// How a file of one scan is laid out in MCUs, as its decoder tells it.
struct CMcuLayout {
    uint32_t height = 0;
    // Rows of one row of MCUs.
    uint32_t rowHeight = 8;
    uint32_t mcusPerRow = 1;
    // MCUs between two restart markers; 0 when there are none.
    uint32_t restartInterval = 0;
};

// The first row of a lower part that can start at a restart marker, as near
// target as there is one: a row of MCUs that starts after a restart marker
// numbered 7 (the decoder of the part expects its first marker numbered 0,
// as the file's decoder does there). 0 when there is none below the first
// row of MCUs and above the last.
uint32_t RestartCutRow(const CMcuLayout& layout, uint32_t target);

struct CRestartCut {
    // The file's header up to and with its start of scan, its frame's height
    // that of the part.
    std::vector<uint8_t> header;
    // Where the part's data starts in the file: right after the marker.
    size_t dataStart = 0;
};

// The cut at row (from RestartCutRow) of the file in bytes. nullopt unless
// the header is a plain sequence of segments with one frame, and the data up
// to the cut holds only restart markers, every one numbered as the decoder
// expects it: only then does the file's decoder meet the cut's marker as
// the part's decoder starts, with nothing of the data before it kept.
std::optional<CRestartCut> FindRestartCut(const uint8_t* bytes, size_t length,
                                          const CMcuLayout& layout, uint32_t row);
