// The big number's text conversions and the hex-field chain built on them.
#include "exif/YBigNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Display(CYBigNumber number, int radix) {
    char out[1024];
    return number.ToDisplay(out, radix);
}

struct CReadCase {
    const char* text;
    int radix;
    bool whole;
    const char* decimal;
};

TEST(ABigNumber, ReadsTextInItsRadixAndStopsAtTheFirstDigitItCannotRead) {
    const std::vector<CReadCase> cases = {
        {"002A", 16, true, "42"},
        {"ff", 16, true, "255"},
        {"-10", 16, true, "-16"},
        {"777", 8, true, "511"},
        {"101", 2, true, "5"},
        {"", 16, true, "0"},
        {"-0", 16, true, "0"},  // zero has no sign
        // An early stop keeps the digits read so far, the last multiplication
        // by the radix included, and drops the sign.
        {"12G4", 16, false, "288"},
        {"-12G4", 16, false, "288"},
        {"12", 2, false, "2"},
        {"1 2", 10, false, "10"},
        {"A", 10, false, "0"},
        {"1", 17, false, "0"},
        {"1", 1, false, "0"},
    };
    for (const CReadCase& c : cases) {
        CYBigNumber number;
        EXPECT_EQ(number.FromDisplay(c.text, c.radix), c.whole) << c.text << " in " << c.radix;
        EXPECT_EQ(Display(number, 10), c.decimal) << c.text << " in " << c.radix;
    }
}

TEST(ABigNumber, WritesNothingInARadixItDoesNotKnow) {
    CYBigNumber number(42);
    EXPECT_EQ(Display(number, 17), "");
    EXPECT_EQ(Display(number, 1), "");
    EXPECT_EQ(Display(number, 2), "101010");
    EXPECT_EQ(Display(number, 16), "2A");
    EXPECT_EQ(Display(CYBigNumber(), 10), "0");
}

TEST(ABigNumber, KeepsTheWholeRangeOfASigned32BitValue) {
    for (int32_t value : {0, 1, -1, 65535, 65536, -65536, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(Display(CYBigNumber(value), 10), std::to_string(value));
    }
}

TEST(ABigNumber, HoldsExactly816BitsAndReportsAnOverflow) {
    const std::string full(204, 'F');
    CYBigNumber number;
    EXPECT_TRUE(number.FromDisplay(full.c_str(), 16));
    EXPECT_EQ(number.Status(), 0);
    EXPECT_EQ(Display(number, 16), full);
    EXPECT_EQ(Display(number, 2), std::string(816, '1'));

    const std::string tooLong = "1" + std::string(204, '0');
    EXPECT_FALSE(number.FromDisplay(tooLong.c_str(), 16));
    EXPECT_NE(number.Status(), 0);
}

TEST(ABigNumber, ConvertsBetweenRadicesWithoutLosingDigits) {
    const std::string decimal = "123456789012345678901234567890123456789";
    CYBigNumber number;
    ASSERT_TRUE(number.FromDisplay(decimal.c_str(), 10));
    CYBigNumber back;
    ASSERT_TRUE(back.FromDisplay(Display(number, 7).c_str(), 7));
    EXPECT_EQ(Display(back, 10), decimal);
}

TEST(ABigNumber, ConvertsOnManyThreadsAtOnceInDifferentRadices) {
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            const int radix = 2 + t * 2;
            for (int32_t value = 0; value < 20000; value += 7) {
                CYBigNumber number;
                const std::string text = Display(CYBigNumber(value), radix);
                if (!number.FromDisplay(text.c_str(), radix) ||
                    Display(number, 10) != std::to_string(value)) {
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

struct CFieldCase {
    const char* hex;
    int32_t value;
};

TEST(AHexField, ReadsAsTheBigEndianNumberModulo2To32) {
    const std::vector<CFieldCase> cases = {
        {"0000", 0},
        {"002A", 42},
        {"FFFF", 65535},
        {"7FFFFFFF", INT32_MAX},
        {"80000000", INT32_MIN},
        {"FFFFFFFF", -1},
        {"100000000", 0},
        {"1FFFFFFFE", -2},
        {"-1", -1},
        {"ffffff85", -123},
    };
    for (const CFieldCase& c : cases) {
        EXPECT_EQ(HexFieldToInt(c.hex), c.value) << c.hex;
    }
}

TEST(AHexField, AgreesWithADirectReadingOfRandomEightDigitFields) {
    std::mt19937 random(20240607);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t bits = random();
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", bits);
        ASSERT_EQ(HexFieldToInt(hex), static_cast<int32_t>(bits)) << hex;
    }
}

TEST(AHexField, ReadsAFieldLongerThanTheNumberCanHoldWithoutOverrunningItsText) {
    const std::string huge(300, 'F');
    EXPECT_EQ(HexFieldToInt(huge.c_str()), -1);
}

}  // namespace
