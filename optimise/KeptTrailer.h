// Keeping what lies behind a picture's end marker (a motion photo's video, a
// gain map) when the picture in front of it changes: the MPF index counts its
// offsets from its own place in the file, so they must move with the layout.
#pragma once

#include <cstdint>
#include <string>

#include "optimise/PhoneExtras.h"
#include "segment/SegmentList.h"
#include "util/FileBytes.h"

// Rewrites the MPF index of result, made from the file that original was
// found in and holding that file's bytes behind its primary picture
// unchanged, so that every image it points to is found at its new place;
// the primary picture's own size follows too where it was given exactly.
// False when result holds no index to rewrite or an entry would point
// outside it (result is then left as it was).
bool RepointMpfIndex(ByteVector& result, const CPhoneExtras& original);

// The same for the list of segments the result is made from, so that every
// result made of it (the wizard's, after an Exif embedding too) holds the
// moved offsets.
bool RepointMpfIndex(CSegmentList& result, const CPhoneExtras& original);

// True when trailer, unchanged, is exactly what follows the primary picture
// of the file at path, which ends at primaryEnd with its end marker. Only the
// file's end is read. A read error throws CFileException.
bool KeepsTrailer(const std::string& path, int64_t primaryEnd, const ByteVector& trailer);
