// Hex conversions of the codec library. Encoding goes through a 256-entry table
// of character pairs, because the scanner turns whole files into text with it.
#include "hexcodec/Cipher.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kMaxHexChars = 200;
constexpr int kErrorOddLength = 1;
constexpr int kErrorTooLong = 2;
constexpr int kErrorBadChar = 4;
constexpr char kVersionText[] = "暗号Dll Version1.3";

void PrintToStandardError(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

std::atomic<CCipher::MessageHandler> g_messageHandler{&PrintToStandardError};

void ShowMessage(const char* text) {
    g_messageHandler.load()(text);
}

constexpr char NibbleChar(unsigned v) {
    return static_cast<char>(v <= 9 ? '0' + v : 'A' + (v - 10));
}

constexpr std::array<std::array<char, 2>, 256> MakePairTable() {
    std::array<std::array<char, 2>, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        table[b] = {NibbleChar(b >> 4), NibbleChar(b & 0x0F)};
    }
    return table;
}

constexpr auto kPairTable = MakePairTable();

// Encodes 16 bytes into 32 characters at once: every nibble becomes '0'+v,
// plus 7 more when it is above 9, which lands on 'A'..'F'.
#if defined(__SSE2__)
size_t EncodeBlocks(char* out, const unsigned char* in, size_t n) {
    const __m128i lowMask = _mm_set1_epi8(0x0F);
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i letterGap = _mm_set1_epi8('A' - '0' - 10);
    auto toChars = [&](__m128i nibbles) {
        const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letterGap);
        return _mm_add_epi8(_mm_add_epi8(nibbles, zero), letters);
    };
    size_t done = 0;
    for (; done + 16 <= n; done += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        const __m128i high = toChars(_mm_and_si128(_mm_srli_epi16(bytes, 4), lowMask));
        const __m128i low = toChars(_mm_and_si128(bytes, lowMask));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * done), _mm_unpacklo_epi8(high, low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * done + 16),
                         _mm_unpackhi_epi8(high, low));
    }
    return done;
}
#else
size_t EncodeBlocks(char*, const unsigned char*, size_t) {
    return 0;
}
#endif

constexpr uint8_t kNotADigit = 0xFF;

// Value of each upper-case hex digit; every other character is kNotADigit.
constexpr std::array<uint8_t, 256> MakeDigitTable() {
    std::array<uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        table[c] = kNotADigit;
    }
    for (unsigned v = 0; v < 16; ++v) {
        table[static_cast<unsigned char>(NibbleChar(v))] = static_cast<uint8_t>(v);
    }
    return table;
}

constexpr auto kDigitTable = MakeDigitTable();

uint8_t DigitValue(char c) {
    return kDigitTable[static_cast<unsigned char>(c)];
}

// The loose digit rule of the unchecked conversions: characters between '9'
// and 'A' pass as the values c-55; anything above 15 is refused.
int LooseDigitValue(unsigned char c) {
    int v = c - '0';
    if (v > 9) {
        v = c - 55;
    }
    return v;
}

bool IsLooseDigit(int v) {
    return v >= 0 && v <= 15;
}

}  // namespace

void CCipher::SetMessageHandler(MessageHandler handler) {
    g_messageHandler.store(handler != nullptr ? handler : &PrintToStandardError);
}

CCipher::CCipher() : m_nStatus(1) {}

CCipher::~CCipher() = default;

void CCipher::Bin2CharHex(char* out, const unsigned char* in, int n) const {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    for (size_t i = EncodeBlocks(out, in, count); i < count; ++i) {
        std::memcpy(out + 2 * i, kPairTable[in[i]].data(), 2);
    }
    out[2 * count] = '\0';
}

int CCipher::CharHex2Bin(unsigned char* out, const char* in) const {
    const size_t fullLength = std::strlen(in);
    int errors = 0;
    if (fullLength % 2 != 0) {
        errors |= kErrorOddLength;
    }
    int length = static_cast<int>(fullLength < static_cast<size_t>(kMaxHexChars) ? fullLength
                                                                                 : kMaxHexChars);
    if (fullLength > static_cast<size_t>(kMaxHexChars)) {
        errors |= kErrorTooLong;
    }
    uint8_t allDigits = 0;
    for (int i = 0; i < length; ++i) {
        allDigits |= DigitValue(in[i]);
    }
    if (allDigits == kNotADigit) {
        errors |= kErrorBadChar;
    }
    if (errors != 0) {
        return -errors;
    }
    const int count = length / 2;
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<unsigned char>(16 * DigitValue(in[2 * i]) + DigitValue(in[2 * i + 1]));
    }
    out[count] = '\0';
    return count;
}

void CCipher::CharToHexChar(unsigned char* out, const unsigned char* in, int n) const {
    Bin2CharHex(reinterpret_cast<char*>(out), in, n);
}

int CCipher::HexCharToChar(unsigned char* out, const unsigned char* in, int n) const {
    for (int i = 0; i < n; ++i) {
        const int high = LooseDigitValue(in[2 * i]);
        if (!IsLooseDigit(high)) {
            ShowMessage("おっと(in CCipher::HexCharToChar_1)");
            return 1;
        }
        const int low = LooseDigitValue(in[2 * i + 1]);
        if (!IsLooseDigit(low)) {
            ShowMessage("おっと(in CCipher::HexCharToChar_2)");
            return 1;
        }
        out[i] = static_cast<unsigned char>(16 * high + low);
    }
    return 0;
}

void CCipher::CharToPercentChar(unsigned char* out, const unsigned char* in, int n) const {
    for (int i = 0; i < n; ++i) {
        out[3 * i] = '%';
        std::memcpy(out + 3 * i + 1, kPairTable[in[i]].data(), 2);
    }
    out[3 * (n > 0 ? n : 0)] = '\0';
}

int CCipher::PercentCharToChar(unsigned char* out, const unsigned char* in, int n) const {
    for (int i = 0; i < n; ++i) {
        const unsigned char* triplet = in + 3 * i;
        if (triplet[0] != '%') {
            ShowMessage("おっと(in CCipher::PercentCharToChar_1)");
            return 1;
        }
        const int high = LooseDigitValue(triplet[1]);
        if (!IsLooseDigit(high)) {
            ShowMessage("おっと(in CCipher::PercentCharToChar_2)");
            return 1;
        }
        const int low = LooseDigitValue(triplet[2]);
        if (!IsLooseDigit(low)) {
            ShowMessage("おっと(in CCipher::PercentCharToChar_3)");
            return 1;
        }
        out[i] = static_cast<unsigned char>(16 * high + low);
    }
    return 0;
}

std::string CCipher::Bin2CStringHex(const unsigned char* in, int n) const {
    std::string text(2 * static_cast<size_t>(n > 0 ? n : 0), '\0');
    Bin2CharHex(text.data(), in, n);
    return text;
}

int CCipher::CStringHex2Bin(unsigned char* out, const std::string& hex) const {
    if (hex.size() > static_cast<size_t>(kMaxHexChars)) {
        return -kErrorTooLong;
    }
    return CharHex2Bin(out, hex.c_str());
}

std::string CCipher::CString2CStringHex(const std::string& text) const {
    std::string hex;
    hex.reserve(2 * text.size());
    for (unsigned char b : text) {
        hex.append(kPairTable[b].data(), 2);
    }
    return hex;
}

std::string CCipher::CStringHex2CString(const std::string& hex) const {
    std::string text;
    unsigned char bytes[kMaxHexChars / 2 + 1];
    for (size_t pos = 0; pos < hex.size(); pos += kMaxHexChars) {
        const int count = CStringHex2Bin(bytes, hex.substr(pos, kMaxHexChars));
        if (count < 0) {
            return {};
        }
        text.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    }
    return text;
}

void CCipher::GetVersion(char* out) const {
    std::memcpy(out, kVersionText, sizeof kVersionText);
}
