#include "util/TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "hexcodec/Cipher.h"
#include "util/MessageSink.h"

namespace {

// CharHex2Bin takes at most 200 characters; the display conversion uses
// slices of 128 characters (64 bytes).
constexpr size_t kDisplaySliceChars = 128;
constexpr size_t kTextPieceBytes = 64;

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char DisplayChar(unsigned char byte) {
    return IsAsciiLetterOrDigit(byte) ? static_cast<char>(byte) : '.';
}

// One display character per pair; a pair the codec refuses shows as '.'.
std::string DisplayTextOfPairs(const CCipher& cipher, const std::string& slice) {
    std::string text;
    for (size_t pos = 0; pos + 1 < slice.size(); pos += 2) {
        unsigned char byte[2] = {};
        const bool converted = cipher.CharHex2Bin(byte, slice.substr(pos, 2).c_str()) == 1;
        text += converted ? DisplayChar(byte[0]) : '.';
    }
    return text;
}

std::string DisplayTextOfSlice(const CCipher& cipher, const std::string& slice) {
    unsigned char bytes[kDisplaySliceChars / 2 + 1];
    const int count = cipher.CharHex2Bin(bytes, slice.c_str());
    if (count < 0) {
        return DisplayTextOfPairs(cipher, slice);
    }
    std::string text(static_cast<size_t>(count), '.');
    std::transform(bytes, bytes + count, text.begin(), DisplayChar);
    return text;
}

}  // namespace

std::string FormatDecimal(int n) {
    return std::to_string(n);
}

std::string FormatOneDecimal(double x) {
    // to_chars ignores the locale, so the decimal point stays a '.' even when
    // the window toolkit has switched to the user's locale.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

long ParseLong(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

std::string FormatHex4(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(n));
    std::string digits(buffer);
    if (digits.size() > 4) {
        ShowMessage("文字数が長すぎて対応しておりません");
    }
    return digits;
}

std::string HexToDisplayText(const std::string& hex) {
    const CCipher cipher;
    const size_t evenLength = hex.size() - hex.size() % 2;
    std::string text;
    text.reserve(evenLength / 2);
    for (size_t pos = 0; pos < evenLength; pos += kDisplaySliceChars) {
        const size_t sliceLength = std::min(kDisplaySliceChars, evenLength - pos);
        text += DisplayTextOfSlice(cipher, hex.substr(pos, sliceLength));
    }
    return text;
}

std::string TextToHex(const std::string& text) {
    const CCipher cipher;
    std::string hex;
    hex.reserve(2 * text.size());
    char pieceHex[2 * kTextPieceBytes + 1];
    for (size_t pos = 0; pos < text.size(); pos += kTextPieceBytes) {
        const size_t pieceLength = std::min(kTextPieceBytes, text.size() - pos);
        cipher.Bin2CharHex(pieceHex, reinterpret_cast<const unsigned char*>(text.data() + pos),
                           static_cast<int>(pieceLength));
        hex.append(pieceHex, 2 * pieceLength);
    }
    return hex;
}

bool IsHexText(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

std::optional<std::string> DropLeft(const std::string& text, int n) {
    if (n < 0) {
        return text;
    }
    if (text.size() < static_cast<size_t>(n)) {
        return std::nullopt;
    }
    return text.substr(static_cast<size_t>(n));
}

std::string DropRight(const std::string& text, int n) {
    if (n < 0 || text.size() < static_cast<size_t>(n)) {
        return text;
    }
    return text.substr(0, text.size() - static_cast<size_t>(n));
}

bool SplitAtFirstComma(const std::string& text, std::string& first, std::string& rest) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos || comma == 0) {
        return false;
    }
    first = text.substr(0, comma);
    rest = text.substr(comma + 1);
    return true;
}

std::string DropLastCharacters(const std::string& text, size_t count) {
    size_t end = text.size();
    for (size_t dropped = 0; dropped < count; ++dropped) {
        if (end == 0) {
            return text;
        }
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    }
    return text.substr(0, end);
}

std::string BatchOutputName(const std::string& dropped, const std::string& suffix,
                            const std::string& extension) {
    return DropLastCharacters(dropped, 4) + suffix + extension;
}

bool HasJpgName(const std::string& path) {
    if (path.size() < 3) {
        return false;
    }
    std::string tail = path.substr(path.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return tail == "jpg";
}
