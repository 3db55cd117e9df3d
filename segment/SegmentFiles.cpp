#include "segment/SegmentFiles.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>

#include "hexcodec/Cipher.h"
#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/MappedFile.h"

namespace {

// The codec converts at most 200 characters per call.
constexpr size_t kHexSlice = 200;
// Characters read from the hex file at once: whole slices, so the result is
// the same as reading one slice at a time.
constexpr size_t kHexReadChunk = kHexSlice * 512;
constexpr size_t kWriteChunk = 64 * 1024;

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

// The value of an upper-case hex digit; kNotADigit for any other character.
constexpr uint8_t kNotADigit = 0xFF;
constexpr std::array<uint8_t, 256> MakeDigitTable() {
    std::array<uint8_t, 256> table{};
    table.fill(kNotADigit);
    for (uint8_t v = 0; v < 16; ++v) {
        table[static_cast<uint8_t>(v < 10 ? '0' + v : 'A' + v - 10)] = v;
    }
    return table;
}
constexpr std::array<uint8_t, 256> kDigitValues = MakeDigitTable();

// Where the bytes of a list go, in order.
using CByteSink = std::function<void(const uint8_t* bytes, size_t count)>;

// True for text of even length made of upper-case hex digits only.
bool IsPlainHex(const std::string& text) {
    return text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), [](char c) {
               return kDigitValues[static_cast<uint8_t>(c)] != kNotADigit;
           });
}

size_t ListCharacters(const CSegmentList& list) {
    size_t characters = 0;
    for (const CJpegSegment& segment : list) {
        characters += segment.m_strCode.size() + segment.m_strData.size();
    }
    return characters;
}

// The common case of a list made by the scanner or the editor: every text
// of even length and plain hex. Then every byte comes from one text's pair,
// however the slices fall, and the conversion needs no slices. Any other
// list takes the slices' way with its own rules.
bool IsPlainList(const CSegmentList& list) {
    return std::all_of(list.begin(), list.end(), [](const CJpegSegment& segment) {
        return IsPlainHex(segment.m_strCode) &&
               (segment.m_strData.Bytes() || IsPlainHex(segment.m_strData.Text()));
    });
}

// Sends the bytes of plain hex text, a piece at a time.
void SendPlainHex(const std::string& text, const CByteSink& sink) {
    uint8_t bytes[kHexSlice];
    for (size_t pos = 0; pos < text.size();) {
        size_t count = 0;
        for (; count < kHexSlice && pos < text.size(); pos += 2) {
            bytes[count++] =
                static_cast<uint8_t>(kDigitValues[static_cast<uint8_t>(text[pos])] << 4 |
                                     kDigitValues[static_cast<uint8_t>(text[pos + 1])]);
        }
        sink(bytes, count);
    }
}

void SendPlainList(const CSegmentList& list, const CByteSink& sink) {
    for (const CJpegSegment& segment : list) {
        SendPlainHex(segment.m_strCode, sink);
        if (const auto bytes = segment.m_strData.Bytes()) {
            sink(bytes->data(), bytes->size());
        } else {
            SendPlainHex(segment.m_strData.Text(), sink);
        }
    }
}

// The texts are cut into slices as the whole file's text would be, so a
// slice may span the end of one segment and the start of the next. False at
// the first slice that does not convert.
bool SendSlicedList(const CSegmentList& list, const CByteSink& sink) {
    const CCipher cipher;
    char slice[kHexSlice + 1];
    unsigned char converted[kHexSlice / 2 + 1];
    size_t filled = 0;
    const auto convert = [&]() {
        slice[filled - filled % 2] = '\0';
        const int count = cipher.CharHex2Bin(converted, slice);
        filled = 0;
        if (count < 0) {
            return false;
        }
        sink(converted, static_cast<size_t>(count));
        return true;
    };
    for (const CJpegSegment& segment : list) {
        const std::string data = segment.m_strData.Text();
        for (const std::string* text : {&segment.m_strCode, &data}) {
            for (size_t pos = 0; pos < text->size();) {
                const size_t taken = std::min(kHexSlice - filled, text->size() - pos);
                std::memcpy(slice + filled, text->data() + pos, taken);
                filled += taken;
                pos += taken;
                if (filled == kHexSlice && !convert()) {
                    return false;
                }
            }
        }
    }
    return filled == 0 || convert();
}

// The bytes HexFileToBinary makes of the list's hex file; false where it would fail.
bool SendSegmentBytes(const CSegmentList& list, const CByteSink& sink) {
    if (IsPlainList(list)) {
        SendPlainList(list, sink);
        return true;
    }
    return SendSlicedList(list, sink);
}

}  // namespace

int64_t WriteSegmentsHex(const CSegmentList& list, const std::string& path) {
    CFileHandle file(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!file.IsOpen()) {
        throw CFileException(path, errno);
    }
    // Small segments are gathered so that a list of stuffed bytes is not
    // written a few characters at a time; large data goes out directly.
    // Data kept as bytes becomes text a chunk at a time.
    std::string pending;
    int64_t length = 0;
    for (const CJpegSegment& segment : list) {
        pending += segment.m_strCode;
        const CSegmentData& data = segment.m_strData;
        for (size_t pos = 0; pos < data.size();) {
            const size_t taken = std::min(kWriteChunk, data.size() - pos);
            data.AppendTextTo(pending, pos, taken);
            pos += taken;
            if (pending.size() >= kWriteChunk) {
                file.WriteAll(pending.data(), pending.size());
                pending.clear();
            }
        }
        length += static_cast<int64_t>(segment.m_strCode.size() + data.size());
    }
    file.WriteAll(pending.data(), pending.size());
    file.CloseChecked();
    return length;
}

bool HexFileToBinary(const std::string& hexPath, const std::string& binaryPath) {
    CFileHandle binary(binaryPath, O_WRONLY | O_CREAT | O_TRUNC);
    const CFileHandle hex(hexPath, O_RDONLY);
    if (!binary.IsOpen() || !hex.IsOpen()) {
        return false;
    }
    const CCipher cipher;
    std::string text(kHexReadChunk, '\0');
    std::string bytes;
    bool valid = true;
    for (size_t got = kHexReadChunk; valid && got == kHexReadChunk;) {
        got = hex.ReadUpTo(text.data(), kHexReadChunk);
        text.resize(got - got % 2);
        bytes.clear();
        valid = ConvertSlices(cipher, text, bytes);
        binary.WriteAll(bytes.data(), bytes.size());
        text.resize(kHexReadChunk);
    }
    binary.CloseChecked();
    return valid;
}

std::optional<ByteVector> SegmentsToBytes(const CSegmentList& list) {
    ByteVector bytes;
    bytes.reserve(ListCharacters(list) / 2);
    const bool converted = SendSegmentBytes(list, [&bytes](const uint8_t* data, size_t count) {
        bytes.insert(bytes.end(), data, data + count);
    });
    return converted ? std::optional<ByteVector>(std::move(bytes)) : std::nullopt;
}

std::optional<ByteVector> PlainSegmentsToBytes(const CSegmentList& list) {
    if (!IsPlainList(list)) {
        return std::nullopt;
    }
    ByteVector bytes;
    bytes.reserve(ListCharacters(list) / 2);
    SendPlainList(list, [&bytes](const uint8_t* data, size_t count) {
        bytes.insert(bytes.end(), data, data + count);
    });
    return bytes;
}

namespace {

// Writes bytes of mapped in blocks, each given back once written, so that a
// large piece never has all its pages in memory at once.
void WriteMappedBytes(const CFileHandle& file, const CMappedFile& mapped, const uint8_t* data,
                      size_t count) {
    for (size_t done = 0; done < count;) {
        const size_t block = std::min(CMappedFile::kReleaseStep, count - done);
        file.WriteAll(data + done, block);
        mapped.Release(static_cast<size_t>(data + done - mapped.data()), block);
        done += block;
    }
}

}  // namespace

bool WriteSegmentsBinary(const CSegmentList& list, const CFileHandle& file,
                         const CMappedFile* mapped) {
    // Small pieces are gathered, so that millions of stuffed bytes are not
    // written a few bytes at a time; large data goes out directly.
    ByteVector pending;
    pending.reserve(kWriteChunk);
    const auto flush = [&]() {
        file.WriteAll(pending.data(), pending.size());
        pending.clear();
    };
    const bool converted = SendSegmentBytes(list, [&](const uint8_t* data, size_t count) {
        if (pending.size() + count > kWriteChunk) {
            flush();
        }
        if (count >= kWriteChunk && mapped != nullptr && mapped->Holds(data, count)) {
            WriteMappedBytes(file, *mapped, data, count);
        } else if (count >= kWriteChunk) {
            file.WriteAll(data, count);
        } else {
            pending.insert(pending.end(), data, data + count);
        }
    });
    flush();
    return converted;
}

bool BinaryFileToHex(const std::string& path, std::string& hex) {
    const std::optional<ByteVector> bytes = ReadFileBytes(path);
    if (!bytes || bytes->size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return false;
    }
    hex = CCipher().Bin2CStringHex(bytes->data(), static_cast<int>(bytes->size()));
    return true;
}
