// The MPF index of a JPEG file: the APP2 segment of the primary picture that
// lists the images stored behind it (a gain map, a second view) by size and
// offset. Its offsets count from its own TIFF header, and the primary
// picture's entry gives that picture's size, so a change in front of the
// index or of the picture's end must move them. Every input byte may be
// hostile: an index that does not fit inside its segment reads as none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "segment/ImageWalk.h"
#include "util/FileBytes.h"

// Where the MPF index lies and what it says, for rewriting its offsets.
struct CMpfIndex {
    // The whole APP2 segment, marker included.
    CByteRange m_segment;
    // The TIFF header right after "MPF\0": every offset of the index counts from it.
    int64_t m_nBase = 0;
    // Where each 16-byte entry of the MP entry list lies in the file.
    std::vector<int64_t> m_entries;

    bool operator==(const CMpfIndex&) const = default;
};

// What moving an index needs to know of a file: the primary picture's end
// and the first MPF index in front of it.
struct CMpfLayout {
    std::optional<CMpfIndex> m_mpf;
    // Just behind the primary picture's end marker; 0 when it was not found.
    int64_t m_nPrimaryEnd = 0;

    bool operator==(const CMpfLayout&) const = default;
};

// The layout of the JPEG file in file (read big-endian), visit told of every
// segment of its primary picture on the way; nothing found for bytes that do
// not start with a start marker.
CMpfLayout FindMpfLayout(const CByteReader& file, const SegmentVisitor& visit);
CMpfLayout FindMpfLayout(const ByteVector& file);

// Rewrites the MPF index of result, made from the file of layout original
// and holding that file's bytes behind its primary picture unchanged, so
// that every image it points to is found at its new place; the primary
// picture's own size follows too where it was given exactly. False when
// result holds no index to rewrite or an entry would point outside it
// (result is then left as it was).
bool RepointMpfIndex(ByteVector& result, const CMpfLayout& original);

// One change RepointMpfIndex makes: the four bytes at m_nOffset.
struct CMpfPatch {
    int64_t m_nOffset = 0;
    std::array<uint8_t, 4> m_bytes{};
};

// The changes RepointMpfIndex makes of the bytes result reads, without
// making them; nothing where it returns false.
std::optional<std::vector<CMpfPatch>> MpfIndexPatches(const CByteReader& result,
                                                      const CMpfLayout& original);
