// Keeping what lies behind a picture's end marker (a motion photo's video, a
// gain map) when the picture in front of it changes: the MPF index counts its
// offsets from its own place in the file, so they must move with the layout.
#pragma once

#include <cstdint>
#include <string>

#include "exif/MpfIndex.h"
#include "segment/SegmentList.h"
#include "util/FileBytes.h"

// RepointMpfIndex for the list of segments a result is made from, so that
// every result made of it holds the moved offsets.
bool RepointMpfIndex(CSegmentList& result, const CMpfLayout& original);

// True when trailer, unchanged, is exactly what follows the primary picture
// of the file at path, which ends at primaryEnd with its end marker. Only the
// file's end is read. A read error throws CFileException.
bool KeepsTrailer(const std::string& path, int64_t primaryEnd, const ByteVector& trailer);
