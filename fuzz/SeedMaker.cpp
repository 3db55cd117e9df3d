// Writes the seeds of the fuzz targets that take pictures, made with the
// tests' own JPEG makers: tiny camera-like files with the segments the
// targets act on, framed as each target reads its input. Run it with the
// seed folder (fuzz/seeds) as its argument.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/EditorCommands.h"
#include "tests/support/CameraFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Tiny(int width, int height) {
    CJpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    return MakeJpeg(recipe);
}

Bytes Camera() {
    CJpegRecipe recipe;
    recipe.width = 16;
    recipe.height = 16;
    recipe.exifWithThumbnail = true;
    recipe.comment = "Camera 1";
    recipe.trailer = {0x00, 0x11, 0x22};
    return MakeJpeg(recipe);
}

Bytes Nested() {
    return NestPictureInFront(Tiny(16, 16), Tiny(8, 8), 0xE1);
}

Bytes Progressive() {
    CJpegRecipe recipe;
    recipe.width = 16;
    recipe.height = 16;
    recipe.grayscale = true;
    recipe.progressive = true;
    return InsertAfterStart(MakeJpeg(recipe),
                            {MakeXmpSegment(), MakeIccSegment(IccProfileWithFfBytes())});
}

Bytes Restarts() {
    CJpegRecipe recipe;
    recipe.width = 16;
    recipe.height = 32;
    recipe.restartRows = 1;
    return Concatenate({0x12, 0x34}, InsertAfterStart(MakeJpeg(recipe), {MakeJfxxSegment()}));
}

Bytes Untransformed() {
    return InsertAfterStart(MakeUntransformedRgbPicture(16, 16), {MakeAdobeSegment(0)});
}

// A byte of flags, then the file's length in two bytes, or the file alone.
Bytes Framed(uint8_t flags, const Bytes& file, const Bytes& rest = {}) {
    Bytes framed{flags, static_cast<uint8_t>(file.size() >> 8), static_cast<uint8_t>(file.size())};
    framed.insert(framed.end(), file.begin(), file.end());
    return Concatenate(framed, rest);
}

Bytes Flagged(uint8_t flags, const Bytes& file) {
    return Concatenate({flags}, file);
}

// The first file's length in two bytes, the first file, then the second.
Bytes Sized(const Bytes& first, const Bytes& second) {
    const Bytes framed = Framed(0, first, second);
    return Bytes(framed.begin() + 1, framed.end());
}

struct CSeed {
    std::string target;
    std::string name;
    Bytes bytes;
};

std::vector<CSeed> Seeds() {
    const Bytes added = {Add, 1, 0xE2, 3, 'a', 'b', 'c'};
    const Bytes edited = {Edit, 0, 0xFE, 2, 'x', 'y'};
    return {
        {"fuzz_marker_editor", "camera_commands.bin",
         Framed(0, Camera(),
                Concatenate(Concatenate({Delete, 0}, added),
                            Concatenate(edited, {Zero, 2, Undo, Redo, ShowAll, Undo})))},
        {"fuzz_marker_editor", "nested_removal.bin",
         Framed(1, Nested(),
                {ShowAll, Delete, 0, RemoveProprietary, Delete, 1, Undo, Reset, Zero, 3})},
        {"fuzz_marker_editor", "every_segment_shown.bin",
         Framed(5, Progressive(),
                Concatenate({Delete, 3}, Concatenate(added, {Undo, Undo, Redo})))},
        {"fuzz_optimise", "batch_new_name.bin", Flagged(0, Camera())},
        {"fuzz_optimise", "batch_overwrite.bin", Flagged(2, Restarts())},
        {"fuzz_optimise", "wizard_nested.bin", Flagged(1 | 8, Nested())},
        {"fuzz_optimise", "wizard_embed.bin", Flagged(1 | 16, Camera())},
        {"fuzz_optimise", "batch_keep_exif.bin", Flagged(4, Untransformed())},
        {"fuzz_segment_files", "scanned_camera.bin", Flagged(1, Camera())},
        {"fuzz_segment_files", "scanned_nested.bin", Flagged(3, Nested())},
        {"fuzz_segment_files", "spelled_list.bin",
         Bytes{0, 0x22, 0xFF, 0xD8, 0x34, 0xFF, 0xE1, 0x00, 0x10, 0x41, 0xF3, 0x0C, 0xFF, 0xD9}},
        {"fuzz_sample_conversion", "camera_sample.bin", Sized(Camera(), Tiny(24, 16))},
        {"fuzz_sample_conversion", "onto_camera.bin", Sized(Camera(), Camera())},
        {"fuzz_sample_conversion", "progressive_target.bin", Sized(Camera(), Progressive())},
        {"fuzz_exif_batches", "new_name.bin", Framed(0, MakeCameraExifSegment(), Tiny(16, 16))},
        {"fuzz_exif_batches", "overwrite.bin", Framed(1, MakeCameraExifSegment(), Restarts())},
        {"fuzz_exif_batches", "has_exif.bin", Framed(0, MakeCameraExifSegment(), Camera())},
        // Moment bytes, then one byte per entry: kind + 6 x name.
        {"fuzz_dropped_dates", "tree.bin", {45, 6, 15, 10, 30, 0, 26, 6, 35, 3, 40, 19, 42}},
        {"fuzz_dropped_dates", "far_future.bin", {200, 1, 1, 0, 0, 0, 12}},
        {"fuzz_dropped_dates", "no_jpeg.bin", {10, 13, 40, 24, 61, 26, 19}},
        {"fuzz_phone_extras", "motion_photo.bin", MakeMotionPhoto(Tiny(16, 16)).bytes},
        {"fuzz_phone_extras", "gain_map.bin", MakeGainMapPhoto(Progressive(), {}).bytes},
        {"fuzz_phone_extras", "mpf_image.bin", MakeGainMapPhoto(Tiny(16, 16), {}, false).bytes},
        {"fuzz_phone_extras", "oriented_exif.bin", MakeOrientedExifSegment(6)},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEED_FOLDER\n", argv[0]);
        return 2;
    }
    for (const CSeed& seed : Seeds()) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / seed.target;
        std::filesystem::create_directories(folder);
        std::ofstream file(folder / seed.name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(seed.bytes.data()),
                   static_cast<std::streamsize>(seed.bytes.size()));
        if (!file.flush()) {
            std::fprintf(stderr, "cannot write %s\n", (folder / seed.name).c_str());
            return 1;
        }
    }
    return 0;
}
