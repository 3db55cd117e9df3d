// A dropped folder stands for the JPEG files below it, in name order.
#include "util/DroppedFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

class ADroppedFolder : public ::testing::Test {
protected:
    std::string Make(const std::string& name) {
        fs::create_directories(fs::path(folder.File(name)).parent_path());
        WriteTextFile(folder.File(name), "x");
        return folder.File(name);
    }

    CTempDir folder;
};

TEST_F(ADroppedFolder, StandsForItsJpegFilesDepthFirstInNameOrderPassingOverLinks) {
    Make("top/b.jpg");
    Make("top/a.JPG");
    Make("top/sub/deeper/d.jpg");
    Make("top/sub/c.jpg");
    Make("top/sub-x.jpg");
    Make("top/notes.txt");
    Make("top/long.jpeg");
    fs::create_directory(folder.File("top/empty"));
    fs::create_directory_symlink(folder.File("top"), folder.File("top/loop"));
    fs::create_symlink(folder.File("top/b.jpg"), folder.File("top/link.jpg"));
    ASSERT_EQ(::mkfifo(folder.File("top/pipe.jpg").c_str(), 0600), 0);
    fs::create_directory(folder.File("none"));
    Make("none/readme.txt");
    const std::string loose = Make("loose.jpg");

    const std::vector<std::string> dropped = {folder.File("top"), loose, folder.File("none"),
                                              folder.File("gone")};
    // "sub" sorts before "sub-x.jpg" as a name, though "sub/" would not as a path.
    const std::vector<std::string> expected = {
        folder.File("top/a.JPG"),     folder.File("top/b.jpg"),
        folder.File("top/sub/c.jpg"), folder.File("top/sub/deeper/d.jpg"),
        folder.File("top/sub-x.jpg"), loose,
        folder.File("none"),          folder.File("gone")};
    EXPECT_EQ(ExpandDroppedFolders(dropped), expected);
    EXPECT_EQ(ExpandDroppedFolders(expected), expected) << "a second expansion changes nothing";
    EXPECT_EQ(ExpandDroppedFolders({folder.File("top/loop/sub")}),
              (std::vector<std::string>{folder.File("top/loop/sub/c.jpg"),
                                        folder.File("top/loop/sub/deeper/d.jpg")}))
        << "a link named itself is followed";
    EXPECT_TRUE(IsFolder(folder.File("none")));
    EXPECT_FALSE(IsFolder(loose));
}

}  // namespace
