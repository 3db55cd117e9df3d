#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <string>

#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

class TheSegmentsCommand : public ::testing::Test {
protected:
    CTempDir folder;
    std::string path = folder.File("picture.jpg");
};

TEST_F(TheSegmentsCommand, PrintsMarkerSizeAndPrintableDataPerLine) {
    WriteFile(path, BytesFromHex("0000FFD8FFE000084A4649460001FFD9FFFF"));
    const CCliResult result = RunCli({"segments", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "FFD8\t2\t\nFFE0\t10\t..JFIF..\nFFD9\t2\t\n");
}

TEST_F(TheSegmentsCommand, PrintsOneJsonLineWithTheScanStatusAndAJapaneseNameIntact) {
    const std::string japanese = folder.File("写真 ｶﾒﾗ.jpg");
    WriteFile(japanese, BytesFromHex("FFD8FFFE0004414200"));
    const CCliResult result = RunCli({"segments", "--json", japanese});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto segment = [](const char* code, int size, const char* text) {
        return QJsonObject{{"code", code}, {"size", size}, {"text", text}};
    };
    const QJsonObject expected{
        {"file", QString::fromStdString(japanese)},
        {"length", 9},
        {"status", 200},
        {"segments",
         QJsonArray{segment("FFD8", 2, ""), segment("FFFE", 7, "..AB."), segment("FFD9", 2, "")}}};
    EXPECT_EQ(JsonLineOf(result.out), expected) << result.out;
}

TEST_F(TheSegmentsCommand, StillPrintsJsonForANameThatIsNotUtf8) {
    const std::string latin1 = folder.File("caf\xE9.jpg");
    WriteFile(latin1, BytesFromHex("FFD8FFD9"));
    const CCliResult result = RunCli({"segments", "--json", latin1});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(JsonLineOf(result.out)["file"].toString().endsWith(u"/caf\uFFFD.jpg"))
        << result.out;
}

TEST_F(TheSegmentsCommand, ListsAGeneratedCameraFileWithItsThumbnailInside) {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "hello";
    WriteFile(path, MakeJpeg(recipe));
    const CCliResult result = RunCli({"segments", path});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("FFD8\t2\t\nFFE0\t", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\nFFE1\t"), std::string::npos);
    EXPECT_NE(result.out.find("\nFFFE\t9\t..hello\n"), std::string::npos);
    EXPECT_EQ(result.out.size() - result.out.rfind("FFD9\t2\t\n"), 8u) << "ends at the end marker";
}

TEST_F(TheSegmentsCommand, RefusesAnEmptyFileAndSaysSo) {
    WriteFile(path, {});
    const CCliResult result = RunCli({"segments", "--json", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "kestrin-cli: " + path + ": the file is empty\n");
    EXPECT_TRUE(result.out.empty());
}

struct CUsageCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
};

class AMisusedCommandLine : public ::testing::TestWithParam<CUsageCase> {};

TEST_P(AMisusedCommandLine, EndsWithTheRightStatusAndSaysWhy) {
    const CCliResult result = RunCli(GetParam().arguments);
    EXPECT_EQ(result.exitCode, GetParam().exitCode);
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(result.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AMisusedCommandLine,
    ::testing::Values(CUsageCase{"NoCommand", {}, 2}, CUsageCase{"UnknownCommand", {"polish"}, 2},
                      CUsageCase{"NoFile", {"segments"}, 2},
                      CUsageCase{"UnknownOption", {"segments", "--xml", "a.jpg"}, 2},
                      CUsageCase{"TwoFiles", {"segments", "a.jpg", "b.jpg"}, 2},
                      CUsageCase{"MissingFile", {"segments", "/no/such/file.jpg"}, 1},
                      CUsageCase{"VerifyOneFile", {"verify", "a.jpg"}, 2},
                      CUsageCase{"VerifyThreeFiles", {"verify", "a.jpg", "b.jpg", "c.jpg"}, 2},
                      CUsageCase{"VerifyUnknownOption", {"verify", "--xml", "a.jpg", "b.jpg"}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TheProgram, ShowsItsUsageAndVersion) {
    const CCliResult help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("segments [--json] FILE"), std::string::npos);
    const CCliResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("KestrinJPEG ", 0), 0u);
}

}  // namespace
