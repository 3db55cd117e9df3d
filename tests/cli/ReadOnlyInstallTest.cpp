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

TEST(AReadOnlyOneFolderInstall, StartsAndKeepsItsListsInTheUsersDataFolder) {
    CTempDir root;
    const fs::path programs = root.Path() / "kestrin";
    fs::create_directory(programs);
    const std::string built = CliFolder();
    for (const char* name : kShipped) {
        fs::copy_file(fs::path(built) / name, programs / name);
    }
    fs::permissions(programs, fs::perms::owner_read | fs::perms::owner_exec);
    CJpegRecipe camera;
    camera.exifWithThumbnail = true;
    WriteFile(root.File("p.jpg"), MakeJpeg(camera));
    // RunCli starts the kestrin-cli it finds in KESTRIN_BIN_DIR.
    ::setenv("KESTRIN_BIN_DIR", programs.c_str(), 1);
    const CCliResult result = RunCli(
        {"exif", "show", root.File("p.jpg")},
        {"HOME=" + root.File("home"), "XDG_DATA_HOME=", "XDG_RUNTIME_DIR=" + root.File("run"),
         "XDG_CONFIG_HOME=" + root.File("config")});
    ::setenv("KESTRIN_BIN_DIR", built.c_str(), 1);
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
