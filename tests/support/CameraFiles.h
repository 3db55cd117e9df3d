// Camera-like JPEG files beyond JpegMaker: the segments that cameras, phones
// and editors put around a picture, spliced into the bytes of a plain picture.
// Every builder leaves the picture's own segments untouched, so the plain
// picture is exactly what an optimiser has to give back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/JpegMaker.h"

// One marker segment: FF, code, the big-endian length (counting itself) and
// payload. payload must be shorter than 65534 bytes.
std::vector<uint8_t> MakeSegment(uint8_t code, const std::vector<uint8_t>& payload);
std::vector<uint8_t> BytesOf(const std::string& text);

// APP0 "JFIF\0" version 1.01, aspect ratio 1:1, no thumbnail.
std::vector<uint8_t> MakeJfifSegment();
// APP0 "JFXX\0" with a tiny extension body: the second APP0 some files carry.
std::vector<uint8_t> MakeJfxxSegment();
// An Exif APP1 segment whose IFD1 points to a small JPEG thumbnail, so that
// the segment holds an FF D8 ... FF D9 pair of its own.
std::vector<uint8_t> MakeCameraExifSegment();
// APP1 "http://ns.adobe.com/xap/1.0/\0" followed by a small XMP packet.
std::vector<uint8_t> MakeXmpSegment();
// APP2 "ICC_PROFILE\0", chunk 1 of 1, then profile.
std::vector<uint8_t> MakeIccSegment(const std::vector<uint8_t>& profile);
// A made-up profile body whose header and tone curve hold FF bytes (FF FF
// runs and FF followed by bytes that are not standard marker codes), as real
// profiles do.
std::vector<uint8_t> IccProfileWithFfBytes();
// APP14 "Adobe": version 100, no flags, and the colour transform byte
// (0 the components are stored as they are, 1 they are YCbCr).
std::vector<uint8_t> MakeAdobeSegment(uint8_t transform);
std::vector<uint8_t> MakeCommentSegment(const std::string& text);

// jpeg with segments placed right after its start marker, in the order given.
std::vector<uint8_t> InsertAfterStart(const std::vector<uint8_t>& jpeg,
                                      const std::vector<std::vector<uint8_t>>& segments);

// A complete small picture nested in front of the real one, the way some
// cameras store a proprietary preview: the scanner then meets two FF D8 and
// two FF D9. wrapperCode 0 places the nested picture directly after the
// start marker; an APPn code wraps it in that segment (whose length covers it).
std::vector<uint8_t> NestPictureInFront(const std::vector<uint8_t>& jpeg,
                                        const std::vector<uint8_t>& nested, uint8_t wrapperCode);

std::vector<uint8_t> Concatenate(std::vector<uint8_t> front, const std::vector<uint8_t>& back);

// A three-component picture whose samples are stored as red, green and blue,
// not transformed to YCbCr, with component ids 1, 2, 3 and neither a JFIF nor
// an Adobe segment. A decoder shows the right colours only when an Adobe
// segment with transform 0 is added; without it the samples are read as YCbCr.
std::vector<uint8_t> MakeUntransformedRgbPicture(int width, int height);

// Pictures made like the ones cameras write: an Exif block first, no JFIF
// segment, in both byte orders, with the make and model as the camera
// writes them (text with its terminating zero).
struct CCameraLikeFile {
    std::string name;
    std::string make;
    std::string model;
    std::vector<uint8_t> bytes;
};
std::vector<CCameraLikeFile> MakeCameraLikeFiles();
// A picture in the style of one camera's file, with its time, exposure,
// f-number and version tags in the Exif IFD: the values a reader shows.
std::vector<uint8_t> MakeCanonLikeFile();

// The pictures of real cameras in the shared sample folder beside the
// checkout; empty where the checkout has none.
std::vector<std::filesystem::path> SharedCameraFiles();

// The camera-like files written into folder, then the real cameras' files
// beside the checkout where there are some.
std::vector<std::string> CameraFilesIn(const std::filesystem::path& folder);

// Phone photos, made from plain pictures. Each gives the file and where its
// extras lie, so that a test can find them again in a result.
struct CPhonePhoto {
    std::vector<uint8_t> bytes;
    // Where the primary picture's end marker ends: what follows is the
    // video or the second picture.
    size_t primaryEnd = 0;
};
// An XMP APP1 segment whose description carries attributes (namespaces declared).
std::vector<uint8_t> MakeXmpSegmentWith(const std::string& attributes);
// jpeg announcing a motion photo in XMP (a Container directory with the
// video's length), followed by a small MP4 file: its ftyp box and an mdat box
// holding bytes that look like markers.
CPhonePhoto MakeMotionPhoto(const std::vector<uint8_t>& jpeg);
// jpeg with an MPF index followed by a second, smaller picture; with
// gainMapXmp both carry gain-map XMP, without it the second is a plain MPF
// image. segmentsInFront go in front of the MPF segment, where an
// optimisation changes the layout.
CPhonePhoto MakeGainMapPhoto(const std::vector<uint8_t>& jpeg,
                             const std::vector<std::vector<uint8_t>>& segmentsInFront,
                             bool gainMapXmp = true);
// profile split into chunks APP2 ICC_PROFILE segments, numbered 1 to chunks.
std::vector<std::vector<uint8_t>> MakeIccSegments(const std::vector<uint8_t>& profile, int chunks);
// A camera Exif block that identifies the camera and gives orientation.
std::vector<uint8_t> MakeOrientedExifSegment(uint16_t orientation);
