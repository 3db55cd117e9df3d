// kestrin-cli exif show, run as a user would, with the dictionary shipped beside it.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <map>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/CliRunner.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TiffWriter.h"

namespace {

constexpr uint16_t kMake = 0x010F;
constexpr uint16_t kModel = 0x0110;
constexpr uint16_t kExposureTime = 0x829A;
constexpr uint16_t kFNumber = 0x829D;

std::vector<uint8_t> MakeOnlyTiff() {
    return CTiffWriter(EByteOrder::Intel).Ascii(EIfd::Ifd0, kMake, "ABCDE").Build();
}

class TheExifShowCommand : public ::testing::Test {
protected:
    CTempDir folder;
    std::string path = folder.File("picture.jpg");
};

TEST_F(TheExifShowCommand, DisplaysTagNameAndWindowTextOfEveryEntryInDictionaryOrder) {
    CTiffWriter writer(EByteOrder::Motorola);
    writer.Ascii(EIfd::Ifd0, kMake, "ABCDE")
        .Ascii(EIfd::Ifd0, kModel, "XY 1")
        .Rational(EIfd::Exif, kFNumber, 28, 10)
        .Rational(EIfd::Exif, kExposureTime, 1, 160);
    WriteFile(path, MakeJpegWithTiff(writer.Build()));
    const CCliResult result = RunCli({"exif", "show", "--display", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "010F\tメーカー名\tABCDE.\n"
              "0110\t機種名\tXY.1.\n"
              "8769\tExif IFD の位置\t50\n"
              "829A\t露出時間\t1/160\n"
              "829D\tF 値\tF2.8\n");
}

// The line show --json prints for path with the given probe result and tags.
QJsonObject ShowLine(const std::string& path, int result, const QJsonArray& tags) {
    return QJsonObject{{"file", QString::fromStdString(path)}, {"result", result}, {"tags", tags}};
}

TEST_F(TheExifShowCommand, DisplaysOneJsonLineWithNameAndDetail) {
    WriteFile(path, MakeJpegWithTiff(MakeOnlyTiff()));
    const CCliResult result = RunCli({"exif", "show", "--display", "--json", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const QJsonObject make{{"tag", "010F"},
                           {"name", "メーカー名"},
                           {"detail", "撮影に使った機器のメーカー名です。"},
                           {"data", "ABCDE."}};
    EXPECT_EQ(JsonLineOf(result.out), ShowLine(path, 1, {make})) << result.out;
}

TEST_F(TheExifShowCommand, AcceptsAFileThatIsABareTiffStructure) {
    WriteFile(path, MakeOnlyTiff());
    const CCliResult result = RunCli({"exif", "show", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "010F\tメーカー名\tABCDE\n");
}

TEST_F(TheExifShowCommand, PrintsValuesAsACommandLineUserReadsThem) {
    CTiffWriter writer(EByteOrder::Motorola);
    writer.Ascii(EIfd::Ifd0, kModel, "Canon EOS 40D")
        .Rational(EIfd::Exif, kExposureTime, 1, 200)
        .Ascii(EIfd::Exif, 0x9003, "2008:05:30 15:56:01")
        .Entry(EIfd::Exif, 0x9000, 7, 4, {'0', '2', '2', '1'})
        .Short(EIfd::Exif, 0xBEEF, 3);
    WriteFile(path, MakeJpegWithTiff(writer.Build()));
    const CCliResult text = RunCli({"exif", "show", path});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    for (const char* line :
         {"\n0110\t機種名\tCanon EOS 40D\n", "\n829A\t露出時間\t1/200\n",
          "\n9003\t撮影日時\t2008-05-30 15:56:01\n", "\n9000\tExif バージョン\t0221\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
    }
    const CCliResult json = RunCli({"exif", "show", "--json", path});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    const QJsonObject shown = JsonLineOf(json.out);
    EXPECT_EQ(shown["file"].toString().toStdString(), path);
    std::map<std::string, QJsonObject> tags;
    for (const QJsonValue tag : shown["tags"].toArray()) {
        tags[tag["tag"].toString().toStdString()] = tag.toObject();
    }
    EXPECT_EQ(tags["0110"]["value"].toString(), "Canon EOS 40D");
    EXPECT_EQ(tags["829A"]["value"].toDouble(), 0.005);
    EXPECT_EQ(tags["829A"]["text"].toString(), "1/200");
    EXPECT_EQ(tags["829A"]["type"].toString(), "rational");
    EXPECT_EQ(tags["829A"]["ifd"].toString(), "exif");
    EXPECT_EQ(tags["9003"]["value"].toString(), "2008-05-30T15:56:01");
    EXPECT_EQ(tags["9000"]["value"].toString(), "0221");
    EXPECT_TRUE(tags["BEEF"]["name"].isNull());
    EXPECT_EQ(tags["BEEF"]["value"].toInt(), 3);
}

struct CFailureCase {
    const char* name;
    bool writeJpeg;
    int result;
};

TEST_F(TheExifShowCommand, FailsWithTheProbeResultForAFileWithoutExif) {
    const std::vector<CFailureCase> cases = {{"picture without Exif", true, 0},
                                             {"missing file", false, 2}};
    for (const CFailureCase& c : cases) {
        std::filesystem::remove(path);
        if (c.writeJpeg) {
            WriteFile(path, MakeJpeg(CJpegRecipe{}));
        }
        const CCliResult lines = RunCli({"exif", "show", "--display", path});
        EXPECT_EQ(lines.exitCode, 1) << c.name;
        EXPECT_EQ(lines.out, "") << c.name;
        EXPECT_NE(lines.err, "") << c.name;
        const CCliResult json = RunCli({"exif", "show", "--display", "--json", path});
        EXPECT_EQ(json.exitCode, 1) << c.name;
        EXPECT_EQ(JsonLineOf(json.out), ShowLine(path, c.result, {})) << c.name << json.out;
        const CCliResult readable = RunCli({"exif", "show", "--json", path});
        EXPECT_EQ(readable.exitCode, 1) << c.name;
        EXPECT_EQ(JsonLineOf(readable.out), ShowLine(path, c.result, {})) << c.name;
    }
}

TEST_F(TheExifShowCommand, ShowsTheValuesOfEveryCameraFile) {
    for (const std::string& path : CameraFilesIn(folder.Path())) {
        const CCliResult result = RunCli({"exif", "show", "--display", path});
        EXPECT_EQ(result.exitCode, 0) << path << result.err;
        EXPECT_NE(result.out.find("\n8769\t"), std::string::npos) << path;
        const CCliResult json = RunCli({"exif", "show", "--json", path});
        EXPECT_EQ(json.exitCode, 0) << path << json.err;
        EXPECT_FALSE(JsonLineOf(json.out)["tags"].toArray().isEmpty()) << path;
    }
}

TEST(TheExifCommand, RefusesAMisusedCommandLineWithStatus2) {
    const std::vector<std::vector<std::string>> cases = {{"exif"},
                                                         {"exif", "list", "a.jpg"},
                                                         {"exif", "show"},
                                                         {"exif", "show", "--xml", "a.jpg"},
                                                         {"exif", "show", "a.jpg", "b.jpg"}};
    for (const std::vector<std::string>& arguments : cases) {
        const CCliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.back();
        EXPECT_EQ(result.out, "") << arguments.back();
        EXPECT_NE(result.err, "") << arguments.back();
    }
}

}  // namespace
