#include "bench/JpegLikeData.h"

#include <cstdio>
#include <random>
#include <stdexcept>

namespace {

constexpr size_t kRestartInterval = 4096;

// Start marker, APP0, quantisation table, frame and scan headers.
const std::vector<uint8_t> kHeaders = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',
                                       0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
                                       0xFF, 0xDB, 0x00, 0x04, 0x00, 0x01, 0xFF, 0xC0, 0x00, 0x05,
                                       0x08, 0x10, 0x00, 0xFF, 0xDA, 0x00, 0x04, 0x01, 0x00};

}  // namespace

void GenerateJpegLike(size_t size, const std::function<void(const uint8_t*, size_t)>& sink) {
    if (size < kHeaders.size() + 2) {
        throw std::invalid_argument("too small for a JPEG-like buffer");
    }
    sink(kHeaders.data(), kHeaders.size());
    std::mt19937 random(42);
    const size_t target = size - kHeaders.size() - 2;
    std::vector<uint8_t> piece;
    size_t produced = 0;
    for (int restart = 0; produced < target; ++restart) {
        piece.clear();
        while (piece.size() < kRestartInterval && produced + piece.size() < target) {
            const auto b = static_cast<uint8_t>(random());
            const bool stuffedFits = produced + piece.size() + 2 <= target;
            piece.push_back(b == 0xFF && !stuffedFits ? 0x00 : b);
            if (b == 0xFF && stuffedFits) {
                piece.push_back(0x00);
            }
        }
        if (produced + piece.size() + 2 <= target) {
            piece.push_back(0xFF);
            piece.push_back(static_cast<uint8_t>(0xD0 + restart % 8));
        }
        sink(piece.data(), piece.size());
        produced += piece.size();
    }
    const uint8_t end[] = {0xFF, 0xD9};
    sink(end, 2);
}

std::vector<uint8_t> MakeJpegLikeBuffer(size_t size) {
    std::vector<uint8_t> buffer;
    buffer.reserve(size);
    GenerateJpegLike(size, [&buffer](const uint8_t* bytes, size_t length) {
        buffer.insert(buffer.end(), bytes, bytes + length);
    });
    return buffer;
}

void WriteJpegLikeFile(const std::string& path, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    GenerateJpegLike(
        size, [file](const uint8_t* bytes, size_t length) { std::fwrite(bytes, 1, length, file); });
    std::fclose(file);
}
