// Number formatting, hex text and list-line splitting as the logs and the
// editor show them.
#include "util/TextHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/RecordedMessages.h"

namespace {

struct HexLengthCase {
    int value;
    std::string digits;
    bool tooLong;
};

TEST(AFourDigitHexLength, IsPaddedToFourDigitsAndComplainsOnlyWhenLonger) {
    const std::vector<HexLengthCase> cases = {
        {0, "0000", false},     {10, "000A", false},    {300, "012C", false},
        {65535, "FFFF", false}, {65536, "10000", true}, {-1, "FFFFFFFF", true},
    };
    for (const HexLengthCase& c : cases) {
        const CRecordedMessages messages;
        EXPECT_EQ(FormatHex4(c.value), c.digits) << c.value;
        EXPECT_EQ(messages.Texts().size(), c.tooLong ? 1U : 0U) << c.value;
    }
}

TEST(ANumberText, IsPlainDecimalWithoutSeparators) {
    EXPECT_EQ(FormatDecimal(0), "0");
    EXPECT_EQ(FormatDecimal(-5), "-5");
    EXPECT_EQ(FormatDecimal(1234567), "1234567");
    EXPECT_EQ(FormatDecimal(INT_MIN), "-2147483648");
}

TEST(ANumberText, HasExactlyOneDecimalWithAPoint) {
    EXPECT_EQ(FormatOneDecimal(0.0), "0.0");
    EXPECT_EQ(FormatOneDecimal(12345.67), "12345.7");
    EXPECT_EQ(FormatOneDecimal(0.05), "0.1");
    EXPECT_EQ(FormatOneDecimal(-3.0), "-3.0");
    EXPECT_EQ(FormatOneDecimal(1e300).size(), 303U);
}

struct ParseCase {
    std::string text;
    long value;
};

TEST(ALeadingNumber, IsReadUpToTheFirstNonDigitAndSaturatesInsteadOfOverflowing) {
    const std::vector<ParseCase> cases = {
        {"18", 18},
        {"", 0},
        {"abc", 0},
        {"  42px", 42},
        {"-7", -7},
        {"+9", 9},
        {"12.5", 12},
        {"99999999999999999999999999999999", LONG_MAX},
        {"-99999999999999999999999999999999", LONG_MIN},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseLong(c.text), c.value) << '"' << c.text << '"';
    }
}

struct DisplayCase {
    std::string hex;
    std::string display;
};

TEST(ADisplayText, ShowsLettersAndDigitsAndADotForEveryOtherByte) {
    const std::vector<DisplayCase> cases = {
        {"4A46494600", "JFIF."},
        {"", ""},
        {"30397A5A2E20FF", "09zZ..."},
        {"C3A9", ".."},     // a UTF-8 "é" is two bytes that are not letters
        {"4A4", "J"},       // the trailing half byte is ignored
        {"4a46", ".F"},     // lower-case hex is not hex text here
        {"4AZZ46", "J.F"},  // one bad pair does not blank its neighbours
    };
    for (const DisplayCase& c : cases) {
        EXPECT_EQ(HexToDisplayText(c.hex), c.display) << c.hex;
    }
}

TEST(ADisplayText, HasOneCharacterPerByteAcrossSliceBoundaries) {
    const std::string letters(150, 'Q');
    EXPECT_EQ(HexToDisplayText(TextToHex(letters)), letters);
    EXPECT_EQ(HexToDisplayText(std::string(300, 'F')).size(), 150U);
}

TEST(ADisplayText, KeepsTheRestOfASliceThatHoldsABadPair) {
    const std::string hex = TextToHex(std::string(70, 'K')) + "G0" + TextToHex("ok");
    EXPECT_EQ(HexToDisplayText(hex), std::string(70, 'K') + ".ok");
}

TEST(AHexText, CoversEveryByteValueInUpperCase) {
    std::string text;
    for (int b = 0; b < 256; ++b) {
        text += static_cast<char>(b);
    }
    const std::string hex = TextToHex(text);
    ASSERT_EQ(hex.size(), 512U);
    EXPECT_EQ(hex.substr(0, 8), "00010203");
    EXPECT_EQ(hex.substr(508), "FEFF");
    EXPECT_EQ(TextToHex("JFIF"), "4A464946");
    EXPECT_EQ(TextToHex(""), "");
}

TEST(AHexText, AcceptsOnlyDigitsAndUpperCaseLetters) {
    EXPECT_TRUE(IsHexText(""));
    EXPECT_TRUE(IsHexText("0123456789ABCDEF"));
    EXPECT_FALSE(IsHexText("ffd8"));
    EXPECT_FALSE(IsHexText("FFG0"));
    EXPECT_FALSE(IsHexText("FF D8"));
}

struct DropCase {
    std::string text;
    int count;
    std::optional<std::string> left;
    std::string right;
};

TEST(ADroppedText, LosesTheCountedBytesOrReportsItIsTooShort) {
    const std::optional<std::string> tooShort;
    const std::vector<DropCase> cases = {
        {"FFD8", 4, "", ""},       {"00104A46", 4, "4A46", "0010"},
        {"AB", 4, tooShort, "AB"}, {"ABC", 5, tooShort, "ABC"},
        {"ABC", 0, "ABC", "ABC"},  {"ABC", -2, "ABC", "ABC"},
        {"", 0, "", ""},
    };
    for (const DropCase& c : cases) {
        EXPECT_EQ(DropLeft(c.text, c.count), c.left) << c.text << " by " << c.count;
        EXPECT_EQ(DropRight(c.text, c.count), c.right) << c.text << " by " << c.count;
    }
}

struct SplitCase {
    std::string line;
    bool split;
    std::string first;
    std::string rest;
};

TEST(AListLine, IsSplitAtItsFirstCommaOnlyWhenACodeComesFirst) {
    const std::vector<SplitCase> cases = {
        {"FFE0,APP0", true, "FFE0", "APP0"},
        {"829A,露出時間,秒,分", true, "829A", "露出時間,秒,分"},
        {"FFE0,", true, "FFE0", ""},
        {",description", false, "old", "old"},
        {"FFE0", false, "old", "old"},
        {"", false, "old", "old"},
    };
    for (const SplitCase& c : cases) {
        std::string first = "old";
        std::string rest = "old";
        EXPECT_EQ(SplitAtFirstComma(c.line, first, rest), c.split) << c.line;
        EXPECT_EQ(first, c.first) << c.line;
        EXPECT_EQ(rest, c.rest) << c.line;
    }
}

}  // namespace
