#include "util/FileFailure.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <set>
#include <stdexcept>
#include <string>

#include "util/FileError.h"

namespace {

struct CErrnoCase {
    int systemError;
    EFileFailure cause;
};

const CErrnoCase kErrnoCases[] = {
    {EROFS, EFileFailure::ReadOnlyDrive},   {EACCES, EFileFailure::NoPermission},
    {EPERM, EFileFailure::NoPermission},    {ENOSPC, EFileFailure::DiskFull},
    {EDQUOT, EFileFailure::DiskFull},       {ENAMETOOLONG, EFileFailure::NameTooLong},
    {ENOENT, EFileFailure::Missing},        {ENOTDIR, EFileFailure::FileInPath},
    {EISDIR, EFileFailure::NotRegularFile}, {ENXIO, EFileFailure::NotRegularFile},
    {EIO, EFileFailure::Unknown},           {0, EFileFailure::Unknown},
};

TEST(AFileFailure, NamesTheCauseBehindEachSystemError) {
    for (const CErrnoCase& row : kErrnoCases) {
        EXPECT_EQ(FileFailureOf(row.systemError), row.cause) << row.systemError;
    }
}

// One sentence per cause, none in English and none alike: a read-only photo
// must never read as a full disk.
TEST(AFileFailure, GivesEveryCauseItsOwnJapaneseSentence) {
    const EFileFailure causes[] = {EFileFailure::ReadOnlyFile,   EFileFailure::ReadOnlyFolder,
                                   EFileFailure::ReadOnlyDrive,  EFileFailure::NoPermission,
                                   EFileFailure::DiskFull,       EFileFailure::NameTooLong,
                                   EFileFailure::Missing,        EFileFailure::FileInPath,
                                   EFileFailure::NotRegularFile, EFileFailure::Unknown};
    std::set<std::string> texts;
    for (EFileFailure cause : causes) {
        const std::string text = FileFailureText(cause);
        EXPECT_EQ(text.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << text;
        EXPECT_TRUE(text.ends_with("。")) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(causes));
    EXPECT_NE(std::string(FileFailureText(EFileFailure::DiskFull)).find("ﾃﾞｨｽｸ"),
              std::string::npos);
}

TEST(AFileFailure, PutsThePathFirstAndTheNumberOfAnUnknownError) {
    EXPECT_EQ(CFileException("/p/a.jpg", ENOENT).what(), std::string("/p/a.jpgが見つかりません。"));
    EXPECT_EQ(CFileException("/p/a.jpg", EIO).what(),
              std::string("/p/a.jpgの読み書きに失敗しました。(ｴﾗｰ番号 5)"));
}

TEST(AnErrorText, IsTheFileFailureItselfOrAJapaneseSentence) {
    EXPECT_EQ(ErrorTextFor(CFileException("/p", EFileFailure::Missing)), "/pが見つかりません。");
    EXPECT_EQ(ErrorTextFor(std::bad_alloc()).find("ﾒﾓﾘが足りません。"), 0u);
    EXPECT_EQ(ErrorTextFor(std::runtime_error("clue")), "予期しないｴﾗｰが発生しました。(clue)");
}

}  // namespace
