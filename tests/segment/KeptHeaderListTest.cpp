// The list of marker codes that are never removed, as its dialog edits it and
// as the application loads it.
#include "segment/KeptHeaderList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// The catalogue a reset writes, line by line in code page 932 with CR LF.
const std::vector<std::string> kDefaultFileLinesHex = {
    "464630302C4A5047C3DEB0C00D0A",
    "464630312C8E5A8F7095848D860D0A",
    "464643302CCACCCFDDCDDEB0BDD7B2DD0D0A",
    "464643312CCACCCFDDBCB0B9DDBCACD90D0A",
    "464643322CCACCCFDDCCDFDBB8DEDAAFBCCCDE0D0A",
    "464643332CCACCCFDD4450434D0D0A",
    "464643342CCACCCFDDC3B0CCDED992E88B600D0A",
    "464643352CCACCCFDD8DB795AABCB0B9DDBCACD90D0A",
    "464643362CCACCCFDD8DB795AACCDFDBB8DEDAAFBCCCDE0D0A",
    "464643372CCACCCFDD8DB795AA0D0A",
    "464643382C975C94F5C3DEB0C00D0A",
    "464643392C8E5A8F7095848D860D0A",
    "464643412C8E5A8F7095848D860D0A",
    "464643422CCACCCFDD4450434D0D0A",
    "464643432C8E5A8F7095848D860D0A",
    "464643442C8E5A8F7095848D860D0A",
    "464643452C8E5A8F7095848D860D0A",
    "464643462C8E5A8F7095848D860D0A",
    "464644302CC3DEB0C08DC48A4A0D0A",
    "464644312CC3DEB0C08DC48A4A0D0A",
    "464644322CC3DEB0C08DC48A4A0D0A",
    "464644332CC3DEB0C08DC48A4A0D0A",
    "464644342CC3DEB0C08DC48A4A0D0A",
    "464644352CC3DEB0C08DC48A4A0D0A",
    "464644362CC3DEB0C08DC48A4A0D0A",
    "464644372CC3DEB0C08DC48A4A0D0A",
    "464644382C4A5047B2D2B0BCDE8A4A8E6E0D0A",
    "464644392C4A5047B2D2B0BCDE8F4997B90D0A",
    "464644412C93C782DD8EE682E88A4A8E6E0D0A",
    "464644422C97CA8E7189BBC3B0CCDED90D0A",
    "464644432CD7B2DD90940D0A",
    "464644442CC3DEB0C08DC48A4A8AD48A750D0A",
    "464644452CCAB2B1D7B0B7B6D90D0A",
    "464644462C8A6792A3C3DEB0C00D0A",
};

std::string Joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& part : parts) {
        all += part;
    }
    return all;
}

std::vector<std::string> CodesOf(const std::vector<CKeptHeaderRow>& rows) {
    std::vector<std::string> codes;
    for (const CKeptHeaderRow& row : rows) {
        codes.push_back(row.m_strCode);
    }
    return codes;
}

class AKeptHeaderList : public ::testing::Test {
protected:
    void WriteCp932Lines(const std::string& hex) { WriteFile(m_path, BytesFromHex(hex)); }

    CTempDir m_dir;
    const std::string m_path = m_dir.File("nok_code.pdt");
    CKeptHeaderList m_list;
};

TEST_F(AKeptHeaderList, ResetWritesTheCatalogueByteForByte) {
    ASSERT_TRUE(m_list.ResetToDefaults(m_path));
    const std::string file = HexFromBytes(ReadFile(m_path));
    ASSERT_EQ(kDefaultFileLinesHex.size(), 34U);
    EXPECT_EQ(kDefaultFileLinesHex.front(), "464630302C4A5047C3DEB0C00D0A");  // FF00,JPGﾃﾞｰﾀ
    EXPECT_EQ(kDefaultFileLinesHex.back(), "464644462C8A6792A3C3DEB0C00D0A");  // FFDF,拡張ﾃﾞｰﾀ
    EXPECT_EQ(file, Joined(kDefaultFileLinesHex));
}

TEST_F(AKeptHeaderList, ResetReloadsTheCatalogueFromTheFile) {
    m_list.AddRow("FFE0", "APP0");
    ASSERT_TRUE(m_list.ResetToDefaults(m_path));
    ASSERT_EQ(m_list.Rows().size(), 34U);
    EXPECT_EQ(m_list.Rows(), DefaultKeptHeaderRows());
    for (int i = 0; i < 8; ++i) {
        const CKeptHeaderRow& restart = m_list.Rows()[18 + static_cast<size_t>(i)];
        EXPECT_EQ(restart, (CKeptHeaderRow{"FFD" + std::to_string(i), "ﾃﾞｰﾀ再開"}));
    }
}

TEST_F(AKeptHeaderList, ResetToAnUncreatableFileFailsAndLeavesNoRows) {
    m_list.AddRow("FFE0", "APP0");
    EXPECT_FALSE(m_list.ResetToDefaults(m_dir.File("missing/nok_code.pdt")));
    EXPECT_TRUE(m_list.Rows().empty());
}

TEST_F(AKeptHeaderList, LoadsOnlyLinesWithACodeBeforeAComma) {
    // "FFE0,APP0,x" CRLF, CRLF, "FFD8" CRLF, ",none" CRLF, "FFC4,ﾊﾌﾏﾝ" LF, "FFFE," (no line end)
    WriteCp932Lines(
        "464645302C415050302C780D0A"
        "0D0A"
        "464644380D0A"
        "2C6E6F6E650D0A"
        "464643342CCACCCFDD0A"
        "464646452C");
    m_list.Load(m_path);
    const std::vector<CKeptHeaderRow> expected = {
        {"FFE0", "APP0,x"}, {"FFC4", "ﾊﾌﾏﾝ"}, {"FFFE", ""}};
    EXPECT_EQ(m_list.Rows(), expected);
}

TEST_F(AKeptHeaderList, LoadReplacesEveryEarlierRow) {
    m_list.AddRow("FFE0", "APP0");
    WriteTextFile(m_path, "FFDB,q\r\n");
    m_list.Load(m_path);
    EXPECT_EQ(CodesOf(m_list.Rows()), std::vector<std::string>{"FFDB"});

    m_list.Load(m_dir.File("missing/nok_code.pdt"));
    EXPECT_TRUE(m_list.Rows().empty());
}

TEST_F(AKeptHeaderList, LoadCreatesAMissingFileEmpty) {
    m_list.Load(m_path);
    EXPECT_TRUE(m_list.Rows().empty());
    ASSERT_TRUE(std::filesystem::exists(m_path));
    EXPECT_EQ(std::filesystem::file_size(m_path), 0U);
}

TEST_F(AKeptHeaderList, AddsANewCodeAtTheTop) {
    ASSERT_TRUE(m_list.ResetToDefaults(m_path));
    EXPECT_TRUE(m_list.AddRow("FFE0", "JFIF"));
    EXPECT_EQ(m_list.Rows().front(), (CKeptHeaderRow{"FFE0", "JFIF"}));
    EXPECT_EQ(m_list.Rows().size(), 35U);
}

TEST_F(AKeptHeaderList, RefusesToAddACodeThatIsListedButNotItsLowerCaseForm) {
    ASSERT_TRUE(m_list.AddRow("FFE0", "first"));
    EXPECT_FALSE(m_list.AddRow("FFE0", "second"));
    EXPECT_EQ(m_list.Rows(), std::vector<CKeptHeaderRow>({{"FFE0", "first"}}));
    EXPECT_TRUE(m_list.AddRow("ffe0", "never matches a segment"));
    EXPECT_EQ(CodesOf(m_list.Rows()), (std::vector<std::string>{"ffe0", "FFE0"}));
}

struct ChangeCase {
    const char* name;
    int index;
    std::string code;
    bool accepted;
};

TEST_F(AKeptHeaderList, ChangesARowUnlessItsNewCodeBelongsToAnotherRow) {
    const std::vector<ChangeCase> cases = {
        {"own code kept", 1, "FFE1", true},        {"new code", 1, "FFED", true},
        {"code of another row", 1, "FFE0", false}, {"no row selected", -1, "FFED", false},
        {"past the last row", 3, "FFED", false},
    };
    for (const ChangeCase& c : cases) {
        CKeptHeaderList list;
        list.AddRow("FFE2", "c");
        list.AddRow("FFE1", "b");
        list.AddRow("FFE0", "a");
        const std::vector<CKeptHeaderRow> before = list.Rows();
        EXPECT_EQ(list.ChangeRow(c.index, c.code, "changed"), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(list.Rows()[static_cast<size_t>(c.index)],
                      (CKeptHeaderRow{c.code, "changed"}))
                << c.name;
        } else {
            EXPECT_EQ(list.Rows(), before) << c.name;
        }
    }
}

TEST_F(AKeptHeaderList, DeletesOnlyARowThatExists) {
    m_list.AddRow("FFE1", "b");
    m_list.AddRow("FFE0", "a");
    EXPECT_FALSE(m_list.DeleteRow(-1));
    EXPECT_FALSE(m_list.DeleteRow(2));
    EXPECT_TRUE(m_list.DeleteRow(0));
    EXPECT_EQ(CodesOf(m_list.Rows()), std::vector<std::string>{"FFE1"});
}

TEST_F(AKeptHeaderList, SavesItsRowsSoThatLoadingGivesThemBack) {
    WriteFile(m_path, std::vector<uint8_t>(4000, 'x'));
    m_list.AddRow("FFC4", "ﾊﾌﾏﾝﾃｰﾌﾞﾙ定義");
    m_list.AddRow("FFE0", "");
    ASSERT_TRUE(m_list.Save(m_path));
    EXPECT_EQ(HexFromBytes(ReadFile(m_path)),
              "464645302C0D0A"
              "464643342CCACCCFDDC3B0CCDED992E88B600D0A");

    CKeptHeaderList reloaded;
    reloaded.Load(m_path);
    EXPECT_EQ(reloaded.Rows(), m_list.Rows());
    EXPECT_FALSE(m_list.Save(m_dir.File("missing/nok_code.pdt")));
}

TEST(TheKeptCodes, AreTheCodesOfTheFileInOrder) {
    const CTempDir dir;
    const std::string path = dir.File("nok_code.pdt");
    WriteTextFile(path, "FFE0,a,b\r\nbroken\r\nFFD8,\r\n\r\n,x\r\nFFE0,again\r\n");
    EXPECT_EQ(LoadKeptHeaderCodes(path), (std::vector<std::string>{"FFE0", "FFD8", "FFE0"}));
}

TEST(TheKeptCodes, AreNoneForAMissingFileWhichIsThenCreated) {
    const CTempDir dir;
    EXPECT_TRUE(LoadKeptHeaderCodes(dir.File("nok_code.pdt")).empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("nok_code.pdt")));
    EXPECT_TRUE(LoadKeptHeaderCodes(dir.File("missing/nok_code.pdt")).empty());
}

}  // namespace
