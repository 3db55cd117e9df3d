// Hostile bytes through the reading of a phone photo's extras, the moving of
// its MPF index and the reading of the orientation of an Exif block: every
// range found lies inside the input, the pieces behind the end marker follow
// the picture and each other, and an index moved by nothing stays as it was.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "optimise/OrientationExif.h"
#include "optimise/PhoneExtras.h"

namespace {

bool Inside(const CByteRange& range, int64_t size) {
    return range.m_nOffset >= 0 && range.m_nBytes >= 0 && range.End() <= size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int64_t bytes = static_cast<int64_t>(size);
    const CPhoneExtras extras = FindPhoneExtras(data, size);
    for (const auto* ranges : {&extras.m_icc, &extras.m_xmp}) {
        for (const CByteRange& range : *ranges) {
            Require(Inside(range, extras.m_nPrimaryEnd > 0 ? extras.m_nPrimaryEnd : bytes));
        }
    }
    if (extras.m_mpf) {
        Require(Inside(extras.m_mpf->m_segment, bytes));
        for (const int64_t entry : extras.m_mpf->m_entries) {
            Require(Inside({entry, 16}, extras.m_mpf->m_segment.End()));
        }
    }
    int64_t end = extras.m_nPrimaryEnd;
    for (const CTrailerItem& item : extras.m_trailer) {
        Require(item.m_range.m_nOffset >= end && Inside(item.m_range, bytes));
        end = item.m_range.End();
    }
    const ByteVector block(data, data + size);
    // An index moved by nothing keeps every byte, whatever it says.
    ByteVector moved = block;
    RepointMpfIndex(moved, extras);
    Require(moved == block);
    if (const std::optional<CExifOrientation> orientation = FindOrientation(block)) {
        Require(orientation->m_nValue >= 1 && orientation->m_nValue <= 8 &&
                Inside({orientation->m_nEntryOffset, kOrientationEntryBytes}, bytes));
        Require(FindOrientation(OrientationOnlyExif(orientation->m_nValue))->m_nValue ==
                orientation->m_nValue);
    }
    return 0;
}
