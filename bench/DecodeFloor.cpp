// The floor of a pixel-checked optimisation: two plain decodes of every file
// in one process, each into its own blue-green-red buffer that is freed
// after, as the check does (the reference picture of the original, then the
// picture of the result). optimise_vs_tools.sh sets kestrin-cli beside it.
//
//   decode_floor FILE...     prints how many files decoded twice
//
// The allocator is told to keep freed memory, as kestrin-cli does at start,
// so that both sides pay the same for their picture buffers.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "util/MemoryTuning.h"

namespace {

constexpr JDIMENSION kRowsPerRead = 16;

struct CErrorTrap {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(static_cast<CErrorTrap*>(info->client_data)->jump, 1);
}

void StayQuiet(j_common_ptr) {}

// The picture stays in a buffer owned outside the jump, so a failed decode
// leaks nothing.
bool DecodeOnce(std::FILE* file, std::unique_ptr<uint8_t[]>& pixels) {
    CErrorTrap trap;
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBack;
    trap.manager.output_message = StayQuiet;
    info.client_data = &trap;
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * 3;
    pixels.reset(new uint8_t[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION wanted = std::min(kRowsPerRead, info.output_height - first);
        JSAMPROW rows[kRowsPerRead];
        for (JDIMENSION i = 0; i < wanted; ++i) {
            rows[i] = pixels.get() + (first + i) * stride;
        }
        jpeg_read_scanlines(&info, rows, wanted);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    std::unique_ptr<uint8_t[]> pixels;
    const bool decoded = DecodeOnce(file, pixels);
    std::fclose(file);
    return decoded;
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    int decoded = 0;
    for (int i = 1; i < argc; ++i) {
        if (DecodeFile(argv[i]) && DecodeFile(argv[i])) {
            ++decoded;
        } else {
            std::fprintf(stderr, "decode_floor: cannot decode %s\n", argv[i]);
        }
    }
    std::printf("%d of %d files decoded twice\n", decoded, argc - 1);
    return decoded == argc - 1 ? 0 : 1;
}
