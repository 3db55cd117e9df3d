#include "util/ProgramPlaces.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"

namespace fs = std::filesystem;

// A program folder in prefix/bin beside prefix/share/kestrin with the two
// shipped list files, and a home folder for the user's places.
class AnInstalledLayout : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_prefix.Path() / "bin");
        fs::create_directories(m_prefix.Path() / "share/kestrin");
        WriteTextFile(m_prefix.File("share/kestrin/nok_code.pdt"), "FFE0\r\n");
        WriteTextFile(m_prefix.File("share/kestrin/exif_inf.pdt"), "dictionary\r\n");
    }

    CPlaceInputs Inputs(const std::string& runtimeDir = "") const {
        return {
            m_prefix.File("bin/"), "../share/kestrin/", m_home.Path().string(), "", runtimeDir, ""};
    }

    CTempDir m_prefix;
    CTempDir m_home;
};

TEST_F(AnInstalledLayout, KeepsEverythingBesideTheProgramsInTheBuildTree) {
    const std::string bin = m_prefix.File("bin/");
    WriteTextFile(bin + "exif_inf.pdt", "dictionary\r\n");
    const CProgramPlaces places = DecideProgramPlaces(Inputs());
    EXPECT_FALSE(places.m_bInstalled);
    EXPECT_EQ(places.m_strListFolder, bin);
    EXPECT_EQ(places.m_strDataFolder, bin);
    EXPECT_EQ(places.m_strWorkFolder, bin);
}

TEST_F(AnInstalledLayout, UsesTheUsersPlacesWhenTheProgramFolderIsReadOnly) {
    const std::string bin = m_prefix.File("bin/");
    WriteTextFile(bin + "exif_inf.pdt", "dictionary\r\n");
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    const CProgramPlaces places = DecideProgramPlaces(Inputs());
    fs::permissions(bin, fs::perms::owner_all);
    EXPECT_TRUE(places.m_bInstalled);
    EXPECT_EQ(places.m_strListFolder, m_home.File(".local/share/marvoke/KestrinJPEG/"));
}

TEST_F(AnInstalledLayout, TakesSharedDataAndCopiesTheListsOnceIntoTheUsersFolder) {
    const CProgramPlaces places = DecideProgramPlaces(Inputs(m_home.File("run")));
    EXPECT_TRUE(places.m_bInstalled);
    EXPECT_EQ(places.m_strDataFolder, m_prefix.File("share/kestrin/"));
    EXPECT_EQ(places.m_strWorkFolder, m_home.File("run/marvoke/KestrinJPEG/"));

    PrepareProgramPlaces(places);
    EXPECT_EQ(ReadTextFile(places.m_strListFolder + "nok_code.pdt"), "FFE0\r\n");
    WriteTextFile(places.m_strListFolder + "nok_code.pdt", "FFE1\r\n");
    PrepareProgramPlaces(places);
    EXPECT_EQ(ReadTextFile(places.m_strListFolder + "nok_code.pdt"), "FFE1\r\n")
        << "a list the user changed is never replaced";
    EXPECT_TRUE(fs::is_directory(places.m_strWorkFolder));
}

TEST_F(AnInstalledLayout, FallsBackToTheCacheFolderWithoutARuntimeFolder) {
    EXPECT_EQ(DecideProgramPlaces(Inputs()).m_strWorkFolder,
              m_home.File(".cache/marvoke/KestrinJPEG/"));
}

// The program unpacked with its data into one folder the user may not write:
// the data are read where they lie, everything written goes to the user's
// folders. Refused by the mode bits, which root respects too.
TEST_F(AnInstalledLayout, StartsFromAReadOnlyFolderThatHoldsItsData) {
    const std::string bin = m_prefix.File("bin/");
    WriteTextFile(bin + "nok_code.pdt", "FFE2\r\n");
    WriteTextFile(bin + "exif_inf.pdt", "beside\r\n");
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    const CProgramPlaces places = DecideProgramPlaces(Inputs(m_home.File("run")));
    fs::permissions(bin, fs::perms::owner_all);
    EXPECT_TRUE(places.m_bInstalled);
    EXPECT_EQ(places.m_strDataFolder, bin);
    EXPECT_EQ(places.m_strWorkFolder, m_home.File("run/marvoke/KestrinJPEG/"));
    PrepareProgramPlaces(places);
    EXPECT_EQ(ReadTextFile(places.m_strListFolder + "nok_code.pdt"), "FFE2\r\n");
    EXPECT_EQ(ReadTextFile(places.m_strListFolder + "exif_inf.pdt"), "beside\r\n");
}

TEST_F(AnInstalledLayout, SaysWhichShippedListIsMissingAtTheStart) {
    fs::remove(m_prefix.File("share/kestrin/nok_code.pdt"));
    try {
        PrepareProgramPlaces(DecideProgramPlaces(Inputs()));
        FAIL() << "a missing list must stop the start";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.Cause(), EFileFailure::Missing);
        EXPECT_EQ(error.Path(), m_prefix.File("share/kestrin/nok_code.pdt"));
    }
}
