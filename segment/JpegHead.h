// Reading the front of a JPEG file: the segments in front of the picture data,
// which is all that a reader of the file's metadata needs.
#pragma once

#include <optional>
#include <string>

#include "util/FileBytes.h"

// The bytes of path up to its first start-of-scan marker, when the segments
// from the start marker lead there one by one through their length fields.
// Any other file (a bare TIFF structure, a JPEG whose segments do not chain)
// comes whole, so that a reader that searches it finds what it found before.
// Nothing when path cannot be opened or is no regular file; a read error
// after the open throws CFileException.
std::optional<ByteVector> ReadJpegHead(const std::string& path);
