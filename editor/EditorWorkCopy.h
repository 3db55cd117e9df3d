// The marker editor's work files: the copy of the user's file it scans, the
// hex text of its edited list, and the check that the rebuilt copy still shows
// the document's picture. The user's own file is only ever read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "segment/SegmentList.h"
#include "util/FileBytes.h"
#include "util/WorkFiles.h"

struct CPackedPicture;

// Bytes a segment occupies in the file: two marker bytes and its data.
int64_t EditorSegmentSize(const CJpegSegment& segment);

// Where the Exif block stood: the bytes of the file in front of it.
inline constexpr size_t kExifAfterStartMarker = 2;

// Writes the hex text of the work copy already made (what a finish without
// any edit saves) and cuts the Exif block out of the copy into the block file,
// so that the scan does not split the thumbnail inside it. Only the block
// leaves the copy: segments in front of it stay. Gives the block's position in
// the file (kExifAfterStartMarker when there is none).
size_t PrepareCopiedEditorWorkCopy(const CWorkFiles& work);

// The same after copying sourcePath to the work copy; nothing when the copy
// could not be made, and the hex file is then emptied.
std::optional<size_t> PrepareEditorWorkCopy(const std::string& sourcePath, const CWorkFiles& work);

// The cut Exif block as one FFE1 segment; nothing when the block file is
// missing, empty or too short to hold a marker.
std::optional<CJpegSegment> ReadExifBlockSegment(const std::string& blockPath);

// Where the block that stood position bytes into the file goes back into the
// list scanned without it: the segment boundary at that many bytes, or right
// after the first segment when no boundary lies there.
size_t ExifSegmentPlace(const CSegmentList& list, size_t position);

// What the work files are rebuilt from, taken while the list holds still.
struct CEditorListImage {
    // The bytes the hex work file converts to; nothing where it fails.
    std::optional<ByteVector> m_bytes;
    // A copy of a list with text that is not plain hex, for the hex work file
    // to hold as it is; otherwise that file holds the bytes' hex text.
    std::optional<CSegmentList> m_textList;
};
CEditorListImage ImageOfList(const CSegmentList& list);

// Writes the image to the hex work file and the binary work copy; false when
// the copy could not be made. A list that cannot become bytes leaves the copy
// as the hex file's conversion makes it, and fails. A hex file that cannot be
// written throws CFileException.
bool WriteEditorWorkFiles(const CEditorListImage& image, const CWorkFiles& work);

// True when the image's bytes show reference exactly.
bool ListShowsPicture(const CEditorListImage& image, const CPackedPicture* reference);
