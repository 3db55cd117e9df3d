#include <gtest/gtest.h>

#include <filesystem>

#include "dates/FileTimes.h"
#include "exif/ExifBlock.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

class TheBatchCommands : public ::testing::Test {
protected:
    CCliResult Run(const std::vector<std::string>& arguments) {
        return RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});
    }

    // A few camera-like files and a plain one, in a folder of their own.
    std::vector<std::string> MakeFiles(const std::string& subfolder) {
        std::filesystem::create_directory(folder.Path() / subfolder);
        std::vector<std::string> files;
        for (int i = 0; i < 5; ++i) {
            CJpegRecipe recipe;
            recipe.exifWithThumbnail = i % 2 == 0;
            recipe.comment = "file " + std::to_string(i);
            recipe.width = 40 + 8 * i;
            recipe.progressive = i == 3;
            recipe.trailer = {0x00, 0x01};
            files.push_back(folder.File(subfolder + "/p" + std::to_string(i) + ".jpg"));
            WriteFile(files.back(), MakeJpeg(recipe));
        }
        return files;
    }

    CTempDir folder;
    CTempDir config;
};

TEST_F(TheBatchCommands, OptimiseGivesTheSameFilesAndLogWithTwoJobsAsWithOne) {
    std::vector<std::string> one = MakeFiles("one");
    std::vector<std::string> two = MakeFiles("two");
    const CCliResult single = Run([&] {
        std::vector<std::string> arguments{"optimise", "--jobs", "1"};
        arguments.insert(arguments.end(), one.begin(), one.end());
        return arguments;
    }());
    const CCliResult parallel = Run([&] {
        std::vector<std::string> arguments{"optimise", "--jobs", "2"};
        arguments.insert(arguments.end(), two.begin(), two.end());
        return arguments;
    }());
    ASSERT_EQ(single.exitCode, 0) << single.err << single.out;
    ASSERT_EQ(parallel.exitCode, 0) << parallel.err;
    std::string expected = single.out;
    for (size_t pos = 0; (pos = expected.find("/one/", pos)) != std::string::npos;) {
        expected.replace(pos, 5, "/two/");
    }
    EXPECT_EQ(parallel.out, expected);
    EXPECT_EQ(parallel.out.find('\r'), std::string::npos) << "line ends are written as \\n";
    for (size_t i = 0; i < one.size(); ++i) {
        const std::string name = "/p" + std::to_string(i) + "_kestrin100.jpg";
        EXPECT_EQ(ReadFile(folder.File("one" + name)), ReadFile(folder.File("two" + name)));
    }
    EXPECT_NE(single.out.find("最適化前の合計 "), std::string::npos);
}

TEST_F(TheBatchCommands, OptimiseTakesSettingsForThisRunOnly) {
    std::vector<std::string> files = MakeFiles("files");
    const CCliResult result =
        Run({"optimise", "-o", "saveexif=0", "-o", "filename=_small", files[0]});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder.File("files/p0_small.jpg")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("files/p0_kestrin100.exif")));
    EXPECT_EQ(Run({"settings", "filename"}).out, "_kestrin100\n") << "nothing was stored";
    EXPECT_EQ(Run({"optimise", "-o", "colour=1", files[0]}).exitCode, 2);
    EXPECT_EQ(Run({"optimise", "-o", "cpu=fast", files[0]}).exitCode, 2);
    EXPECT_EQ(Run({"optimise", "--jobs", "0", files[0]}).exitCode, 2);
}

TEST_F(TheBatchCommands, OptimiseExitsWithOneWhenAFileIsSkipped) {
    std::vector<std::string> files = MakeFiles("files");
    const std::string missing = folder.File("files/missing.jpg");
    const CCliResult result = Run({"optimise", files[1], missing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find(missing + "は読み込めません...\n\n"), std::string::npos);
}

TEST_F(TheBatchCommands, ExifBackupAndEmbedRoundTripABlock) {
    std::vector<std::string> files = MakeFiles("files");
    const CCliResult backup = Run({"exif", "backup", files[0], files[1]});
    EXPECT_EQ(backup.exitCode, 1) << "the second file has no Exif block";
    EXPECT_EQ(backup.out,
              files[0] + "の調査を完了しました。\n" + folder.File("files/p0_kestrin100.exif") +
                  "へExif情報を保存しました。\n\n" + files[1] + "にExif情報は見つかりません。\n\n");
    WriteFile(files[0], CutExifSegment(ReadFile(files[0]))->remainder);
    const CCliResult embed = Run({"exif", "embed", files[0]});
    EXPECT_EQ(embed.exitCode, 0) << embed.out;
    EXPECT_EQ(Run({"exif", "show", folder.File("files/p0_kestrin100.jpg")}).exitCode, 0);
}

TEST_F(TheBatchCommands, DatesSetsBothWritableTimesAndSaysTheCreationTimeStays) {
    std::vector<std::string> files = MakeFiles("files");
    const std::string text = folder.File("files/notes.txt");
    WriteTextFile(text, "not a picture");
    const CCliResult result = Run({"dates", "--set", "2003-05-10 07:05", files[0], text});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("creation time of a file cannot be changed"), std::string::npos);
    const time_t expected = TimesAtLocalMoment(2003, 5, 10, 7, 5)->modification.tv_sec;
    EXPECT_EQ(ReadFileTimes(text)->modification.tv_sec, expected);
    EXPECT_EQ(ReadFileTimes(files[0])->access.tv_sec, expected);
    EXPECT_EQ(Run({"dates", "--set", "2003-02-31 07:05", text}).exitCode, 2);
    EXPECT_EQ(Run({"dates", "--set", "2003-05-10 24:00", text}).exitCode, 2);
    EXPECT_EQ(Run({"dates", "--set", "2003-05-10 07:05", folder.File("gone")}).exitCode, 1);
}

}  // namespace
