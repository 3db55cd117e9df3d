#include "util/ListFile.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

#include "util/FileBytes.h"
#include "util/FileHelpers.h"

namespace {

// glibc's "CP932" is the table the files were written with; its "SHIFT_JIS"
// maps 5C to the yen sign and 8160 to another tilde, so it must not be used.
constexpr char kListFileEncoding[] = "CP932";
constexpr char kProgramEncoding[] = "UTF-8";
constexpr size_t kChunkBytes = 4096;

class CConverter {
public:
    CConverter(const char* to, const char* from) : m_cd(::iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("no text conversion from ") + from + " to " + to);
        }
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;
    ~CConverter() { ::iconv_close(m_cd); }

    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// The bytes that make up the character which could not be converted at text.
using BadSequenceLength = size_t (*)(const char* text, size_t left);

size_t OneByte(const char*, size_t) {
    return 1;
}

// A lead byte and the continuation bytes after it (at most three).
size_t Utf8CharacterLength(const char* text, size_t left) {
    size_t length = 1;
    while (length < left && length < 4 &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

std::string Convert(const char* to, const char* from, const std::string& input,
                    BadSequenceLength badSequenceLength) {
    const CConverter converter(to, from);
    std::string output;
    char chunk[kChunkBytes];
    char* in = const_cast<char*>(input.data());  // iconv's interface is not const-correct
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t result = ::iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
        output.append(chunk, static_cast<size_t>(out - chunk));
        if (result != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        output += '?';
        const size_t skip = std::min(inLeft, badSequenceLength(in, inLeft));
        in += skip;
        inLeft -= skip;
    }
    return output;
}

bool CreateEmptyFileIfMissing(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) {
    return Convert(kProgramEncoding, kListFileEncoding, cp932, OneByte);
}

std::string Utf8ToCp932(const std::string& utf8) {
    return Convert(kListFileEncoding, kProgramEncoding, utf8, Utf8CharacterLength);
}

std::vector<std::string> ParseListLines(const std::string& cp932Bytes) {
    const std::string text = Cp932ToUtf8(cp932Bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t lineFeed = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, lineFeed - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
        start = lineFeed + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadListFile(const std::string& path,
                                                     bool createIfMissing) {
    const std::optional<ByteVector> bytes = ReadFileBytes(path);
    if (bytes) {
        return ParseListLines(std::string(bytes->begin(), bytes->end()));
    }
    if (createIfMissing && CreateEmptyFileIfMissing(path)) {
        return std::vector<std::string>{};
    }
    return std::nullopt;
}

bool WriteListFile(const std::string& path, const std::vector<std::string>& utf8Lines) {
    std::string content;
    for (const std::string& line : utf8Lines) {
        content += line;
        content += "\r\n";
    }
    // Converted before the file is created, so a failed conversion loses no list.
    return WriteWholeFile(path, Utf8ToCp932(content));
}
