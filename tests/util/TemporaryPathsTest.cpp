#include "util/TemporaryPaths.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

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

// A worker creating work files while a signal ends the process must not keep
// the scratch folder alive.
TEST(TheTemporaryRecord, RemovesAScratchFolderWhileFilesAreStillCreatedInIt) {
    CTempDir folder;
    for (int round = 0; round < 20; ++round) {
        std::string scratch = folder.File("scratch-XXXXXX");
        ASSERT_TRUE(CreateTemporaryFolder(scratch));
        std::atomic<bool> started = false;
        std::thread worker([&scratch, &started] {
            for (int file = 0; file < 100000; ++file) {
                std::ofstream out(scratch + "/work" + std::to_string(file));
                started = true;
                if (!out) {
                    return;
                }
            }
        });
        while (!started) {
            std::this_thread::yield();
        }
        RemoveAllTemporaryPaths().unlock();
        worker.join();
        EXPECT_FALSE(std::filesystem::exists(scratch)) << "round " << round;
    }
}

}  // namespace
