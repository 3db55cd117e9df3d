// The Exif block as bytes: finding the APP1 segment that carries it, cutting
// it out of a file, and building the segment of a transplant. No file access
// here, so every piece can be driven with hostile bytes directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

using ByteVector = std::vector<uint8_t>;

struct CExifCut {
    // The whole APP1 segment, marker included.
    ByteVector block;
    // The file's first two bytes followed by everything after the segment.
    ByteVector remainder;
};

// Where the whole APP1 segment lies: bytes start up to end.
struct CExifSegmentPlace {
    size_t start;
    size_t end;
};

// The first segment whose data starts "Exif\0\0" (searched at every byte
// from 4 on). Nothing when there is none, when its length is 0, or when it
// would run past the end of the file.
std::optional<CExifSegmentPlace> FindExifSegment(const ByteVector& file);

// The six bytes FindExifSegment looks for.
const ByteVector& ExifSignature();
// What FindExifSegment makes of the first signature it finds, at byte
// signature of a file of size bytes, with length read from the two bytes in
// front of it.
std::optional<CExifSegmentPlace> ExifSegmentAt(size_t signature, size_t length, size_t size);

// Cuts the segment FindExifSegment finds out of file.
std::optional<CExifCut> CutExifSegment(const ByteVector& file);

// A .exif block split where its thumbnail starts (the first FF D8).
struct CExifThumbnailSplit {
    // From the signature up to the thumbnail: "Exif\0\0", TIFF header, IFDs.
    ByteVector front;
    // From FF D8 to the end of the segment as its length field gives it.
    ByteVector thumbnail;
};

// Nothing when the block has no FF D8, a length of 0, or a thumbnail that
// does not lie between the signature and the segment's end inside the file.
std::optional<CExifThumbnailSplit> SplitAtThumbnail(const ByteVector& block);

// True when the front part's IFD1 has the thumbnail-length entry a
// transplant keeps true; without it the FF D8 found is no thumbnail a
// reader would find.
bool HasThumbnailLengthEntry(const CExifThumbnailSplit& parts);

// The thumbnail an encoder made, as it goes into a segment: FF D8 followed
// directly by its table and frame segments (application segments the
// encoder put in front of them are dropped). Nothing when it does not start FF D8.
std::optional<ByteVector> ThumbnailFromEncoded(const ByteVector& encoded);

// The new APP1 segment: marker, length, front and thumbnail. The IFD1
// thumbnail-length entry (tag 0202) inside front, when there is one, is set
// to the thumbnail's length. Nothing when the segment would be longer than a
// length field can say (65535 bytes).
std::optional<ByteVector> BuildTransplantSegment(const CExifThumbnailSplit& parts,
                                                 const ByteVector& thumbnail);

// file without the Exif APP1 segments among its header segments, the ones
// between the start marker and the first marker that has no length (start of
// scan, fill bytes) or whose length runs past the end. Every other byte keeps
// its place; a file that does not start FF D8 comes back whole. The result
// has room for room more bytes, so that a segment put in next needs no
// second buffer of the file's size.
ByteVector WithoutExifSegments(const ByteVector& file, size_t room = 0);

// target's first two bytes, segment, then the rest of target; in target's own
// buffer when it has the room.
ByteVector InsertAfterStartMarker(ByteVector target, const ByteVector& segment);
