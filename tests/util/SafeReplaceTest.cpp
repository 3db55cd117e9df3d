#include "util/SafeReplace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
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

struct CFailureCase {
    const char* name;
    // Writes or copies in a folder that holds p.jpg with "old" in it.
    std::function<CWriteOutcome(const CTempDir&)> attempt;
    EFileFailure cause;
    // The path the message names, after the folder's.
    std::string named;
    std::string why;
};

const std::string kLongName = "/" + std::string(245, 'n') + ".jpg";

// Refused by the mode bits, so that root, whom the system lets write, is refused too.
const CFailureCase kFailureCases[] = {
    {"ReadOnlyFile",
     [](const CTempDir& folder) {
         ::chmod(folder.File("p.jpg").c_str(), 0444);
         return WriteFileSafely(folder.File("p.jpg"), "new", 3);
     },
     EFileFailure::ReadOnlyFile, "/p.jpg", "は読み取り専用のﾌｧｲﾙです。変更せずに残しました。"},
    {"ReadOnlyFolder",
     [](const CTempDir& folder) {
         ::chmod(folder.Path().c_str(), 0555);
         return WriteFileSafely(folder.File("new.exif"), "x", 1);
     },
     EFileFailure::ReadOnlyFolder, "", "は書き込みできないﾌｫﾙﾀﾞです。何も書き込みませんでした。"},
    // The file exists, but the temporary name beside it is longer than allowed.
    {"NameTooLong",
     [](const CTempDir& folder) {
         WriteTextFile(folder.Path().string() + kLongName, "old");
         return WriteFileSafely(folder.Path().string() + kLongName, "new", 3);
     },
     EFileFailure::NameTooLong, kLongName, "は名前が長すぎるため、書き込めません。"},
    {"MissingFolder",
     [](const CTempDir& folder) { return WriteFileSafely(folder.File("no/p.jpg"), "x", 1); },
     EFileFailure::Missing, "/no/p.jpg", "が見つかりません。"},
    {"MissingSource",
     [](const CTempDir& f) { return CopyFileSafely(f.File("gone.jpg"), f.File("p.jpg")); },
     EFileFailure::Missing, "/gone.jpg", "が見つかりません。"},
    {"FileInPath",
     [](const CTempDir& folder) { return WriteFileSafely(folder.File("p.jpg/q.jpg"), "x", 1); },
     EFileFailure::FileInPath, "/p.jpg/q.jpg", "のﾊﾟｽの途中にﾌｫﾙﾀﾞではないﾌｧｲﾙがあります。"},
    {"Folder",
     [](const CTempDir& folder) {
         std::filesystem::create_directory(folder.File("album.jpg"));
         return WriteFileSafely(folder.File("album.jpg"), "x", 1);
     },
     EFileFailure::NotRegularFile, "/album.jpg", "は通常のﾌｧｲﾙではありません。"},
};

class AFailedReplacement : public ::testing::TestWithParam<CFailureCase> {};

TEST_P(AFailedReplacement, NamesItsRealCauseAndLeavesNoTemporaryFile) {
    const CFailureCase& row = GetParam();
    CTempDir folder;
    WriteTextFile(folder.File("p.jpg"), "old");
    const CWriteOutcome outcome = row.attempt(folder);
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(outcome.cause, row.cause);
    EXPECT_EQ(outcome.failure, folder.Path().string() + row.named + row.why);
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().string().find(".kestrin-"), std::string::npos) << entry.path();
        if (entry.is_regular_file()) {
            EXPECT_EQ(ReadTextFile(entry.path().string()), "old");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Causes, AFailedReplacement, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The advice to check the disk only where the disk may be the cause.
TEST(ACopyFailedMessage, AdvisesCheckingTheDiskOnlyWhenItMayBeFull) {
    const struct {
        EFileFailure cause;
        const char* first;
    } rows[] = {
        {EFileFailure::DiskFull, "ﾌｧｲﾙｺﾋﾟｰに失敗しました。ﾃﾞｨｽｸ容量を確認して下さい"},
        {EFileFailure::Unknown, "ﾌｧｲﾙｺﾋﾟｰに失敗しました。ﾃﾞｨｽｸ容量を確認して下さい"},
        {EFileFailure::ReadOnlyFile, "ﾌｧｲﾙｺﾋﾟｰに失敗しました。"},
        {EFileFailure::NameTooLong, "ﾌｧｲﾙｺﾋﾟｰに失敗しました。"},
        {EFileFailure::Missing, "ﾌｧｲﾙｺﾋﾟｰに失敗しました。"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CopyFailedMessage({"why", row.cause}), std::string(row.first) + "\r\nwhy");
    }
}

}  // namespace
