// Abuse a user can commit on the command line, and what the program must
// answer: a refusal with its reason and status, or the job done safely.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "exif/ExifBlock.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> CameraJpeg() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "camera";
    return MakeJpeg(recipe);
}

// A camera file p.jpg in folder; its path.
std::string PutPhoto(const CTempDir& folder) {
    WriteFile(folder.File("p.jpg"), CameraJpeg());
    return folder.File("p.jpg");
}

struct CFaultCase {
    const char* name;
    // Makes the files and returns the arguments.
    std::function<std::vector<std::string>(const CTempDir&)> prepare;
    int exitCode;
    // Expected in what the program printed; "{}" stands for the folder.
    std::string said;
    std::function<void(const CTempDir&)> check = [](const CTempDir&) {};
};

void PrintTo(const CFaultCase& row, std::ostream* out) {
    *out << row.name;
}

const CFaultCase kFaultCases[] = {
    {"InPlaceOptimiseReplacesThePhotoBehindALinkAndKeepsTheLink",
     [](const CTempDir& folder) {
         PutPhoto(folder);
         fs::create_symlink(folder.File("p.jpg"), folder.File("link.jpg"));
         return std::vector<std::string>{"optimise", "-o", "filename=", folder.File("link.jpg")};
     },
     0, "{}/link.jpgへ上書きしました。",
     [](const CTempDir& folder) {
         EXPECT_TRUE(fs::is_symlink(folder.File("link.jpg")));
         EXPECT_LT(fs::file_size(folder.File("p.jpg")), CameraJpeg().size());
     }},
    {"InPlaceOptimiseRefusesAReadOnlyPhoto",
     [](const CTempDir& folder) {
         ::chmod(PutPhoto(folder).c_str(), 0444);
         return std::vector<std::string>{"optimise", "-o", "filename=", folder.File("p.jpg")};
     },
     1, "{}/p.jpgは読み取り専用のﾌｧｲﾙです。変更せずに残しました。",
     [](const CTempDir& folder) { EXPECT_EQ(ReadFile(folder.File("p.jpg")), CameraJpeg()); }},
    {"InPlaceExifEmbedRefusesAReadOnlyPhoto",
     [](const CTempDir& folder) {
         const std::string photo = PutPhoto(folder);
         RunCli({"exif", "backup", photo}, {"XDG_CONFIG_HOME=" + folder.File("none")});
         WriteFile(photo, CutExifSegment(CameraJpeg())->remainder);
         ::chmod(photo.c_str(), 0444);
         return std::vector<std::string>{"exif", "embed", "-o", "filename=", photo};
     },
     1, "{}/p.jpgは読み取り専用のﾌｧｲﾙです。変更せずに残しました。"},
    {"ExifBackupIntoAReadOnlyFolderSaysWhy",
     [](const CTempDir& folder) {
         ::chmod(folder.Path().c_str(), 0555);
         return std::vector<std::string>{"exif", "backup", PutPhoto(folder)};
     },
     1, "{}は書き込みできないﾌｫﾙﾀﾞです。何も書き込みませんでした。",
     [](const CTempDir& folder) {
         EXPECT_FALSE(fs::exists(folder.File("p_kestrin100.exif")));
         ::chmod(folder.Path().c_str(), 0755);
     }},
    {"DamageTwoIsNotASettingTheSheetOffers",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"optimise", "-o", "damage=2", PutPhoto(folder)};
     },
     2, "damage takes a whole number from 0 to 1, not \"2\""},
    {"StoredCpuStaysWithinTheThreeChoices",
     [](const CTempDir&) {
         return std::vector<std::string>{"settings", "cpu", "3"};
     },
     2, "cpu takes a whole number from 0 to 2"},
    {"StoredFileNameMayNotHoldAColon",
     [](const CTempDir&) {
         return std::vector<std::string>{"settings", "filename", "a:b"};
     },
     2, "filename may not hold"},
    {"SegmentsRefusesAFileThatIsNotAJpeg",
     [](const CTempDir& folder) {
         WriteTextFile(folder.File("notes.txt"), "hello");
         return std::vector<std::string>{"segments", folder.File("notes.txt")};
     },
     1, "not a JPEG file"},
    {"DatesRefusesAMomentNotWrittenYYYYMMDDHHMM",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"dates", "--set", "2020-1-1 1:1", PutPhoto(folder)};
     },
     2, "is not a moment of the form YYYY-MM-DD HH:MM"},
};

class AFaultCase : public ::testing::TestWithParam<CFaultCase> {};

TEST_P(AFaultCase, EndsWithItsStatusAndSaysWhy) {
    const CFaultCase& row = GetParam();
    CTempDir folder;
    CTempDir config;
    const std::vector<std::string> arguments = row.prepare(folder);
    const CCliResult result = RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});
    EXPECT_EQ(result.exitCode, row.exitCode) << result.out << result.err;
    std::string said = row.said;
    if (const size_t at = said.find("{}"); at != std::string::npos) {
        said.replace(at, 2, folder.Path().string());
    }
    const std::string printed = result.out + result.err;
    EXPECT_NE(printed.find(said), std::string::npos) << printed;
    row.check(folder);
}

INSTANTIATE_TEST_SUITE_P(Cases, AFaultCase, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Optimises a named pipe with nobody writing to it: the program waits in the
// reference decode with its scratch folder made, and there it is ended.
class AnEndedRun : public ::testing::TestWithParam<int> {};

TEST_P(AnEndedRun, LeavesNoScratchFolderBehind) {
    CTempDir folder;
    CTempDir temporary;
    const std::string pipe = folder.File("waiting.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string program = std::string(std::getenv("KESTRIN_BIN_DIR")) + "/kestrin-cli";
    std::vector<std::string> texts{program, "optimise", pipe};
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    ::setenv("TMPDIR", temporary.Path().c_str(), 1);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    ::unsetenv("TMPDIR");
    for (int i = 0; i < 1000 && fs::is_empty(temporary.Path()); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(fs::is_empty(temporary.Path())) << "the scratch folder was made";
    ::kill(child, GetParam());
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << status;
    EXPECT_TRUE(fs::is_empty(temporary.Path()));
}

INSTANTIATE_TEST_SUITE_P(BySignal, AnEndedRun, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

}  // namespace
