// Speed of the pixel-identity check on a 12-megapixel camera-sized JPEG: the
// decode that takes the reference and the verification of a fresh decode
// against it. decode_vs_djpeg.sh sets these beside libjpeg-turbo's djpeg.
//
//   decode_bench [benchmark flags]   in-process timings; the picture is made in
//                                    a temporary folder, or read from the
//                                    file named by KESTRIN_BENCH_JPEG
//   decode_bench --make FILE         writes the picture and ends
//   decode_bench --decode FILE       one DecodeJpegToPacked, to time a process
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/JpegDecoder.h"
#include "util/MemoryTuning.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kQuality = 90;

// Smooth gradients with fine noise, so the entropy-coded data is about as
// dense as a camera's.
void FillRow(int y, std::vector<uint8_t>& row, uint32_t& noise) {
    for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 3; ++c) {
            noise = noise * 1103515245 + 12345;
            const int gradient = (x * (c + 1) / 31 + y * (3 - c) / 23) % 256;
            const int grain = static_cast<int>((noise >> 16) % 24) - 12;
            row[static_cast<size_t>(x) * 3 + c] =
                static_cast<uint8_t>(std::clamp(gradient + grain, 0, 255));
        }
    }
}

void MakePicture(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(kWidth) * 3);
    uint32_t noise = 2024;
    while (info.next_scanline < info.image_height) {
        FillRow(static_cast<int>(info.next_scanline), row, noise);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// The picture of the in-process benchmarks, chosen by main.
std::string g_picturePath;

void BM_DecodeJpegToPacked(benchmark::State& state) {
    CPackedPicture picture;
    for (auto _ : state) {
        if (!DecodeJpegToPacked(g_picturePath, picture)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(picture.m_pBits.data());
    }
    state.counters["megapixels"] = static_cast<double>(picture.m_nWidth) * picture.m_nHeight / 1e6;
}
BENCHMARK(BM_DecodeJpegToPacked)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VerifyJpegAgainstReference(benchmark::State& state) {
    CPackedPicture reference;
    if (!DecodeJpegToPacked(g_picturePath, reference)) {
        state.SkipWithError("decode failed");
        return;
    }
    for (auto _ : state) {
        const bool same =
            VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, g_picturePath);
        if (!same) {
            state.SkipWithError("verification failed");
            break;
        }
    }
}
BENCHMARK(BM_VerifyJpegAgainstReference)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // As the programs do: freed picture memory is reused, not handed back.
    KeepFreedMemoryForPictures();
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        MakePicture(argv[2]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0) {
        CPackedPicture picture;
        return DecodeJpegToPacked(argv[2], picture) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    const char* given = std::getenv("KESTRIN_BENCH_JPEG");
    g_picturePath = given != nullptr
                        ? given
                        : (std::filesystem::temp_directory_path() /
                           ("kestrin_decode_bench_" + std::to_string(getpid()) + ".jpg"))
                              .string();
    if (given == nullptr) {
        MakePicture(g_picturePath);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (given == nullptr) {
        std::filesystem::remove(g_picturePath);
    }
    return 0;
}
