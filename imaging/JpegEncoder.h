// The codec's one encode: an own-form picture into JPEG bytes in memory, as
// the Exif transplant needs for a new thumbnail.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/ImageBuffer.h"

// Encodes an own-form image at quality 75 with no JFIF segment: the result
// starts FF D8 and the table and frame segments follow at once. Nothing for
// a plug-in-form picture, one libjpeg cannot take, one whose bits are shorter
// than its rows, or when memory runs out.
std::optional<std::vector<uint8_t>> EncodeJpegToMemory(const CImageBuffer& image);
