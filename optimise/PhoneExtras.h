// What a phone photo carries beside its picture and what the optimisation
// would silently take from it: colour profiles, XMP, an MPF index, and the
// video and images stored behind the picture's end marker. Only the primary
// picture's header and the images the index points to are read; the
// entropy-coded data is skipped. Every input byte may be hostile: a length or
// offset that does not fit inside the file ends the reading of that part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/FileBytes.h"

// A run of bytes of the file.
struct CByteRange {
    int64_t m_nOffset = 0;
    int64_t m_nBytes = 0;

    int64_t End() const { return m_nOffset + m_nBytes; }
    bool operator==(const CByteRange&) const = default;
};

// What a piece behind the end marker is, as its announcement tells it.
enum class ETrailerKind {
    // The video of a motion photo (an MP4 file, led by its ftyp box).
    MotionPhoto,
    // A second JPEG that holds a gain map for HDR rendering.
    GainMap,
    // Any other JPEG that the MPF index points to.
    MpfImage,
};

struct CTrailerItem {
    ETrailerKind m_eKind = ETrailerKind::MpfImage;
    CByteRange m_range;

    bool operator==(const CTrailerItem&) const = default;
};

// Where the MPF index lies and what it says, for rewriting its offsets.
struct CMpfIndex {
    // The whole APP2 segment, marker included.
    CByteRange m_segment;
    // The TIFF header right after "MPF\0": every offset of the index counts from it.
    int64_t m_nBase = 0;
    // Where each 16-byte entry of the MP entry list lies in the file.
    std::vector<int64_t> m_entries;
};

struct CPhoneExtras {
    // Whole segments, marker and length field included, by their declared length.
    std::vector<CByteRange> m_icc;
    std::vector<CByteRange> m_xmp;
    // Those of m_xmp that announce a motion photo or a gain map.
    std::vector<CByteRange> m_announcingXmp;
    std::optional<CMpfIndex> m_mpf;
    // Just behind the primary picture's end marker; 0 when it was not found.
    int64_t m_nPrimaryEnd = 0;
    // The announced pieces behind the end marker, in file order.
    std::vector<CTrailerItem> m_trailer;

    bool Carries(ETrailerKind kind) const;
    // A motion photo's video or a gain map that an optimisation removes by default.
    bool HasMotionPhoto() const { return Carries(ETrailerKind::MotionPhoto); }
    bool HasGainMap() const { return Carries(ETrailerKind::GainMap); }
};

// The extras of the JPEG file in bytes; nothing found for bytes that do not
// start with a start marker.
CPhoneExtras FindPhoneExtras(const uint8_t* bytes, size_t size);
inline CPhoneExtras FindPhoneExtras(const ByteVector& file) {
    return FindPhoneExtras(file.data(), file.size());
}

// The extras of the file at path; nothing found when it cannot be opened.
// A read error after the open throws CFileException, as ReadFileBytes does.
CPhoneExtras ReadPhoneExtras(const std::string& path);
