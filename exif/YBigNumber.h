// A small arbitrary-precision number: 51 limbs of 16 bits (816 bits). The Exif
// code only reads hex text into it and writes decimal text out of it.
#pragma once

#include <array>
#include <cstdint>

class CYBigNumber {
public:
    CYBigNumber() = default;
    explicit CYBigNumber(int32_t value);

    // Reads text in radix (2 to 16; letters of either case). True when the whole
    // text was read; false when reading stopped early (the digits read so far
    // stay, the sign is not stored).
    bool FromDisplay(const char* text, int radix);
    // Writes the number in radix into out and returns out; the empty text for a
    // radix outside 2 to 16. out must hold every digit, a sign and a NUL.
    char* ToDisplay(char* out, int radix);

    int Status() const { return m_nStatus; }

private:
    static constexpr int kLimbs = 51;

    // Each returns false and sets the status, leaving the value as it was,
    // when the result would not fit.
    bool MultiplySmall(uint32_t factor);
    bool AddSmall(uint32_t addend);
    // Takes limbs as the value unless carry says they overflowed.
    bool Commit(const std::array<uint16_t, kLimbs>& limbs, uint32_t carry);
    // this -= other, where other is not greater than this.
    void SubtractSmaller(const CYBigNumber& other);
    bool IsBelow(const CYBigNumber& other) const;
    bool IsZero() const { return m_nUsed == 0 && m_limbs[0] == 0; }
    void UpdateUsed();

    int32_t m_nStatus = 0;
    int32_t m_nSign = 0;
    int m_nUsed = 0;
    std::array<uint16_t, kLimbs> m_limbs{};
};

// The Exif chain: hex digits read in radix 16, written in radix 10 and read
// back as a decimal integer. Equals the big-endian reading modulo 2^32 as a
// signed 32-bit integer ("FFFFFFFF" gives -1).
int32_t HexFieldToInt(const char* hexDigits);
