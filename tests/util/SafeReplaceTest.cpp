#include "util/SafeReplace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"

namespace {

size_t EntriesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(ASafeReplacement, GivesTheFileItsNewContentAndKeepsItsPermissions) {
    CTempDir folder;
    const std::string path = folder.File("photo.jpg");
    WriteTextFile(path, "the old, longer content");
    ::chmod(path.c_str(), 0640);
    ReplaceFileSafely(path, "new", 3);
    EXPECT_EQ(ReadTextFile(path), "new");
    struct stat status {};
    ::stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u) << "no temporary file is left behind";
}

TEST(ASafeReplacement, CreatesAFileThatDidNotExist) {
    CTempDir folder;
    ReplaceFileSafely(folder.File("new.exif"), "", 0);
    EXPECT_TRUE(std::filesystem::exists(folder.File("new.exif")));
}

TEST(ASafeReplacement, ThatFailsLeavesTheOriginalAndNoTemporaryFile) {
    CTempDir folder;
    const std::string blocked = folder.File("folder.jpg");
    std::filesystem::create_directory(blocked);
    WriteTextFile(folder.File("folder.jpg/keep"), "kept");
    EXPECT_THROW(ReplaceFileSafely(blocked, "x", 1), CFileException);
    EXPECT_EQ(ReadTextFile(folder.File("folder.jpg/keep")), "kept");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    EXPECT_THROW(ReplaceFileSafely(folder.File("no/such/file.jpg"), "x", 1), CFileException);
}

TEST(ASafeReplacement, WritesTheFileBehindASymbolicLinkAndKeepsTheLink) {
    CTempDir folder;
    WriteTextFile(folder.File("photo.jpg"), "old");
    std::filesystem::create_symlink("photo.jpg", folder.File("link.jpg"));
    ReplaceFileSafely(folder.File("link.jpg"), "new", 3);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.jpg")));
    EXPECT_EQ(ReadTextFile(folder.File("photo.jpg")), "new");
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}

// Refused by the mode bits, so that root, whom the system lets write, is refused too.
TEST(ASafeReplacement, RefusesAReadOnlyFileOrFolderAndSaysWhich) {
    CTempDir folder;
    const std::string photo = folder.File("photo.jpg");
    WriteTextFile(photo, "old");
    ::chmod(photo.c_str(), 0444);
    const CWriteOutcome file = WriteFileSafely(photo, "new", 3);
    EXPECT_EQ(file.failure, "read-only file, left as it was: " + photo);
    EXPECT_EQ(ReadTextFile(photo), "old");
    ::chmod(folder.Path().c_str(), 0555);
    const CWriteOutcome inFolder = WriteFileSafely(folder.File("new.exif"), "x", 1);
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(inFolder.failure,
              "read-only folder, nothing written in it: " + folder.Path().string());
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

}  // namespace
