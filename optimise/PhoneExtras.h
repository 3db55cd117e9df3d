// What a phone photo carries beside its picture and what the optimisation
// would silently take from it: colour profiles, XMP, an MPF index, and the
// video and images stored behind the picture's end marker. Only the primary
// picture's header and the images the index points to are read; the
// entropy-coded data is skipped. Every input byte may be hostile: a length or
// offset that does not fit inside the file ends the reading of that part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exif/MpfIndex.h"
#include "util/ByteReader.h"
#include "util/FileBytes.h"
#include "util/MappedFile.h"

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

// The primary picture's end and its MPF index (CMpfLayout), and what else
// the phone put beside the picture.
struct CPhoneExtras : CMpfLayout {
    // Whole segments, marker and length field included, by their declared length.
    std::vector<CByteRange> m_icc;
    std::vector<CByteRange> m_xmp;
    // Those of m_xmp that announce a motion photo or a gain map.
    std::vector<CByteRange> m_announcingXmp;
    // The announced pieces behind the end marker, in file order.
    std::vector<CTrailerItem> m_trailer;

    bool Carries(ETrailerKind kind) const;
    // A motion photo's video or a gain map that an optimisation removes by default.
    bool HasMotionPhoto() const { return Carries(ETrailerKind::MotionPhoto); }
    bool HasGainMap() const { return Carries(ETrailerKind::GainMap); }

    bool operator==(const CPhoneExtras&) const = default;
};

// The extras of the JPEG file in bytes; nothing found for bytes that do not
// start with a start marker.
CPhoneExtras FindPhoneExtras(const uint8_t* bytes, size_t size);
// The same for a mapped file, whose pages the walk through the picture gives back.
CPhoneExtras FindPhoneExtras(const CMappedFile& file);
CPhoneExtras FindPhoneExtras(const CByteReader& file);
inline CPhoneExtras FindPhoneExtras(const ByteVector& file) {
    return FindPhoneExtras(file.data(), file.size());
}

// The extras of a copy of the file whose bytes [2, 2 + cutBytes) behind the
// start marker were replaced by insertedBytes others, as the Exif cut does,
// without reading the copy: what lay in the cut bytes is gone, what lay
// behind them moved. That is what the copy gives once its MPF index was
// moved; a piece behind the picture that only something in the cut bytes
// announced keeps its kind, since it is still there.
CPhoneExtras ExtrasAfterExifCut(const CPhoneExtras& extras, int64_t cutBytes,
                                int64_t insertedBytes);
