#include <gtest/gtest.h>

#include <string>

#include "tests/cli/CliRunner.h"
#include "tests/support/TempDir.h"

namespace {

class TheSettingsCommand : public ::testing::Test {
protected:
    CCliResult Run(const std::vector<std::string>& arguments) {
        return RunCli(arguments, {"XDG_CONFIG_HOME=" + folder.Path().string()});
    }
    CTempDir folder;
};

TEST_F(TheSettingsCommand, ListsEveryKeyWithItsDefault) {
    const CCliResult result = Run({"settings"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "cpu=1\njoukyuuedit=0\nffe0=0\nexpchk=0\ndel_exif=1\ndamage=0\n"
              "filename=_kestrin100\nexifname=_kestrin100\nsaveexif=1\noverwrite=0\n"
              "keep_icc=0\nkeep_orientation=0\nkeep_motion=0\n"
              "Find_Path=\nRect=\nicon=0\nmax=0\n");
}

TEST_F(TheSettingsCommand, StoresAValueThatTheNextRunReads) {
    EXPECT_EQ(Run({"settings", "cpu", "2"}).exitCode, 0);
    EXPECT_EQ(Run({"settings", "filename", ""}).exitCode, 0);
    EXPECT_EQ(Run({"settings", "cpu"}).out, "2\n");
    EXPECT_EQ(Run({"settings", "filename"}).out, "\n") << "an empty name is a value";
}

TEST_F(TheSettingsCommand, RefusesUnknownKeysAndNonNumbersForNumbers) {
    EXPECT_EQ(Run({"settings", "colour"}).exitCode, 2);
    EXPECT_EQ(Run({"settings", "cpu", "high"}).exitCode, 2);
    EXPECT_EQ(Run({"settings", "cpu", "1", "2"}).exitCode, 2);
    EXPECT_EQ(Run({"settings", "cpu"}).out, "1\n") << "nothing was stored";
}

}  // namespace
