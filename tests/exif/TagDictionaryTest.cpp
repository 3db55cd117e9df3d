// The tag dictionary file and its lookups, and the dictionary the program ships.
#include "exif/TagDictionary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/SourceDir.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/ListFile.h"

namespace {

class ATagDictionary : public ::testing::Test {
protected:
    void LoadLines(const std::vector<std::string>& lines) {
        WriteListFile(path, lines);
        dictionary.Load(path);
    }

    CTempDir folder;
    std::string path = folder.File("exif_inf.pdt");
    CTagDictionary dictionary;
};

TEST_F(ATagDictionary, SplitsEachLineAtItsFirstTwoCommasOnly) {
    LoadLines(
        {"829A,露出時間,秒で表す, 例えば 1/60", "010F,メーカー,", "0110,,機種", "9000,Exif,版,,,"});
    ASSERT_EQ(dictionary.Entries().size(), 4u);
    const std::vector<std::vector<std::string>> expected = {
        {"829A", "露出時間", "秒で表す, 例えば 1/60"},
        {"010F", "メーカー", ""},
        {"0110", "", "機種"},
        {"9000", "Exif", "版,,,"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        const CExifTagEntry& entry = dictionary.Entries()[i];
        EXPECT_EQ((std::vector<std::string>{entry.m_strTag, entry.m_strName, entry.m_strDetail}),
                  expected[i]);
        EXPECT_EQ(entry.m_strData, "");
    }
}

TEST_F(ATagDictionary, SkipsLinesWithFewerThanTwoCommas) {
    WriteTextFile(path, "829A,one comma\r\n\r\nno comma\r\n,,\r\n010F,a,b\n");
    dictionary.Load(path);
    ASSERT_EQ(dictionary.Entries().size(), 2u);
    EXPECT_EQ(dictionary.Entries()[0].m_strTag, "");
    EXPECT_EQ(dictionary.Entries()[1].m_strDetail, "b");
}

TEST_F(ATagDictionary, AnswersWithTheFirstOfTwoEntriesWithOneTag) {
    LoadLines({"829A,first,one", "829A,second,two"});
    EXPECT_TRUE(dictionary.SetData("829A", "1/60"));
    std::string name;
    std::string detail;
    std::string data;
    EXPECT_TRUE(dictionary.LookupName("829A", name, detail));
    EXPECT_TRUE(dictionary.LookupData("829A", data));
    EXPECT_EQ(name + "|" + detail + "|" + data, "first|one|1/60");
    EXPECT_EQ(dictionary.Entries()[1].m_strData, "");
}

TEST_F(ATagDictionary, KnowsNoTagItDoesNotListInExactlyThatSpelling) {
    LoadLines({"a005,lower,case"});
    std::string name = "old";
    std::string detail = "old";
    std::string data = "old";
    EXPECT_FALSE(dictionary.LookupName("A005", name, detail));
    EXPECT_FALSE(dictionary.LookupData("A005", data));
    EXPECT_EQ(name, "不明なﾀｸﾞ");
    EXPECT_EQ(detail, "情報がありません");
    EXPECT_EQ(data, "情報がありません");
    EXPECT_FALSE(dictionary.SetData("A005", "128"));
    EXPECT_EQ(dictionary.Entries().size(), 1u) << "nothing is added";
}

TEST_F(ATagDictionary, ClearsEveryDataAtOnce) {
    LoadLines({"829A,a,b", "829D,c,d"});
    dictionary.SetData("829A", "1/60");
    dictionary.SetData("829D", "F2.8");
    dictionary.ClearData();
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        EXPECT_EQ(entry.m_strData, "") << entry.m_strTag;
    }
}

TEST_F(ATagDictionary, StartsEmptyOnEveryLoadAndCreatesAMissingFile) {
    LoadLines({"829A,a,b"});
    const std::string missing = folder.File("missing.pdt");
    dictionary.Load(missing);
    EXPECT_TRUE(dictionary.Entries().empty());
    EXPECT_TRUE(std::filesystem::exists(missing));
    EXPECT_EQ(std::filesystem::file_size(missing), 0u);
}

// Tags the shipped dictionary must name: the Exif 2.32 tags of IFD0, the Exif
// IFD and the Interoperability IFD.
const char* const kRequiredTags[] = {
    "0100", "0101", "0102", "0103", "0106", "010E", "010F", "0110", "0111", "0112", "0115",
    "0116", "0117", "011A", "011B", "011C", "0128", "012D", "0131", "0132", "013B", "013E",
    "013F", "0211", "0212", "0213", "0214", "8298", "8769", "8825", "829A", "829D", "8822",
    "8824", "8827", "8828", "8830", "8831", "8832", "8833", "8834", "8835", "9000", "9003",
    "9004", "9010", "9011", "9012", "9101", "9102", "9201", "9202", "9203", "9204", "9205",
    "9206", "9207", "9208", "9209", "920A", "9214", "927C", "9286", "9290", "9291", "9292",
    "A000", "A001", "A002", "A003", "A004", "A005", "A20B", "A20C", "A20E", "A20F", "A210",
    "A214", "A215", "A217", "A300", "A301", "A302", "A401", "A402", "A403", "A404", "A405",
    "A406", "A407", "A408", "A409", "A40A", "A40B", "A40C", "A420", "A430", "A431", "A432",
    "A433", "A434", "A435", "A460", "A461", "A462", "0001", "0002", "1000", "1001", "1002"};

TEST(TheShippedDictionary, NamesEveryExifTagOnceInCodePage932) {
    const std::string path = std::string(kSourceDir) + "/data/exif_inf.pdt";
    const std::string bytes = ReadTextFile(path);
    size_t lineFeeds = 0;
    for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
        EXPECT_TRUE(at > 0 && bytes[at - 1] == '\r') << "line feed at " << at << " without CR";
        ++lineFeeds;
    }
    EXPECT_EQ(bytes.size() - bytes.rfind("\r\n"), 2u) << "the last line ends too";

    CTagDictionary dictionary;
    dictionary.Load(path);
    EXPECT_EQ(dictionary.Entries().size(), 119u);
    EXPECT_EQ(dictionary.Entries().size(), lineFeeds) << "every line is an entry";
    std::set<std::string> tags;
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        EXPECT_TRUE(tags.insert(entry.m_strTag).second) << entry.m_strTag << " twice";
        EXPECT_EQ(entry.m_strTag.find_first_not_of("0123456789ABCDEF"), std::string::npos)
            << entry.m_strTag;
        EXPECT_EQ(entry.m_strTag.size(), 4u) << entry.m_strTag;
        EXPECT_FALSE(entry.m_strName.empty()) << entry.m_strTag;
        EXPECT_FALSE(entry.m_strDetail.empty()) << entry.m_strTag;
        EXPECT_EQ(entry.m_strName.find('?'), std::string::npos) << entry.m_strTag;
        EXPECT_EQ(entry.m_strDetail.find('?'), std::string::npos) << entry.m_strTag;
    }
    for (const char* tag : kRequiredTags) {
        EXPECT_EQ(tags.count(tag), 1u) << tag;
    }
    std::string name;
    std::string detail;
    ASSERT_TRUE(dictionary.LookupName("829A", name, detail));
    EXPECT_EQ(name, "露出時間");
    EXPECT_EQ(Utf8ToCp932(name), "\x98\x49\x8F\x6F\x8E\x9E\x8A\xD4");
}

}  // namespace
