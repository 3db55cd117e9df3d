// The JPEG decodes of the program that keep the picture, and the pixel check
// against a picture already held. The packed picture that DecodeJpegToPacked
// makes is what the window shows and checks against: removing marker
// segments must never change one byte of it. Checks where no picture is shown
// hold none (imaging/PictureCheck.h).
//
// A decode succeeds when the library finishes the whole picture without a fatal
// error. Warnings about corrupt data do not fail it (the decode is still
// deterministic) but are counted. The library never ends the process.
// Pictures whose packed pixels would pass 1 GiB, and files with more than 1000
// scans, are refused before they cost that memory or time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/ImageBuffer.h"
#include "imaging/PackedPicture.h"

// Decodes path into image in own form, rows padded to four bytes.
bool DecodeJpegFile(const std::string& path, CImageBuffer& image);

// Decodes the JPEG in bytes into image in own form as DecodeJpegFile does, but
// at the smallest of the library's scales 1/8, 1/4, 1/2 and 1 that still gives
// at least width x height pixels: a picture wanted small is never decoded whole.
bool DecodeJpegBytesNear(const uint8_t* bytes, size_t length, int32_t width, int32_t height,
                         CImageBuffer& image);
// The same of the file at path.
bool DecodeJpegFileNear(const std::string& path, int32_t width, int32_t height,
                        CImageBuffer& image);

// Reads only the header of the JPEG in bytes and gives image that picture's
// size with room for its pixels (rows padded to four bytes, content undefined).
bool PrepareImageFromJpegHeader(const uint8_t* bytes, size_t length, CImageBuffer& image);

// The picture size that the header of the JPEG in bytes declares, without
// allocating anything for the picture; false when the header is unreadable.
bool ReadJpegHeaderSize(const uint8_t* bytes, size_t length, int32_t& width, int32_t& height);

// Decodes the file at path, whatever its name. On success picture is
// replaced; on failure it is left as it was.
bool DecodeJpegFileToPacked(const std::string& path, CPackedPicture& picture);
// The dialogs' decode: the same, but false at once for a name not ending in
// "jpg" in any case (HasJpgName).
bool DecodeJpegToPacked(const std::string& path, CPackedPicture& picture);
// The same decode of a JPEG already in memory, with no name to check.
bool DecodeJpegBytesToPacked(const uint8_t* bytes, size_t length, CPackedPicture& picture);

// True only when path passes the name check, decodes, and its pixels are the
// referenceSize bytes of reference exactly (same size, every byte equal). A
// referenceSize below 1 fails without opening the file. warnings, when given,
// receives the decode's warning count.
bool VerifyJpegAgainstReference(const uint8_t* reference, int64_t referenceSize,
                                const std::string& path, int* warnings = nullptr);

// The check every change of a file passes before it replaces anything, against
// a picture already decoded: path shows exactly the pixels of reference (the
// same width, height and samples), and its decode meets no more corrupt-data
// warnings than the reference's did (see imaging/PictureCheck.h).
bool ShowsSamePicture(const CPackedPicture& reference, const std::string& path);
// The same check of a JPEG already in memory, with no name to check.
bool ShowsSamePicture(const CPackedPicture& reference, const uint8_t* bytes, size_t length);
