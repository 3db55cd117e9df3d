// The code page 932 list files and their conversion to the program's UTF-8.
#include "util/ListFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

std::string BytesOfHex(const std::string& hex) {
    const std::vector<uint8_t> bytes = BytesFromHex(hex);
    return {bytes.begin(), bytes.end()};
}

std::string HexOfBytes(const std::string& bytes) {
    return HexFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

struct EncodingCase {
    std::string utf8;
    std::string cp932Hex;
};

TEST(ACodePage932Text, RoundTripsKatakanaKanjiAndTheWideTilde) {
    const std::vector<EncodingCase> cases = {
        {"ﾃﾞｰﾀ", "C3DEB0C0"},              // half-width katakana, one byte each
        {"算術符号", "8E5A8F7095848D86"},  // kanji, two bytes each
        {"予備", "975C94F5"},              // a second byte that looks like a backslash
        {"～", "8160"},
        {"\\", "5C"},
        {"", ""},
        {"FF00,JPG\r\n", "464630302C4A50470D0A"},
    };
    for (const EncodingCase& c : cases) {
        EXPECT_EQ(HexOfBytes(Utf8ToCp932(c.utf8)), c.cp932Hex) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(BytesOfHex(c.cp932Hex)), c.utf8) << c.cp932Hex;
    }
}

TEST(ACodePage932Text, ReplacesEachUndecodableByteAndGoesOn) {
    const std::vector<EncodingCase> cases = {
        {"A?", "4181"},      // a lead byte cut off by the end
        {"?\nA", "810A41"},  // a lead byte before a line feed keeps the line feed
        {"?ﾃ?", "80C3FF"},   // bytes that no character starts with
    };
    for (const EncodingCase& c : cases) {
        EXPECT_EQ(Cp932ToUtf8(BytesOfHex(c.cp932Hex)), c.utf8) << c.cp932Hex;
    }
}

TEST(AProgramText, BecomesOneQuestionMarkPerCharacterThatCodePage932Lacks) {
    EXPECT_EQ(Utf8ToCp932("A😀B"), "A?B");
    EXPECT_EQ(Utf8ToCp932("A\xFF\xFE"
                          "B"),
              "A??B");                          // not UTF-8 at all
    EXPECT_EQ(Utf8ToCp932("A\xE3\x81"), "A?");  // a character cut off by the end
    EXPECT_EQ(Utf8ToCp932(std::string(5000, 'x') + "😀"), std::string(5000, 'x') + "?");
}

TEST(AListFileText, SplitsIntoLinesWithoutLineEndsOrEmptyLines) {
    const std::string bytes =
        "FF00,a\r\n\r\nFFC0,b\n\nFFC4,c\r\r\n" + BytesOfHex("8160") + "\r\nlast";
    const std::vector<std::string> expected = {"FF00,a", "FFC0,b", "FFC4,c\r", "～", "last"};
    EXPECT_EQ(ParseListLines(bytes), expected);
    EXPECT_TRUE(ParseListLines("").empty());
    EXPECT_TRUE(ParseListLines("\r\n\n\r\n").empty());
}

class AListFile : public ::testing::Test {
protected:
    CTempDir m_dir;
    const std::string m_path = m_dir.File("nok_code.pdt");
};

TEST_F(AListFile, IsWrittenInCodePage932WithCrLfAfterEveryLine) {
    ASSERT_TRUE(WriteListFile(m_path, {"FF00,JPGﾃﾞｰﾀ", "FFDF,拡張ﾃﾞｰﾀ"}));
    EXPECT_EQ(HexFromBytes(ReadFile(m_path)),
              "464630302C4A5047C3DEB0C00D0A"
              "464644462C8A6792A3C3DEB0C00D0A");
}

TEST_F(AListFile, ReadsBackTheLinesItWasWrittenWith) {
    const std::vector<std::string> lines = {"FFE0,ｱﾌﾟﾘ0", "829A,露出時間,秒", "A005,～"};
    WriteFile(m_path, std::vector<uint8_t>(3000, 'x'));
    ASSERT_TRUE(WriteListFile(m_path, lines));
    EXPECT_EQ(ReadListFile(m_path, false), lines);
}

TEST_F(AListFile, ThatIsMissingIsCreatedEmptyOnlyWhenAsked) {
    EXPECT_EQ(ReadListFile(m_path, false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(m_path));

    EXPECT_EQ(ReadListFile(m_path, true), std::vector<std::string>{});
    ASSERT_TRUE(std::filesystem::exists(m_path));
    EXPECT_EQ(std::filesystem::file_size(m_path), 0U);
}

TEST_F(AListFile, ThatCanNeitherBeOpenedNorCreatedYieldsNothing) {
    EXPECT_EQ(ReadListFile(m_dir.File("missing/nok_code.pdt"), true), std::nullopt);
    EXPECT_EQ(ReadListFile(m_dir.Path().string(), true), std::nullopt);
    EXPECT_FALSE(WriteListFile(m_dir.File("missing/nok_code.pdt"), {"FF00,x"}));
}

}  // namespace
