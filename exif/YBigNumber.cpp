#include "exif/YBigNumber.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kMinRadix = 2;
constexpr int kMaxRadix = 16;
constexpr uint32_t kLimbBase = 0x10000;
// 816 bits need at most 246 decimal digits; a sign and the NUL come on top.
constexpr size_t kDecimalTextSize = 250;
constexpr char kDigitChars[] = "0123456789ABCDEF";

// The value of one digit character, letters of either case; -1 for any other.
int DigitValue(char c) {
    if (c >= 'a' && c <= 'f') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decimal text as written by ToDisplay, taken modulo 2^32 as a signed value.
int32_t DecimalTextToInt32(const char* text) {
    const bool negative = *text == '-';
    uint32_t magnitude = 0;
    for (const char* c = negative ? text + 1 : text; *c != '\0'; ++c) {
        magnitude = magnitude * 10u + static_cast<uint32_t>(*c - '0');
    }
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

}  // namespace

CYBigNumber::CYBigNumber(int32_t value) {
    const int64_t magnitude = value < 0 ? -int64_t{value} : int64_t{value};
    m_limbs[0] = static_cast<uint16_t>(magnitude % kLimbBase);
    m_limbs[1] = static_cast<uint16_t>(magnitude / kLimbBase);
    m_nUsed = magnitude >= kLimbBase ? 1 : 0;
    m_nSign = value < 0 ? 1 : 0;
}

bool CYBigNumber::FromDisplay(const char* text, int radix) {
    *this = CYBigNumber();
    if (radix < kMinRadix || radix > kMaxRadix) {
        return false;
    }
    const bool negative = *text == '-';
    for (const char* c = negative ? text + 1 : text; *c != '\0'; ++c) {
        if (!MultiplySmall(static_cast<uint32_t>(radix))) {
            return false;
        }
        const int value = DigitValue(*c);
        if (value < 0 || value >= radix || !AddSmall(static_cast<uint32_t>(value))) {
            return false;
        }
    }
    m_nSign = negative ? 1 : 0;
    return true;
}

char* CYBigNumber::ToDisplay(char* out, int radix) {
    char* cursor = out;
    if (radix >= kMinRadix && radix <= kMaxRadix) {
        if (IsZero()) {
            m_nSign = 0;
        }
        if (m_nSign != 0) {
            *cursor++ = '-';
        }
        // The powers of the radix up to the number itself, built anew on every
        // call so that no table is shared between threads.
        std::vector<CYBigNumber> powers{CYBigNumber(1)};
        for (CYBigNumber next = powers.back();
             next.MultiplySmall(static_cast<uint32_t>(radix)) && !IsBelow(next);) {
            powers.push_back(next);
        }
        CYBigNumber rest = *this;
        for (auto power = powers.rbegin(); power != powers.rend(); ++power) {
            int digit = 0;
            while (!rest.IsBelow(*power)) {
                rest.SubtractSmaller(*power);
                ++digit;
            }
            *cursor++ = kDigitChars[digit];
        }
    }
    *cursor = '\0';
    return out;
}

bool CYBigNumber::MultiplySmall(uint32_t factor) {
    std::array<uint16_t, kLimbs> product{};
    uint32_t carry = 0;
    for (int i = 0; i < kLimbs; ++i) {
        const uint32_t limb = m_limbs[i] * factor + carry;
        product[i] = static_cast<uint16_t>(limb % kLimbBase);
        carry = limb / kLimbBase;
    }
    return Commit(product, carry);
}

bool CYBigNumber::AddSmall(uint32_t addend) {
    std::array<uint16_t, kLimbs> sum = m_limbs;
    uint32_t carry = addend;
    for (int i = 0; i < kLimbs && carry != 0; ++i) {
        const uint32_t limb = sum[i] + carry;
        sum[i] = static_cast<uint16_t>(limb % kLimbBase);
        carry = limb / kLimbBase;
    }
    return Commit(sum, carry);
}

bool CYBigNumber::Commit(const std::array<uint16_t, kLimbs>& limbs, uint32_t carry) {
    if (carry != 0) {
        m_nStatus = 1;
        return false;
    }
    m_limbs = limbs;
    UpdateUsed();
    return true;
}

void CYBigNumber::SubtractSmaller(const CYBigNumber& other) {
    int32_t borrow = 0;
    for (int i = 0; i <= m_nUsed; ++i) {
        int32_t difference = int32_t{m_limbs[i]} - other.m_limbs[i] - borrow;
        borrow = difference < 0 ? 1 : 0;
        if (difference < 0) {
            difference += static_cast<int32_t>(kLimbBase);
        }
        m_limbs[i] = static_cast<uint16_t>(difference);
    }
    UpdateUsed();
}

bool CYBigNumber::IsBelow(const CYBigNumber& other) const {
    for (int i = std::max(m_nUsed, other.m_nUsed); i >= 0; --i) {
        if (m_limbs[i] != other.m_limbs[i]) {
            return m_limbs[i] < other.m_limbs[i];
        }
    }
    return false;
}

void CYBigNumber::UpdateUsed() {
    m_nUsed = kLimbs - 1;
    while (m_nUsed > 0 && m_limbs[m_nUsed] == 0) {
        --m_nUsed;
    }
}

int32_t HexFieldToInt(const char* hexDigits) {
    CYBigNumber number;
    number.FromDisplay(hexDigits, 16);
    char decimal[kDecimalTextSize];
    return DecimalTextToInt32(number.ToDisplay(decimal, 10));
}
