#include "segment/SegmentFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "hexcodec/Cipher.h"
#include "util/FileBytes.h"
#include "util/FileError.h"

namespace {

// The codec converts at most 200 characters per call.
constexpr size_t kHexSlice = 200;
// Characters read from the hex file at once: whole slices, so the result is
// the same as reading one slice at a time.
constexpr size_t kHexReadChunk = kHexSlice * 512;

struct CFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

CFilePtr OpenFile(const std::string& path, const char* mode) {
    return CFilePtr(std::fopen(path.c_str(), mode));
}

void WriteAll(std::FILE* file, const char* data, size_t length, const std::string& path) {
    if (length > 0 && std::fwrite(data, 1, length, file) != length) {
        throw CFileException(std::strerror(errno), path);
    }
}

void CloseChecked(CFilePtr file, const std::string& path) {
    if (std::fclose(file.release()) != 0) {
        throw CFileException(std::strerror(errno), path);
    }
}

// Converts whole slices of text into out; false at the first invalid slice.
bool ConvertSlices(const CCipher& cipher, std::string& text, std::string& out) {
    unsigned char bytes[kHexSlice / 2 + 1];
    for (size_t pos = 0; pos < text.size(); pos += kHexSlice) {
        const size_t sliceLength = std::min(kHexSlice, text.size() - pos);
        const char saved = text[pos + sliceLength];
        text[pos + sliceLength] = '\0';
        const int count = cipher.CharHex2Bin(bytes, text.c_str() + pos);
        text[pos + sliceLength] = saved;
        if (count < 0) {
            return false;
        }
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    }
    return true;
}

}  // namespace

int64_t WriteSegmentsHex(const CSegmentList& list, const std::string& path) {
    CFilePtr file = OpenFile(path, "wb");
    if (!file) {
        return 0;
    }
    int64_t length = 0;
    for (const CJpegSegment& segment : list) {
        WriteAll(file.get(), segment.m_strCode.data(), segment.m_strCode.size(), path);
        WriteAll(file.get(), segment.m_strData.data(), segment.m_strData.size(), path);
        length += static_cast<int64_t>(segment.m_strCode.size() + segment.m_strData.size());
    }
    CloseChecked(std::move(file), path);
    return length;
}

bool HexFileToBinary(const std::string& hexPath, const std::string& binaryPath) {
    CFilePtr binary = OpenFile(binaryPath, "wb");
    CFilePtr hex = OpenFile(hexPath, "rb");
    if (!binary || !hex) {
        return false;
    }
    const CCipher cipher;
    std::string text(kHexReadChunk, '\0');
    std::string bytes;
    bool valid = true;
    for (size_t got = kHexReadChunk; valid && got == kHexReadChunk;) {
        got = std::fread(text.data(), 1, kHexReadChunk, hex.get());
        if (std::ferror(hex.get()) != 0) {
            throw CFileException(std::strerror(errno), hexPath);
        }
        text.resize(got - got % 2);
        bytes.clear();
        valid = ConvertSlices(cipher, text, bytes);
        WriteAll(binary.get(), bytes.data(), bytes.size(), binaryPath);
        text.resize(kHexReadChunk);
    }
    CloseChecked(std::move(binary), binaryPath);
    return valid;
}

int BinaryFileToHex(const std::string& path, std::string& hex) {
    const std::optional<ByteVector> bytes = ReadFileBytes(path);
    if (!bytes || bytes->size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return 0;
    }
    hex = CCipher().Bin2CStringHex(bytes->data(), static_cast<int>(bytes->size()));
    return 1;
}
