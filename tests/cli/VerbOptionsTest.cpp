// What each verb takes: its own --help, the named options that change a
// setting for one run (checked by their effect on the files), and the
// command lines refused before any file is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "exif/ExifBlock.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> CameraJpeg() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "camera";
    return MakeJpeg(recipe);
}

bool HasExif(const std::string& path) {
    return CutExifSegment(ReadFile(path)).has_value();
}

std::vector<std::string> FilesIn(const CTempDir& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A folder with the camera file p.jpg (and, for embedding, q.jpg without
// Exif beside its backup q_kestrin100.exif), and a settings folder.
class AVerbCommandLine {
protected:
    AVerbCommandLine() {
        WriteFile(folder.File("p.jpg"), CameraJpeg());
        const std::optional<CExifCut> cut = CutExifSegment(CameraJpeg());
        WriteFile(folder.File("q.jpg"), cut->remainder);
        WriteFile(folder.File("q_kestrin100.exif"), cut->block);
    }

    // arguments with "{}/" standing for the folder.
    CCliResult RunHere(std::vector<std::string> arguments) const {
        for (std::string& argument : arguments) {
            if (argument.starts_with("{}/")) {
                argument = folder.File(argument.substr(3));
            }
        }
        return RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});
    }

    CTempDir folder;
    CTempDir config;
};

struct CHelpRow {
    std::vector<std::string> arguments;
    std::string usageLine;
};

const CHelpRow kHelpRows[] = {
    {{"optimise", "--help"}, "Usage: kestrin-cli optimise [options] FILE... | -\n"},
    {{"exif", "-h"}, "Usage: kestrin-cli exif show|backup|embed|transplant"},
    {{"exif", "show", "--help"}, "Usage: kestrin-cli exif show [--display] [--json] FILE\n"},
    {{"exif", "backup", "-h"}, "Usage: kestrin-cli exif backup [options] FILE...\n"},
    {{"exif", "embed", "--help", "{}/p.jpg"}, "Usage: kestrin-cli exif embed [options] FILE...\n"},
    {{"exif", "transplant", "--help"},
     "Usage: kestrin-cli exif transplant [--json] --sample SAMPLE"},
    {{"dates", "--help"}, "Usage: kestrin-cli dates [--json] --set \"YYYY-MM-DD HH:MM\" FILE...\n"},
    {{"segments", "-h"}, "Usage: kestrin-cli segments [--json] FILE\n"},
    {{"settings", "--help"}, "Usage: kestrin-cli settings [KEY [VALUE]]\n"},
    {{"verify", "-h"}, "Usage: kestrin-cli verify [--json] A B\n"},
    {{"--help"}, "Usage:\n  kestrin-cli --help"},
};

class AVerbAskedForHelp : public AVerbCommandLine, public ::testing::TestWithParam<CHelpRow> {};

TEST_P(AVerbAskedForHelp, PrintsItsOwnUsageAndTouchesNothing) {
    const CCliResult result = RunHere(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind(GetParam().usageLine, 0), 0u) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"p.jpg", "q.jpg", "q_kestrin100.exif"}));
}

INSTANTIATE_TEST_SUITE_P(EveryVerb, AVerbAskedForHelp, ::testing::ValuesIn(kHelpRows));

struct COptionRow {
    const char* name;
    std::vector<std::string> arguments;
    // Stored before the run, as `settings KEY VALUE`.
    std::vector<std::string> stored;
    std::function<void(const CTempDir&)> check;
    int status = 0;
};

const COptionRow kOptionRows[] = {
    {"InPlaceReplacesTheFile",
     {"optimise", "--in-place", "{}/p.jpg"},
     {},
     [](const CTempDir& folder) {
         EXPECT_LT(fs::file_size(folder.File("p.jpg")), CameraJpeg().size());
         EXPECT_FALSE(fs::exists(folder.File("p_kestrin100.jpg")));
     }},
    {"SuffixNamesTheResult",
     {"optimise", "--suffix", "_x", "{}/p.jpg"},
     {},
     [](const CTempDir& folder) {
         EXPECT_TRUE(fs::exists(folder.File("p_x.jpg")));
         EXPECT_EQ(ReadFile(folder.File("p.jpg")), CameraJpeg());
     }},
    {"KeepExifLeavesAFileWithExifAsItIsAndOptimisesTheRest",
     {"optimise", "--keep-exif", "{}/p.jpg", "{}/q.jpg"},
     {},
     [](const CTempDir& folder) {
         EXPECT_EQ(ReadFile(folder.File("p.jpg")), CameraJpeg());
         EXPECT_FALSE(fs::exists(folder.File("p_kestrin100.jpg")));
         EXPECT_TRUE(fs::exists(folder.File("q_kestrin100.jpg")));
     },
     1},
    {"RemoveExifRemovesWhatTheStoredSettingKeeps",
     {"optimise", "--remove-exif", "{}/p.jpg"},
     {"del_exif", "0"},
     [](const CTempDir& folder) {
         EXPECT_FALSE(HasExif(folder.File("p_kestrin100.jpg")));
         EXPECT_TRUE(fs::exists(folder.File("p_kestrin100.exif")));
     }},
    {"NoExifBackupWritesNoBackup",
     {"optimise", "--no-exif-backup", "{}/p.jpg"},
     {},
     [](const CTempDir& folder) {
         EXPECT_FALSE(HasExif(folder.File("p_kestrin100.jpg")));
         EXPECT_FALSE(fs::exists(folder.File("p_kestrin100.exif")));
     }},
    {"KeepOrientationLeavesASmallExifBlockAndBacksUpTheWholeOne",
     {"optimise", "--keep-orientation", "{}/p.jpg"},
     {},
     [](const CTempDir& folder) {
         const std::optional<CExifCut> cut =
             CutExifSegment(ReadFile(folder.File("p_kestrin100.jpg")));
         ASSERT_TRUE(cut);
         EXPECT_LT(cut->block.size(), 40u);
         EXPECT_EQ(ReadFile(folder.File("p_kestrin100.exif")), CutExifSegment(CameraJpeg())->block);
     }},
    {"EmbedInPlacePutsTheBlockIntoTheFile",
     {"exif", "embed", "--in-place", "{}/q.jpg"},
     {},
     [](const CTempDir& folder) {
         EXPECT_TRUE(HasExif(folder.File("q.jpg")));
         EXPECT_FALSE(fs::exists(folder.File("q_kestrin100.jpg")));
     }},
    {"EmbedSuffixNamesTheResult",
     {"exif", "embed", "--suffix", "_e", "{}/q.jpg"},
     {"filename", ""},
     [](const CTempDir& folder) {
         EXPECT_TRUE(HasExif(folder.File("q_e.jpg")));
         EXPECT_FALSE(HasExif(folder.File("q.jpg")));
     }},
};

void PrintTo(const COptionRow& row, std::ostream* out) {
    *out << row.name;
}

class ANamedOption : public AVerbCommandLine, public ::testing::TestWithParam<COptionRow> {};

TEST_P(ANamedOption, ChangesItsSettingForThisRunOnly) {
    const COptionRow& row = GetParam();
    if (!row.stored.empty()) {
        ASSERT_EQ(RunHere({"settings", row.stored[0], row.stored[1]}).exitCode, 0);
    }
    const std::string before = RunHere({"settings"}).out;
    const CCliResult result = RunHere(row.arguments);
    EXPECT_EQ(result.exitCode, row.status) << result.out << result.err;
    row.check(folder);
    EXPECT_EQ(RunHere({"settings"}).out, before) << "nothing was stored";
}

INSTANTIATE_TEST_SUITE_P(Each, ANamedOption, ::testing::ValuesIn(kOptionRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct CRefusalRow {
    std::vector<std::string> arguments;
    // Expected on standard error.
    std::string reason;
};

const CRefusalRow kRefusalRows[] = {
    {{"optimise", "--in-place", "--suffix", "_x", "{}/p.jpg"}, "cannot be used together"},
    {{"optimise", "--keep-exif", "--remove-exif", "{}/p.jpg"}, "cannot be used together"},
    {{"optimise", "--suffix", "", "{}/p.jpg"}, "use --in-place"},
    {{"optimise", "--suffix", "a/b", "{}/p.jpg"}, "filename may not hold"},
    {{"optimise", "-o", "filename=_y", "--in-place", "{}/p.jpg"}, "both set filename"},
    {{"optimise", "--no-exif-backup", "-o", "saveexif=1", "{}/p.jpg"}, "both set saveexif"},
    {{"optimise", "--keep-motion", "-o", "keep_motion=0", "{}/p.jpg"}, "both set keep_motion"},
    {{"optimise", "--fast", "{}/p.jpg"}, "Unknown option 'fast'"},
    {{"optimise", "--in-place=yes", "{}/p.jpg"}, "Unexpected value after '--in-place'"},
    {{"optimise", "--jobs"}, "Missing value after '--jobs'"},
    {{"exif", "backup", "--in-place", "{}/p.jpg"}, "Unknown option 'in-place'"},
    {{"exif", "embed", "--keep-exif", "{}/q.jpg"}, "Unknown option 'keep-exif'"},
    {{"exif", "transplant", "{}/q.jpg"}, "--sample takes one sample picture"},
    {{"dates", "{}/p.jpg"}, "use dates --set"},
    {{"segments", "--json"}, "no file given"},
    {{"verify", "{}/p.jpg"}, "2 files are needed"},
    {{"settings", "cpu", "1", "2"}, "unexpected argument 2"},
    {{"--verbose", "segments"}, "Unknown option 'verbose'"},
};

void PrintTo(const CRefusalRow& row, std::ostream* out) {
    for (const std::string& argument : row.arguments) {
        *out << argument << ' ';
    }
}

class ARefusedCommandLine : public AVerbCommandLine,
                            public ::testing::TestWithParam<CRefusalRow> {};

TEST_P(ARefusedCommandLine, EndsWithStatusTwoSaysWhyAndTouchesNothing) {
    const CCliResult result = RunHere(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Usage:"), std::string::npos) << "the usage follows the reason";
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"p.jpg", "q.jpg", "q_kestrin100.exif"}));
    EXPECT_EQ(ReadFile(folder.File("p.jpg")), CameraJpeg());
}

INSTANTIATE_TEST_SUITE_P(Each, ARefusedCommandLine, ::testing::ValuesIn(kRefusalRows));

}  // namespace
