#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "imaging/JpegDecoder.h"
#include "util/MessageSink.h"

namespace {

// Shared memory where there is some: the safe replace syncs every file it
// writes, which on a disk costs more than the rest of a run together.
std::string TemporaryFolder() {
    const char kSharedMemory[] = "/dev/shm";
    if (::access(kSharedMemory, W_OK | X_OK) == 0) {
        return kSharedMemory;
    }
    return std::filesystem::temp_directory_path().string();
}

}  // namespace

CFuzzFolder::CFuzzFolder() {
    std::string pattern = TemporaryFolder() + "/kestrin-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_strPath = pattern;
}

CFuzzFolder::~CFuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
}

void CFuzzFolder::Empty() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(m_strPath, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void SilenceMessages() {
    SetMessageSink([](const std::string&) {});
}

uint8_t CFuzzReader::Byte() {
    if (m_nLeft == 0) {
        return 0;
    }
    --m_nLeft;
    return *m_pData++;
}

ByteVector CFuzzReader::Bytes(size_t count) {
    const size_t taken = std::min(count, m_nLeft);
    ByteVector bytes(m_pData, m_pData + taken);
    m_pData += taken;
    m_nLeft -= taken;
    return bytes;
}

ByteVector CFuzzReader::SizedBytes() {
    const size_t high = Byte();
    return Bytes(high << 8 | Byte());
}

bool DeclaresLargePicture(const ByteVector& jpeg) {
    int32_t width = 0;
    int32_t height = 0;
    return ReadJpegHeaderSize(jpeg.data(), jpeg.size(), width, height) &&
           static_cast<int64_t>(width) * height > kFuzzLargestPixels;
}

bool DecodeForFuzz(const ByteVector& jpeg, CPackedPicture& picture) {
    return DecodeJpegBytesToPacked(jpeg.data(), jpeg.size(), picture);
}

bool SamePixels(const CPackedPicture& picture, const ByteVector& jpeg) {
    CPackedPicture other;
    return DecodeForFuzz(jpeg, other) && other.m_nWidth == picture.m_nWidth &&
           other.m_nHeight == picture.m_nHeight && other.m_pBits == picture.m_pBits;
}
