#include "tests/support/JpegMaker.h"

#include <jpeglib.h>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

std::vector<uint8_t> Pixels(const CJpegRecipe& recipe, int components) {
    std::vector<uint8_t> pixels(static_cast<size_t>(recipe.width) * recipe.height * components);
    uint32_t noise = 12345;
    for (size_t i = 0; i < pixels.size(); ++i) {
        noise = noise * 1103515245 + 12345;
        const size_t pixel = i / components;
        const int x = static_cast<int>(pixel % recipe.width);
        const int y = static_cast<int>(pixel / recipe.width);
        pixels[i] = static_cast<uint8_t>((x * 7 + y * 3 + static_cast<int>(i % components) * 50 +
                                          static_cast<int>((noise >> 16) % 64)) &
                                         0xFF);
    }
    return pixels;
}

void PutBigEndian16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

void PutEntry(std::vector<uint8_t>& out, uint16_t tag, uint16_t type, uint32_t count,
              uint32_t value) {
    PutLittleEndian(out, tag, 2);
    PutLittleEndian(out, type, 2);
    PutLittleEndian(out, count, 4);
    PutLittleEndian(out, value, 4);
}

int ComponentsOf(const CJpegRecipe& recipe) {
    return recipe.cmyk ? 4 : recipe.grayscale ? 1 : 3;
}

void SetColourSpaces(const CJpegRecipe& recipe, jpeg_compress_struct& cinfo) {
    cinfo.input_components = ComponentsOf(recipe);
    cinfo.in_color_space = recipe.cmyk ? JCS_CMYK : recipe.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (recipe.cmyk && recipe.ycck) {
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    }
    if (!recipe.cmyk && !recipe.grayscale) {
        cinfo.comp_info[0].h_samp_factor = recipe.lumaWide;
        cinfo.comp_info[0].v_samp_factor = recipe.lumaHigh;
    }
    if (!recipe.cmyk && !recipe.grayscale && recipe.storedRgb) {
        jpeg_set_colorspace(&cinfo, JCS_RGB);
        for (int i = 0; i < 3; ++i) {
            cinfo.comp_info[i].component_id = i + 1;
        }
    }
    if (!recipe.adobeMarker) {
        cinfo.write_Adobe_marker = FALSE;
    }
}

void SetCoding(const CJpegRecipe& recipe, jpeg_compress_struct& cinfo) {
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    if (!recipe.jfif) {
        cinfo.write_JFIF_header = FALSE;
    }
    cinfo.restart_in_rows = recipe.restartRows;
    cinfo.restart_interval = static_cast<unsigned>(recipe.restartMcus);
    cinfo.arith_code = recipe.arithmetic ? TRUE : FALSE;
    if (recipe.progressive) {
        jpeg_simple_progression(&cinfo);
    }
}

void WriteMarkers(const CJpegRecipe& recipe, const std::vector<uint8_t>& exif,
                  jpeg_compress_struct& cinfo) {
    if (!exif.empty()) {
        // jpeg_write_marker takes the payload only: skip marker and length.
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data() + 4,
                          static_cast<unsigned>(exif.size() - 4));
    }
    if (!recipe.comment.empty()) {
        jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(recipe.comment.data()),
                          static_cast<unsigned>(recipe.comment.size()));
    }
}

std::vector<uint8_t> Encode(const CJpegRecipe& recipe, const std::vector<uint8_t>& exif) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    SetColourSpaces(recipe, cinfo);
    SetCoding(recipe, cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    WriteMarkers(recipe, exif, cinfo);
    const int components = ComponentsOf(recipe);
    std::vector<uint8_t> pixels =
        recipe.pixels.empty() ? Pixels(recipe, components) : recipe.pixels;
    const size_t stride = static_cast<size_t>(recipe.width) * components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = pixels.data() + cinfo.next_scanline * stride;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> result(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return result;
}

}  // namespace

std::vector<uint8_t> MakeExifSegment(const std::vector<uint8_t>& thumbnail) {
    // TIFF header, IFD0 with one entry, IFD1 with the thumbnail's offset and length.
    std::vector<uint8_t> tiff = {'I', 'I', 0x2A, 0x00};
    PutLittleEndian(tiff, 8, 4);
    PutLittleEndian(tiff, 1, 2);
    PutEntry(tiff, 0x0112, 3, 1, 1);  // orientation
    const uint32_t ifd1Offset = 8 + 2 + 12 + 4;
    PutLittleEndian(tiff, ifd1Offset, 4);
    PutLittleEndian(tiff, 2, 2);
    const uint32_t thumbnailOffset = ifd1Offset + 2 + 2 * 12 + 4;
    PutEntry(tiff, 0x0201, 4, 1, thumbnailOffset);
    PutEntry(tiff, 0x0202, 4, 1, static_cast<uint32_t>(thumbnail.size()));
    PutLittleEndian(tiff, 0, 4);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());

    std::vector<uint8_t> segment = {0xFF, 0xE1};
    PutBigEndian16(segment, static_cast<unsigned>(2 + 6 + tiff.size()));
    for (char c : {'E', 'x', 'i', 'f', '\0', '\0'}) {
        segment.push_back(static_cast<uint8_t>(c));
    }
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

std::vector<uint8_t> RecipePixels(const CJpegRecipe& recipe) {
    return recipe.pixels.empty() ? Pixels(recipe, ComponentsOf(recipe)) : recipe.pixels;
}

std::vector<uint8_t> MakeJpeg(const CJpegRecipe& recipe) {
    const size_t samples = static_cast<size_t>(recipe.width) * recipe.height * ComponentsOf(recipe);
    if (!recipe.pixels.empty() && recipe.pixels.size() != samples) {
        throw std::invalid_argument("the recipe's pixels do not fill its size");
    }
    std::vector<uint8_t> exif;
    if (recipe.exifWithThumbnail) {
        CJpegRecipe thumbnail;
        thumbnail.width = 16;
        thumbnail.height = 12;
        thumbnail.jfif = false;
        exif = MakeExifSegment(Encode(thumbnail, {}));
    }
    std::vector<uint8_t> file = recipe.preamble;
    const std::vector<uint8_t> picture = Encode(recipe, exif);
    file.insert(file.end(), picture.begin(), picture.end());
    file.insert(file.end(), recipe.trailer.begin(), recipe.trailer.end());
    return file;
}

std::vector<uint8_t> MakeJpegWithTiff(const std::vector<uint8_t>& tiff) {
    const size_t length = 2 + 6 + tiff.size();
    std::vector<uint8_t> segment = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8),
                                    static_cast<uint8_t>(length & 0xFF)};
    for (char c : {'E', 'x', 'i', 'f', '\0', '\0'}) {
        segment.push_back(static_cast<uint8_t>(c));
    }
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    std::vector<uint8_t> jpeg = MakeJpeg(CJpegRecipe{});
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}
