// The programs unpacked with their data into one folder the user may not
// write: they start, read the data where they lie and write only in the
// user's folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kShipped[] = {"kestrin-cli", "libbrastel.so.1", "exif_inf.pdt",
                                    "nok_code.pdt"};

// Points RunCli at another program folder for as long as it lives.
class CProgramFolderOverride {
public:
    explicit CProgramFolderOverride(const std::string& folder)
        : m_strPrevious(std::getenv("KESTRIN_BIN_DIR")) {
        ::setenv("KESTRIN_BIN_DIR", folder.c_str(), 1);
    }
    CProgramFolderOverride(const CProgramFolderOverride&) = delete;
    CProgramFolderOverride& operator=(const CProgramFolderOverride&) = delete;
    ~CProgramFolderOverride() { ::setenv("KESTRIN_BIN_DIR", m_strPrevious.c_str(), 1); }

private:
    std::string m_strPrevious;
};

TEST(AReadOnlyOneFolderInstall, StartsAndKeepsItsListsInTheUsersDataFolder) {
    CTempDir root;
    const fs::path programs = root.Path() / "kestrin";
    fs::create_directory(programs);
    for (const char* name : kShipped) {
        fs::copy_file(fs::path(std::getenv("KESTRIN_BIN_DIR")) / name, programs / name);
    }
    fs::permissions(programs, fs::perms::owner_read | fs::perms::owner_exec);
    CJpegRecipe camera;
    camera.exifWithThumbnail = true;
    WriteFile(root.File("p.jpg"), MakeJpeg(camera));
    CCliResult result;
    {
        const CProgramFolderOverride override(programs.string());
        result = RunCli(
            {"exif", "show", root.File("p.jpg")},
            {"HOME=" + root.File("home"), "XDG_DATA_HOME=", "XDG_RUNTIME_DIR=" + root.File("run"),
             "XDG_CONFIG_HOME=" + root.File("config")});
    }
    fs::permissions(programs, fs::perms::owner_all);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadFile(root.File("home/.local/share/marvoke/KestrinJPEG/exif_inf.pdt")),
              ReadFile((programs / "exif_inf.pdt").string()));
    EXPECT_EQ(static_cast<size_t>(
                  std::distance(fs::directory_iterator(programs), fs::directory_iterator())),
              std::size(kShipped))
        << "nothing is written beside the programs";
}

}  // namespace
