// The picture's orientation, the one Exif value that changes how viewers
// show the pixels: read from an Exif block, and written into a block of its
// own that holds nothing else (no camera, no owner, no dates, no place).
#pragma once

#include <cstdint>
#include <optional>

#include "util/FileBytes.h"

struct CExifOrientation {
    // 1 (as stored) to 8.
    uint16_t m_nValue = 1;
    // Where its 12-byte entry of IFD0 starts in the block.
    int64_t m_nEntryOffset = 0;
};

inline constexpr int64_t kOrientationEntryBytes = 12;

// The orientation that block (a whole Exif APP1 segment, marker included)
// gives in IFD0; nothing when it gives none, or one outside 1 to 8.
std::optional<CExifOrientation> FindOrientation(const ByteVector& block);

// A whole Exif APP1 segment holding IFD0 with only the orientation.
ByteVector OrientationOnlyExif(uint16_t orientation);

// What became of the orientation of an Exif block that was cut out.
enum class EOrientationFate {
    // The block gave none, or the one that leaves the picture as stored.
    None,
    // It went with the block: viewers show the picture as stored.
    Removed,
    // It stays, alone in a small Exif block where the block stood.
    Kept,
};

struct CCutOrientation {
    EOrientationFate m_eFate = EOrientationFate::None;
    // The bytes of the small block behind the start marker; 0 unless Kept.
    int64_t m_nKeptBytes = 0;
};

// The fate of the orientation of block, the Exif block just cut from
// workCopy together with everything between the start marker and it; with
// keep, the orientation goes alone into a small Exif block right behind
// workCopy's start marker, where the cut block stood.
CCutOrientation KeepCutOrientation(ByteVector& workCopy, const ByteVector& block, bool keep);
// The same for a work copy that is not in memory: kept receives the small
// block to put behind its start marker (nothing unless Kept).
CCutOrientation CutOrientation(const ByteVector& block, bool keep, ByteVector& kept);
