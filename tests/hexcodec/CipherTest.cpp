#include "hexcodec/Cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_messages;
void RecordMessage(const char* text) {
    g_messages.emplace_back(text);
}

class ACipher : public ::testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        CCipher::SetMessageHandler(RecordMessage);
    }
    void TearDown() override { CCipher::SetMessageHandler(nullptr); }

    CCipher cipher;
};

struct CDecodeCase {
    std::string text;
    int result;
};

class ADecodedText : public ::testing::TestWithParam<CDecodeCase> {};

TEST_P(ADecodedText, GivesTheByteCountOrTheSumOfTheErrorBits) {
    const CDecodeCase& c = GetParam();
    std::vector<unsigned char> out(120, 0xEE);
    const CCipher cipher;
    EXPECT_EQ(cipher.CharHex2Bin(out.data(), c.text.c_str()), c.result);
    if (c.result < 0) {
        EXPECT_EQ(out[0], 0xEE) << "nothing may be written on an error";
    } else {
        EXPECT_EQ(out[static_cast<size_t>(c.result)], 0) << "a NUL follows the bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ADecodedText,
    ::testing::Values(CDecodeCase{"FFD8", 2}, CDecodeCase{"", 0}, CDecodeCase{"ffd8", -4},
                      CDecodeCase{"FFD", -1}, CDecodeCase{std::string(202, 'A'), -2},
                      CDecodeCase{std::string(201, 'A'), -3},
                      CDecodeCase{std::string(200, '0'), 100}, CDecodeCase{"0G", -4},
                      CDecodeCase{"0G1", -5}, CDecodeCase{std::string(202, 'g'), -6},
                      CDecodeCase{std::string(203, 'g'), -7},
                      // Only the first 200 characters are checked for bad digits.
                      CDecodeCase{std::string(200, 'A') + "gg", -2}),
    [](const auto& info) {
        const int result = info.param.result;
        return "Row" + std::to_string(info.index) + (result < 0 ? "_Error" : "_Bytes") +
               std::to_string(result < 0 ? -result : result);
    });

TEST_F(ACipher, EncodesEveryNibbleWithUpperCaseDigits) {
    const unsigned char bytes[] = {0x00, 0x9F, 0xA0, 0xFF};
    char text[9];
    cipher.Bin2CharHex(text, bytes, 4);
    EXPECT_STREQ(text, "009FA0FF");
    EXPECT_EQ(cipher.Bin2CStringHex(bytes, 4), "009FA0FF");
}

TEST_F(ACipher, RoundTripsEveryByteValue) {
    std::vector<unsigned char> bytes(256);
    for (int i = 0; i < 256; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
    }
    const std::string hex = cipher.Bin2CStringHex(bytes.data(), 256);
    std::vector<unsigned char> back(101);
    for (size_t slice = 0; slice < 512; slice += 200) {
        const std::string piece = hex.substr(slice, 200);
        ASSERT_EQ(cipher.CharHex2Bin(back.data(), piece.c_str()),
                  static_cast<int>(piece.size() / 2));
        EXPECT_EQ(std::memcmp(back.data(), bytes.data() + slice / 2, piece.size() / 2), 0);
    }
    EXPECT_EQ(cipher.CStringHex2CString(cipher.CString2CStringHex("JFIF\xFF")), "JFIF\xFF");
}

TEST_F(ACipher, EncodesAnEmptyInputAsAnEmptyText) {
    char text[1] = {'x'};
    cipher.Bin2CharHex(text, nullptr, 0);
    EXPECT_STREQ(text, "");
}

TEST_F(ACipher, PutsAPercentInFrontOfEveryPair) {
    const unsigned char bytes[] = {0x20, 0xE3};
    unsigned char text[7];
    cipher.CharToPercentChar(text, bytes, 2);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "%20%E3");
    unsigned char back[2];
    EXPECT_EQ(cipher.PercentCharToChar(back, text, 2), 0);
    EXPECT_EQ(back[1], 0xE3);
}

TEST_F(ACipher, AcceptsThePunctuationBetweenNineAndAInTheUncheckedConversion) {
    const unsigned char text[] = ":@";
    unsigned char byte = 0;
    EXPECT_EQ(cipher.HexCharToChar(&byte, text, 1), 0);
    EXPECT_EQ(byte, 3 * 16 + 9);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ACipher, ReportsTheFailingDigitOfTheUncheckedConversions) {
    unsigned char out[2] = {0, 0};
    const unsigned char lowerCase[] = "0Ab0";
    EXPECT_EQ(cipher.HexCharToChar(out, lowerCase, 2), 1);
    EXPECT_EQ(out[0], 0x0A) << "bytes before the failure stay written";
    const unsigned char badLow[] = "0g";
    EXPECT_EQ(cipher.HexCharToChar(out, badLow, 1), 1);
    const unsigned char noPercent[] = "x41";
    EXPECT_EQ(cipher.PercentCharToChar(out, noPercent, 1), 1);
    const unsigned char badHigh[] = "%g1";
    EXPECT_EQ(cipher.PercentCharToChar(out, badHigh, 1), 1);
    const unsigned char badLowPercent[] = "%1g";
    EXPECT_EQ(cipher.PercentCharToChar(out, badLowPercent, 1), 1);
    EXPECT_EQ(g_messages, (std::vector<std::string>{
                              "おっと(in CCipher::HexCharToChar_1)",
                              "おっと(in CCipher::HexCharToChar_2)",
                              "おっと(in CCipher::PercentCharToChar_1)",
                              "おっと(in CCipher::PercentCharToChar_2)",
                              "おっと(in CCipher::PercentCharToChar_3)",
                          }));
}

TEST_F(ACipher, RefusesLongStringsAtOnceAndInvalidOnesAsEmptyText) {
    unsigned char out[128];
    EXPECT_EQ(cipher.CStringHex2Bin(out, std::string(202, 'g')), -2);
    EXPECT_EQ(cipher.CStringHex2CString("4G"), "");
    EXPECT_EQ(cipher.CStringHex2CString(std::string(400, 'A')), std::string(200, '\xAA'));
}

TEST_F(ACipher, NamesItsVersionAndStartsWithStatusOne) {
    char version[32];
    cipher.GetVersion(version);
    EXPECT_STREQ(version, "暗号Dll Version1.3");
    EXPECT_EQ(cipher.Status(), 1);
}

}  // namespace
