// The exit status every verb promises: 0 when every file is done, 1 when a
// file failed or was skipped (a folder without JPEG files among them), 2 for
// a usage error. One row per case; add rows for new faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "exif/ExifBlock.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// {photos}: a folder of two camera files with Exif, one in a subfolder, and a
// text file; {camera}: the first of them; {bare}: a folder holding c.jpg
// without Exif and its .exif backup; {empty}: a folder with only a text file;
// {missing}: a file that does not exist.
struct CExitRow {
    std::vector<std::string> arguments;
    int status;
    // A text standard output must hold, when not empty.
    std::string says = "";
};

constexpr char kMoment[] = "2003-05-10 07:05";
constexpr char kNoJpeg[] = "{empty}にJPEGﾌｧｲﾙは見つかりません。\n\n";

const CExitRow kRows[] = {
    {{"optimise", "{photos}"},
     0,
     "{photos}/sub/b_kestrin100.jpgへ最適化したJPEG画像をｺﾋﾟｰしました。"},
    {{"optimise", "--jobs", "2", "{camera}", "{missing}"}, 1, "{missing}は読み込めません..."},
    {{"optimise", "{empty}"}, 1, kNoJpeg},
    {{"optimise", "--jobs", "0", "{photos}"}, 2},
    {{"exif", "backup", "{photos}"}, 0, "{photos}/sub/b_kestrin100.exifへExif情報を保存しました。"},
    {{"exif", "backup", "{photos}", "{bare}"}, 1, "c.jpgにExif情報は見つかりません。"},
    {{"exif", "backup", "{empty}"}, 1, kNoJpeg},
    {{"exif", "backup"}, 2},
    {{"exif", "embed", "{bare}"}, 0},
    {{"exif", "embed", "{bare}", "{camera}"}, 1, "は、すでにExif情報が埋め込まれています。"},
    {{"exif", "embed", "{empty}"}, 1, kNoJpeg},
    {{"exif", "embed", "-o", "nokey=1", "{bare}"}, 2},
    {{"dates", "--set", kMoment, "{photos}"}, 0, "{photos}/sub/b.jpg: modification and access"},
    {{"dates", "--set", kMoment, "{camera}", "{missing}"}, 1},
    {{"dates", "--set", kMoment, "{empty}"}, 1, kNoJpeg},
    {{"dates", "--set", "2003-05-10", "{photos}"}, 2},
    {{"exif", "transplant", "--sample", "{camera}", "{bare}"}, 0, "{bare}/c.jpg: 変換しました"},
    {{"exif", "transplant", "--sample", "{camera}", "{bare}/c.jpg", "{missing}"},
     1,
     "{missing}: ﾌｧｲﾙを読み込めない"},
    {{"exif", "transplant", "--sample", "{camera}", "{empty}"}, 1, kNoJpeg},
    {{"exif", "transplant", "--sample", "{bare}/c.jpg", "{camera}"}, 2},
    {{"exif", "show", "{camera}"}, 0},
    {{"exif", "show", "{bare}/c.jpg"}, 1},
    {{"exif", "show"}, 2},
    {{"segments", "{camera}"}, 0},
    {{"segments", "{missing}"}, 1},
    {{"segments"}, 2},
    {{"settings", "filename"}, 0},
    {{"settings", "nokey"}, 2},
    {{"polish", "{camera}"}, 2},
};

// Names a row by its command line in test listings and failures.
void PrintTo(const CExitRow& row, std::ostream* out) {
    for (const std::string& argument : row.arguments) {
        *out << argument << ' ';
    }
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class AVerb : public ::testing::TestWithParam<CExitRow> {
protected:
    void SetUp() override {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        const std::vector<uint8_t> camera = MakeJpeg(recipe);
        std::filesystem::create_directories(folder.Path() / "photos/sub");
        std::filesystem::create_directories(folder.Path() / "bare");
        std::filesystem::create_directories(folder.Path() / "empty");
        WriteFile(folder.File("photos/a.jpg"), camera);
        WriteFile(folder.File("photos/sub/b.jpg"), camera);
        WriteTextFile(folder.File("photos/notes.txt"), "text");
        WriteTextFile(folder.File("empty/notes.txt"), "text");
        const std::optional<CExifCut> cut = CutExifSegment(camera);
        WriteFile(folder.File("bare/c.jpg"), cut->remainder);
        WriteFile(folder.File("bare/c_kestrin100.exif"), cut->block);
    }

    // The text with every placeholder replaced by its path.
    std::string Filled(std::string text) const {
        for (const char* name : {"photos", "bare", "empty"}) {
            text = Replaced(text, std::string("{").append(name).append("}"), folder.File(name));
        }
        text = Replaced(text, "{camera}", folder.File("photos/a.jpg"));
        return Replaced(text, "{missing}", folder.File("missing.jpg"));
    }

    CTempDir folder;
    CTempDir config;
};

TEST_P(AVerb, ExitsWithTheStatusItsHelpPromises) {
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(Filled(argument));
    }
    const CCliResult result = RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});
    EXPECT_EQ(result.exitCode, GetParam().status) << result.out << result.err;
    EXPECT_NE(result.out.find(Filled(GetParam().says)), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(EveryCase, AVerb, ::testing::ValuesIn(kRows), [](const auto& row) {
    const std::vector<std::string>& arguments = row.param.arguments;
    return "Row" + std::to_string(row.index) + "_" + (arguments.empty() ? "" : arguments[0]) +
           "_Exits" + std::to_string(row.param.status);
});

}  // namespace
