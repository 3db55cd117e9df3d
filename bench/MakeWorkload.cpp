// Writes a folder of JPEG files for optimise_vs_tools.sh: a handful of
// distinct originals, then copies of them up to the count asked for. Copies
// keep making the workload fast; the programs timed do not cache.
//
//   make_workload FOLDER [COUNT] [--exif-from DIR] [--everyday]
//   make_workload FOLDER [COUNT] [--exif-from DIR] --picture WIDTH HEIGHT QUALITY [--grain N]
//
// By default the originals are eight camera-sized pictures (2 to 12
// megapixels, landscape and portrait, quality 85 to 95, each with an Exif
// block carrying a thumbnail; some with a comment, an ICC-like APP2, restart
// markers, progressive scans or bytes after the end marker). With --everyday
// they are 81 pictures of everyday sizes instead (2 KB to 3 MB, median about
// 130 KB, the same mix of features; the smallest without Exif), joined by the
// JPEG files of the --exif-from folder taken whole. With --picture the one
// original is a picture of that size and quality, with an Exif block, and
// with --grain its fine grain spans -N to N (default 10, as the camera-sized
// ones): 0 packs as tightly as a scan or a panorama (a 100-megapixel picture
// at quality 75 takes about 5 MB), a large N as densely as a noisy picture.
//
// COUNT defaults to 800. With --exif-from, the Exif blocks are taken from the
// JPEG files in DIR (real cameras' blocks, in turn); otherwise, or when DIR
// has none, a small made block with a thumbnail is used.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

struct COriginal {
    int width;
    int height;
    int quality;
    bool jfif = false;
    bool progressive = false;
    int restartRows = 0;  // 0: no restart markers
    bool comment = false;
    bool icc = false;
    size_t trailer = 0;  // bytes after the end marker
    bool exif = true;
    int grain = 10;
};

constexpr std::array<COriginal, 8> kOriginals{{
    {4000, 3000, 92, false, false, 0, true, false, 0},
    {3000, 4000, 90, false, false, 0, false, true, 0},
    {3264, 2448, 95, false, false, 1, false, false, 6000},
    {2448, 3264, 88, true, true, 0, true, false, 0},
    {2592, 1944, 85, false, false, 0, true, true, 0},
    {1920, 1080, 90, true, true, 0, false, false, 32},
    {4000, 3000, 87, false, true, 2, false, true, 0},
    {1080, 1920, 93, false, false, 4, true, false, 0},
}};

constexpr int kDefaultCount = 800;
constexpr int kEverydayOriginals = 81;
// File sizes of the everyday originals: from the smallest through the median
// to the largest, evenly on a logarithmic scale in each half.
constexpr double kEverydaySmallest = 2e3;
constexpr double kEverydayMedian = 130e3;
constexpr double kEverydayLargest = 2.9e6;
// Bytes a pixel of the made pictures takes at the qualities used, and the
// size below which a file carries no Exif block (a camera block with its
// thumbnail would be most of it).
constexpr double kBytesPerPixel = 0.32;
constexpr double kSmallestWithExif = 20e3;
constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 120;
constexpr uint32_t kIccHeaderBytes = 128;
constexpr uint32_t kIccCurvePoints = 1024;
constexpr uint8_t kApp1 = 0xE1;

// Gradients, a coarse pattern and fine grain, different for every seed: a
// file about as dense as a camera's (3 to 4 bits a pixel at quality 90).
// The grain spans -grain to grain; without it the colours have no noise
// either.
void FillRow(int y, int width, uint32_t seed, int grainSpan, uint32_t& noise, Bytes& row) {
    for (int x = 0; x < width; ++x) {
        noise = noise * 1103515245 + 12345;
        const int grain =
            static_cast<int>((noise >> 16) % static_cast<uint32_t>(2 * grainSpan + 1)) - grainSpan;
        const int pattern = (((x + static_cast<int>(seed)) / 7) ^ (y / 5)) & 31;
        for (int c = 0; c < 3; ++c) {
            const int gradient =
                (x * (c + 1) / 29 + y * (3 - c) / 19 + static_cast<int>(seed)) % 200;
            const int chroma = grainSpan > 0 ? static_cast<int>((noise >> (8 + 4 * c)) & 7) - 3 : 0;
            row[static_cast<size_t>(x) * 3 + c] =
                static_cast<uint8_t>(std::clamp(gradient + pattern + grain + chroma, 0, 255));
        }
    }
}

struct CMarker {
    int code;
    Bytes data;
};

// Our own pictures only: the library's default handler, which ends the
// program with its message on a failure, is all this tool needs.
Bytes Encode(const COriginal& original, uint32_t seed, const std::vector<CMarker>& markers) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(original.width);
    info.image_height = static_cast<JDIMENSION>(original.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, original.quality, TRUE);
    info.write_JFIF_header = original.jfif ? TRUE : FALSE;
    info.restart_in_rows = original.restartRows;
    if (original.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    for (const CMarker& marker : markers) {
        jpeg_write_marker(&info, marker.code, marker.data.data(),
                          static_cast<unsigned>(marker.data.size()));
    }
    Bytes row(static_cast<size_t>(original.width) * 3);
    uint32_t noise = seed * 2654435761u;
    while (info.next_scanline < info.image_height) {
        FillRow(static_cast<int>(info.next_scanline), original.width, seed, original.grain, noise,
                row);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

void PutLittle(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutEntry(Bytes& out, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    PutLittle(out, tag, 2);
    PutLittle(out, type, 2);
    PutLittle(out, count, 4);
    PutLittle(out, value, 4);
}

// An APP1 payload: "Exif", then a little-endian TIFF block whose IFD0 holds
// the orientation and whose IFD1 points to a JPEG thumbnail.
Bytes MakeExifPayload() {
    const Bytes thumbnail =
        Encode({kThumbnailWidth, kThumbnailHeight, 80, false, false, 0, false, false, 0}, 7, {});
    Bytes out = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0};
    PutLittle(out, 8, 4);
    PutLittle(out, 1, 2);
    PutEntry(out, 0x0112, 3, 1, 1);
    const uint32_t ifd1 = 8 + 2 + 12 + 4;
    PutLittle(out, ifd1, 4);
    PutLittle(out, 2, 2);
    PutEntry(out, 0x0201, 4, 1, ifd1 + 2 + 2 * 12 + 4);
    PutEntry(out, 0x0202, 4, 1, static_cast<uint32_t>(thumbnail.size()));
    PutLittle(out, 0, 4);
    out.insert(out.end(), thumbnail.begin(), thumbnail.end());
    return out;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The payload of the first Exif APP1 among the header segments of file.
Bytes FindExifPayload(const Bytes& file) {
    size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > file.size()) {
            break;
        }
        const uint8_t* data = file.data() + at + 4;
        if (file[at + 1] == kApp1 && length >= 8 && std::memcmp(data, "Exif\0\0", 6) == 0) {
            return Bytes(data, data + length - 2);
        }
        at += 2 + length;
    }
    return {};
}

// The JPEG files of folder, in name order.
std::vector<fs::path> JpegFilesIn(const char* folder) {
    std::vector<fs::path> files;
    if (folder != nullptr && fs::is_directory(folder)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".jpg") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void WriteFile(const fs::path& path, const Bytes& file) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

std::vector<Bytes> CollectExifPayloads(const char* folder) {
    std::vector<Bytes> found;
    for (const fs::path& file : JpegFilesIn(folder)) {
        Bytes payload = FindExifPayload(ReadFile(file));
        if (!payload.empty()) {
            found.push_back(std::move(payload));
        }
    }
    if (found.empty()) {
        found.push_back(MakeExifPayload());
    }
    return found;
}

void PutBig(Bytes& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// An APP2 holding a whole small colour profile: the header, a table of one
// tag and that tag's 16-bit tone curve, whose values hold FF bytes as real
// profiles do.
Bytes MakeIccPayload() {
    Bytes profile;
    const uint32_t curveBytes = 12 + 2 * kIccCurvePoints;
    const uint32_t curveAt = kIccHeaderBytes + 4 + 12;
    PutBig(profile, curveAt + curveBytes, 4);
    profile.resize(kIccHeaderBytes, 0);
    std::memcpy(profile.data() + 12, "mntrRGB XYZ ", 12);
    std::memcpy(profile.data() + 36, "acsp", 4);
    PutBig(profile, 1, 4);
    profile.insert(profile.end(), {'r', 'T', 'R', 'C'});
    PutBig(profile, curveAt, 4);
    PutBig(profile, curveBytes, 4);
    profile.insert(profile.end(), {'c', 'u', 'r', 'v', 0, 0, 0, 0});
    PutBig(profile, kIccCurvePoints, 4);
    for (uint32_t i = 0; i < kIccCurvePoints; ++i) {
        const double level = std::pow(i / double{kIccCurvePoints - 1}, 2.2);
        PutBig(profile, static_cast<uint32_t>(level * 65535.0 + 0.5), 2);
    }
    // Sized once and filled in place: GCC 12 at -O3 misreads appending to a
    // vector made from a short list as writing past it (-Warray-bounds).
    const std::array<uint8_t, 14> signature = {'I', 'C', 'C', '_', 'P', 'R', 'O',
                                               'F', 'I', 'L', 'E', 0,   1,   1};
    Bytes out(signature.size() + profile.size());
    std::copy(profile.begin(), profile.end(),
              std::copy(signature.begin(), signature.end(), out.begin()));
    return out;
}

// The everyday originals: sizes spread from kEverydaySmallest to
// kEverydayLargest around kEverydayMedian, the features of the camera-sized
// set in turn.
std::vector<COriginal> EverydayOriginals() {
    std::vector<COriginal> originals;
    constexpr std::array<std::array<int, 2>, 4> kAspects{{{4, 3}, {3, 4}, {16, 9}, {3, 2}}};
    for (int i = 0; i < kEverydayOriginals; ++i) {
        const double share = (i + 0.5) / kEverydayOriginals;
        const double bytes =
            share < 0.5
                ? kEverydaySmallest * std::pow(kEverydayMedian / kEverydaySmallest, share * 2)
                : kEverydayMedian * std::pow(kEverydayLargest / kEverydayMedian, share * 2 - 1);
        const std::array<int, 2>& aspect = kAspects[static_cast<size_t>(i) % kAspects.size()];
        const double unit = std::sqrt(bytes / kBytesPerPixel / (aspect[0] * aspect[1]));
        COriginal original = kOriginals[static_cast<size_t>(i) % kOriginals.size()];
        original.width = std::max(16, static_cast<int>(unit * aspect[0]));
        original.height = std::max(16, static_cast<int>(unit * aspect[1]));
        original.exif = bytes >= kSmallestWithExif;
        originals.push_back(original);
    }
    return originals;
}

Bytes MakeOriginal(const COriginal& original, size_t index, const Bytes& exif) {
    std::vector<CMarker> markers;
    if (original.exif) {
        markers.push_back({JPEG_APP0 + 1, exif});
    }
    if (original.icc) {
        markers.push_back({JPEG_APP0 + 2, MakeIccPayload()});
    }
    if (original.comment) {
        const std::string text = "workload picture " + std::to_string(index);
        markers.push_back({JPEG_COM, Bytes(text.begin(), text.end())});
    }
    Bytes file = Encode(original, static_cast<uint32_t>(index * 53 + 1), markers);
    for (size_t i = 0; i < original.trailer; ++i) {
        file.push_back(static_cast<uint8_t>(i * 13));
    }
    return file;
}

// Sizes the JPEG format can hold, and qualities the library takes.
bool ValidPicture(const COriginal& picture) {
    constexpr int kLargestSide = 65500;
    return picture.width >= 1 && picture.width <= kLargestSide && picture.height >= 1 &&
           picture.height <= kLargestSide && picture.quality >= 1 && picture.quality <= 100;
}

int Usage() {
    std::fputs(
        "usage: make_workload FOLDER [COUNT] [--exif-from DIR] [--everyday]\n"
        "       make_workload FOLDER [COUNT] [--exif-from DIR] --picture WIDTH HEIGHT "
        "QUALITY [--grain N]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* folder = nullptr;
    const char* exifFrom = nullptr;
    bool everyday = false;
    std::optional<COriginal> picture;
    int grain = 10;
    int count = kDefaultCount;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exif-from") == 0 && i + 1 < argc) {
            exifFrom = argv[++i];
        } else if (std::strcmp(argv[i], "--everyday") == 0) {
            everyday = true;
        } else if (std::strcmp(argv[i], "--picture") == 0 && i + 3 < argc) {
            picture = COriginal{.width = std::atoi(argv[i + 1]),
                                .height = std::atoi(argv[i + 2]),
                                .quality = std::atoi(argv[i + 3])};
            i += 3;
        } else if (std::strcmp(argv[i], "--grain") == 0 && i + 1 < argc) {
            grain = std::atoi(argv[++i]);
        } else if (argv[i][0] == '-') {
            // An option it does not know, --help included, must not become a folder.
            return Usage();
        } else if (folder == nullptr) {
            folder = argv[i];
        } else {
            count = std::atoi(argv[i]);
        }
    }
    if (folder == nullptr || count < 1 || (picture && (everyday || !ValidPicture(*picture))) ||
        grain < 0 || grain > 127) {
        return Usage();
    }
    fs::create_directories(folder);
    const std::vector<Bytes> exif = CollectExifPayloads(exifFrom);
    std::vector<COriginal> made =
        everyday ? EverydayOriginals()
                 : std::vector<COriginal>(kOriginals.begin(), kOriginals.end());
    if (picture) {
        picture->grain = grain;
        made = {*picture};
    }
    std::vector<fs::path> originals;
    for (size_t i = 0; i < made.size() && static_cast<int>(i) < count; ++i) {
        originals.push_back(fs::path(folder) / ("original-" + std::to_string(i) + ".jpg"));
        WriteFile(originals.back(), MakeOriginal(made[i], i, exif[i % exif.size()]));
    }
    if (everyday) {
        for (const fs::path& camera : JpegFilesIn(exifFrom)) {
            if (static_cast<int>(originals.size()) < count) {
                originals.push_back(fs::path(folder) / ("camera-" + camera.filename().string()));
                fs::copy_file(camera, originals.back(), fs::copy_options::overwrite_existing);
                // Copies of read-only samples would stay read-only.
                fs::permissions(originals.back(), fs::perms::owner_write, fs::perm_options::add);
            }
        }
    }
    // The copies cycle through the originals, so any count has a fair mix.
    for (int i = static_cast<int>(originals.size()); i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "copy-%05d.jpg", i);
        fs::copy_file(originals[static_cast<size_t>(i) % originals.size()], fs::path(folder) / name,
                      fs::copy_options::overwrite_existing);
    }
    std::printf("%d files in %s (%zu distinct, %zu Exif blocks)\n", count, folder, originals.size(),
                exif.size());
    return 0;
}
