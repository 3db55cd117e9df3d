// Abuse a user can commit on the command line, and what the program must
// answer: a refusal with its reason and status, or the job done safely.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
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
    // Where standard output goes, when not to the test.
    std::string output = {};
};

// The settings file of a run, made in folder/config by a row as it needs.
std::string SettingsFile(const CTempDir& folder) {
    fs::create_directories(folder.File("config/marvoke"));
    return folder.File("config/marvoke/KestrinJPEG.conf");
}

std::string PutPipe(const CTempDir& folder, const std::string& name) {
    ::mkfifo(folder.File(name).c_str(), 0600);
    return folder.File(name);
}

// A picture whose Exif segment holds no TIFF structure at all.
std::vector<uint8_t> BrokenExifJpeg() {
    return MakeJpegWithTiff({'n', 'o', ' ', 't', 'i', 'f', 'f', '!'});
}

// A picture whose Exif block is sound but carries no thumbnail.
std::vector<uint8_t> ThumbnaillessExifJpeg() {
    return MakeJpegWithTiff({'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

const std::string kTooLongName(300, 'x');

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
    {"SegmentsRefusesANamedPipeInsteadOfWaiting",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"segments", PutPipe(folder, "x.jpg")};
     },
     1, "{}/x.jpg: not a regular file"},
    {"ExifShowRefusesALinkToANamedPipe",
     [](const CTempDir& folder) {
         fs::create_symlink(PutPipe(folder, "pipe"), folder.File("x.jpg"));
         return std::vector<std::string>{"exif", "show", folder.File("x.jpg")};
     },
     1, "{}/x.jpg: not a regular file"},
    {"OptimiseRefusesANamedPipeAndOptimisesTheRest",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"optimise", PutPipe(folder, "x.jpg"), PutPhoto(folder)};
     },
     1, "{}/x.jpg: not a regular file",
     [](const CTempDir& folder) { EXPECT_TRUE(fs::exists(folder.File("p_kestrin100.jpg"))); }},
    {"ExifBackupRefusesANamedPipe",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"exif", "backup", PutPipe(folder, "x.jpg")};
     },
     1, "{}/x.jpg: not a regular file"},
    {"ExifEmbedTellsANamedPipeInPlaceOfTheBackup",
     [](const CTempDir& folder) {
         WriteFile(folder.File("p.jpg"), MakeJpeg(CJpegRecipe{}));
         PutPipe(folder, "p_kestrin100.exif");
         return std::vector<std::string>{"exif", "embed", folder.File("p.jpg")};
     },
     1, "{}/p_kestrin100.exifは通常のﾌｧｲﾙではありません。"},
    {"TransplantRefusesANamedPipeAsItsSample",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"exif", "transplant", "--sample", PutPipe(folder, "s.jpg"),
                                         PutPhoto(folder)};
     },
     1, "{}/s.jpg: not a regular file"},
    {"ASettingsFileThatIsANamedPipeGivesTheDefaults",
     [](const CTempDir& folder) {
         ::mkfifo(SettingsFile(folder).c_str(), 0600);
         return std::vector<std::string>{"optimise", PutPhoto(folder)};
     },
     0, "is not a regular file; the default settings are used",
     [](const CTempDir& folder) { EXPECT_TRUE(fs::exists(folder.File("p_kestrin100.jpg"))); }},
    {"StoringASettingIntoAFolderFails",
     [](const CTempDir& folder) {
         fs::create_directory(SettingsFile(folder));
         return std::vector<std::string>{"settings", "cpu", "2"};
     },
     1, "cpu was not stored"},
    {"SegmentsIntoAFullDiskFails",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"segments", "--json", PutPhoto(folder)};
     },
     1, "cannot write to standard output", [](const CTempDir&) {}, "/dev/full"},
    {"ExifShowIntoAFullDiskFails",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"exif", "show", PutPhoto(folder)};
     },
     1, "cannot write to standard output", [](const CTempDir&) {}, "/dev/full"},
    {"OptimiseIntoAFullDiskFails",
     [](const CTempDir& folder) {
         const std::string photo = PutPhoto(folder);
         fs::copy_file(photo, folder.File("q.jpg"));
         return std::vector<std::string>{"optimise", "--jobs", "1", photo, folder.File("q.jpg")};
     },
     1, "cannot write to standard output", [](const CTempDir&) {}, "/dev/full"},
    {"StoredExifNameMayNotLeadOutOfThePhotosFolder",
     [](const CTempDir&) {
         return std::vector<std::string>{"settings", "exifname", "/../../evil"};
     },
     2, "exifname may not hold"},
    {"StoredExifNameMayNotHoldALineBreak",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"exif", "backup", "-o", "exifname=a\nb", PutPhoto(folder)};
     },
     2, "exifname may not hold"},
    {"AResultThatCannotBeWrittenTakesItsBackupAlong",
     [](const CTempDir& folder) {
         return std::vector<std::string>{"optimise", "-o", "filename=" + kTooLongName,
                                         PutPhoto(folder)};
     },
     1, "{}/p_kestrin100.exifを削除しました。",
     [](const CTempDir& folder) {
         EXPECT_FALSE(fs::exists(folder.File("p_kestrin100.exif")));
         const CCliResult retry = RunCli({"optimise", folder.File("p.jpg")},
                                         {"XDG_CONFIG_HOME=" + folder.File("config")});
         EXPECT_EQ(retry.exitCode, 0) << "a retry works: " << retry.out;
     }},
    {"AResultThatCannotBeWrittenGivesTheUsersBackupBack",
     [](const CTempDir& folder) {
         WriteTextFile(folder.File("p_kestrin100.exif"), "mine");
         return std::vector<std::string>{
             "optimise", "-o", "overwrite=1", "-o", "filename=" + kTooLongName, PutPhoto(folder)};
     },
     1, "{}/p_kestrin100.exifを元の内容に戻しました。",
     [](const CTempDir& folder) {
         EXPECT_EQ(ReadTextFile(folder.File("p_kestrin100.exif")), "mine");
     }},
    {"AnExifBlockNoEmbeddingTakesIsNotBackedUp",
     [](const CTempDir& folder) {
         WriteFile(folder.File("b.jpg"), BrokenExifJpeg());
         return std::vector<std::string>{"exif", "backup", folder.File("b.jpg")};
     },
     1, "{}/b.jpgのExif情報は壊れていて埋め込みに使えないため、ﾊﾞｯｸｱｯﾌﾟしません。",
     [](const CTempDir& folder) {
         EXPECT_FALSE(fs::exists(folder.File("b_kestrin100.exif")));
         EXPECT_EQ(ReadFile(folder.File("b.jpg")), BrokenExifJpeg());
     }},
    {"ASampleWithoutAThumbnailIsOneSampleError",
     [](const CTempDir& folder) {
         WriteFile(folder.File("s.jpg"), ThumbnaillessExifJpeg());
         return std::vector<std::string>{"exif", "transplant", "--sample", folder.File("s.jpg"),
                                         PutPhoto(folder)};
     },
     2, "{}/s.jpg: 見本のExif情報に使えるｻﾑﾈｲﾙがありません",
     [](const CTempDir& folder) { EXPECT_EQ(ReadFile(folder.File("p.jpg")), CameraJpeg()); }},
    {"ATransplantThatCannotBeWrittenSaysWhy",
     [](const CTempDir& folder) {
         WriteFile(folder.File("q.jpg"), MakeJpeg(CJpegRecipe{}));
         ::chmod(folder.File("q.jpg").c_str(), 0444);
         return std::vector<std::string>{"exif", "transplant", "--sample", PutPhoto(folder),
                                         folder.File("q.jpg")};
     },
     1, "{}/q.jpg: ﾌｧｲﾙに書き込めないので変換しませんでした: "},
    {"DebrisOfAKilledRunGoesButNothingElse",
     [](const CTempDir& folder) {
         const std::string photo = PutPhoto(folder);
         WriteTextFile(photo + ".kestrin-" + std::to_string(EndedProcessId()) + "-Ab12Cd", "");
         WriteTextFile(photo + ".kestrin-" + std::to_string(::getpid()) + "-Ab12Cd", "");
         WriteTextFile(photo + ".kestrin-notes", "");
         return std::vector<std::string>{"exif", "backup", photo};
     },
     0, "へExif情報を保存しました。",
     [](const CTempDir& folder) {
         std::vector<std::string> left;
         for (const auto& entry : fs::directory_iterator(folder.Path())) {
             left.push_back(entry.path().filename());
         }
         std::sort(left.begin(), left.end());
         EXPECT_EQ(left, (std::vector<std::string>{
                             "p.jpg", "p.jpg.kestrin-" + std::to_string(::getpid()) + "-Ab12Cd",
                             "p.jpg.kestrin-notes", "p_kestrin100.exif"}));
     }},
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
    const std::vector<std::string> arguments = row.prepare(folder);
    const CCliResult result =
        RunCli(arguments, {"XDG_CONFIG_HOME=" + folder.File("config")}, row.output);
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

// A pipe that nobody reads and that is already full: a program writing its
// first line into it waits there.
struct CFullPipe {
    CFullPipe() {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_NONBLOCK), 0);
        readEnd = ends[0];
        writeEnd = ends[1];
        const std::vector<char> block(4096, 'x');
        while (::write(writeEnd, block.data(), block.size()) > 0) {
        }
        ::fcntl(writeEnd, F_SETFL, 0);
    }
    ~CFullPipe() {
        ::close(readEnd);
        ::close(writeEnd);
    }
    int readEnd;
    int writeEnd;
};

// Optimises a photo with standard output on a full pipe: the program waits
// to print its log with its scratch folder made, and there it is ended.
class AnEndedRun : public ::testing::TestWithParam<int> {};

TEST_P(AnEndedRun, LeavesNoScratchFolderBehind) {
    CTempDir folder;
    CTempDir temporary;
    const CFullPipe output;
    const std::string program = CliFolder() + "/kestrin-cli";
    std::vector<std::string> texts{program, "optimise", PutPhoto(folder)};
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd, 1);
    ::setenv("TMPDIR", temporary.Path().c_str(), 1);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    ::unsetenv("TMPDIR");
    posix_spawn_file_actions_destroy(&actions);
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
