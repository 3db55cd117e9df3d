// Camera-like JPEG files made by the tests themselves with the JPEG library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CJpegRecipe {
    int width = 64;
    int height = 48;
    int quality = 90;
    bool grayscale = false;
    // Four components (CMYK) with an Adobe marker; wins over grayscale.
    bool cmyk = false;
    // Four components stored as YCCK instead of CMYK (with cmyk only).
    bool ycck = false;
    // Three components stored as red, green and blue, not transformed to
    // YCbCr, with the plain component ids 1, 2, 3 some writers use.
    bool storedRgb = false;
    // false leaves out the Adobe segment the library writes for CMYK, YCCK
    // and stored RGB.
    bool adobeMarker = true;
    // Sampling factors of the first component of three stored as YCbCr
    // (the others are 1x1).
    int lumaWide = 2;
    int lumaHigh = 2;
    bool progressive = false;
    bool arithmetic = false;
    // Restart markers every this many MCU rows; 0 for none.
    int restartRows = 0;
    // Restart markers every this many MCUs, where restartRows is 0.
    int restartMcus = 0;
    // false leaves out the JFIF segment the library writes for one or three
    // components transformed to YCbCr.
    bool jfif = true;
    // A COM segment with this text when not empty.
    std::string comment;
    // An Exif APP1 segment with a small JPEG thumbnail inside.
    bool exifWithThumbnail = false;
    // Bytes in front of the start marker and behind the end marker.
    std::vector<uint8_t> preamble;
    std::vector<uint8_t> trailer;
    // The samples, row by row, one byte per component; empty for a noisy
    // pattern of the recipe's size.
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> MakeJpeg(const CJpegRecipe& recipe);
// The samples MakeJpeg encodes for recipe: its own, or the noisy pattern.
std::vector<uint8_t> RecipePixels(const CJpegRecipe& recipe);

// A small picture with an Exif segment holding tiff right after its start marker.
std::vector<uint8_t> MakeJpegWithTiff(const std::vector<uint8_t>& tiff);

// A complete Exif APP1 segment (marker included) whose IFD1 points to thumbnail.
std::vector<uint8_t> MakeExifSegment(const std::vector<uint8_t>& thumbnail);
