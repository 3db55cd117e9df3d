#include "util/TemporaryPaths.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(TheTemporaryRecord, RemovesWhatIsRecordedButNeverAFileRenamedOverAUsersFile) {
    CTempDir folder;
    std::string scratch = folder.File("scratch-XXXXXX");
    ASSERT_TRUE(CreateTemporaryFolder(scratch));
    WriteTextFile(scratch + "/tempdata.jpg", "copy of a photo");
    std::string partial = folder.File("a.jpg.kestrin-XXXXXX");
    ::close(CreateTemporaryFile(partial));
    std::string written = folder.File("b.jpg.kestrin-XXXXXX");
    ::close(CreateTemporaryFile(written));
    ASSERT_EQ(RenameTemporaryOver(written, folder.File("b.jpg")), 0);

    RemoveAllTemporaryPaths().unlock();
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_FALSE(std::filesystem::exists(partial));
    EXPECT_TRUE(std::filesystem::exists(folder.File("b.jpg")));
}

}  // namespace
