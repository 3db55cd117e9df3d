// Putting a saved Exif block (.exif file) back into a JPEG: the JPEG's hex
// text gets the block's text right after its start marker, the text is turned
// back into bytes (an MPF index following the picture's new end), and the
// result must still show the same picture.
#pragma once

#include <string>

#include "exif/MpfIndex.h"
#include "util/WorkFiles.h"

class CExifEngine;
struct CPackedPicture;

enum class EEmbedResult {
    Embedded,
    // The chosen file holds no decodable Exif structure.
    NoExifFound,
    // The block or the JPEG text could not be read or written.
    BlockUnreadable,
    // The result does not decode to the reference picture.
    PictureChanged,
};

// Inserts the block of exifPath into the JPEG hex text in the work file
// m_strTempHexa and writes the bytes of the result to m_strTempData (which
// also serves as scratch for the block's text on the way). before is the
// layout of the bytes the text held: the block moves the primary picture's
// end, and an MPF index there, which gives that picture's size, is moved in
// both work files. BlockUnreadable when a file cannot be read or written;
// PictureChanged, as for a result that fails its check, when the index
// cannot be moved while something lies behind the picture for it to reach.
EEmbedResult InsertBlockIntoWorkText(CExifEngine& exif, const CWorkFiles& work,
                                     const std::string& exifPath, const CMpfLayout& before);

// The wizard's embedding: the hex text of the file being worked on, of
// layout before (by default one without an MPF index), is already in
// m_strTempHexa. Probes the chosen .exif file,
// embeds it and verifies the result in m_strTempData against reference.
EEmbedResult EmbedExifIntoWorkCopy(CExifEngine& exif, const CWorkFiles& work,
                                   const std::string& exifPath, const CPackedPicture& reference,
                                   const CMpfLayout& before = {});

// The message the wizard shows for a failed embedding; empty for Embedded.
std::string EmbedFailureMessage(EEmbedResult result);
