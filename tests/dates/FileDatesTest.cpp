#include <gtest/gtest.h>

#include "dates/FileDateBatch.h"
#include "dates/FileTimes.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/ShellNotify.h"

namespace {

std::tm LocalOf(const timespec& time) {
    std::tm local{};
    ::localtime_r(&time.tv_sec, &local);
    return local;
}

TEST(ALocalMoment, IsTheChosenMinuteWithZeroSeconds) {
    const std::optional<CFileTimes> times = TimesAtLocalMoment(2003, 5, 10, 7, 5);
    ASSERT_TRUE(times);
    const std::tm local = LocalOf(times->modification);
    EXPECT_EQ(local.tm_year, 103);
    EXPECT_EQ(local.tm_mon, 4);
    EXPECT_EQ(local.tm_mday, 10);
    EXPECT_EQ(local.tm_hour, 7);
    EXPECT_EQ(local.tm_min, 5);
    EXPECT_EQ(local.tm_sec, 0);
    EXPECT_EQ(times->access.tv_sec, times->modification.tv_sec);
}

TEST(ALocalMoment, ThatDoesNotExistIsRefused) {
    EXPECT_FALSE(TimesAtLocalMoment(2003, 2, 31, 0, 0));
    EXPECT_FALSE(TimesAtLocalMoment(2003, 13, 1, 0, 0));
}

class AFileDateBatch : public ::testing::Test {
protected:
    CTempDir folder;
    CMemorySettingsStore settings;
    CFileTimes moment = *TimesAtLocalMoment(2003, 5, 10, 7, 5);
};

TEST_F(AFileDateBatch, SetsTheTimesOfEveryFileOfAnyKind) {
    const std::string picture = folder.File("a.jpg");
    const std::string text = folder.File("notes.txt");
    WriteTextFile(picture, "jpeg");
    WriteTextFile(text, "text");
    const int noticesBefore = FileManagerNoticeCount(EShellNotice::AssociationsChanged);
    const auto failed = CFileDateBatch(settings).Apply({picture, text}, moment);
    EXPECT_TRUE(failed.empty());
    for (const std::string& path : {picture, text}) {
        const std::optional<CFileTimes> times = ReadFileTimes(path);
        ASSERT_TRUE(times);
        EXPECT_EQ(times->modification.tv_sec, moment.modification.tv_sec) << path;
        EXPECT_EQ(times->access.tv_sec, moment.access.tv_sec) << path;
    }
    EXPECT_EQ(FileManagerNoticeCount(EShellNotice::AssociationsChanged), noticesBefore + 1);
}

TEST_F(AFileDateBatch, GoesOnAfterAFileThatCannotBeChangedAndNamesIt) {
    const std::string present = folder.File("b.jpg");
    WriteTextFile(present, "jpeg");
    settings.Write(settings::kExpChk, 1);
    const int noticesBefore = FileManagerNoticeCount(EShellNotice::AssociationsChanged);
    const auto failed = CFileDateBatch(settings).Apply({folder.File("gone.jpg"), present}, moment);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].path, folder.File("gone.jpg"));
    EXPECT_EQ(UnchangedTimesLine(failed[0].path, failed[0].written),
              folder.File("gone.jpg") + "が見つかりません。");
    EXPECT_EQ(ReadFileTimes(present)->modification.tv_sec, moment.modification.tv_sec);
    EXPECT_EQ(FileManagerNoticeCount(EShellNotice::AssociationsChanged), noticesBefore)
        << "expchk 1 keeps the file manager uninformed";
}

// ext4 holds 1901 to 2446 and clamps silently; other file systems hold more.
// Either way the file ends with the asked moment or with its old times.
TEST_F(AFileDateBatch, LeavesAFileItsOldTimesWhenItsFileSystemCannotHoldTheMoment) {
    const std::string path = folder.File("a.jpg");
    WriteTextFile(path, "jpeg");
    const CFileTimes old = *ReadFileTimes(path);
    for (const int year : {0, 1900, 9999}) {
        const CFileTimes asked = *TimesAtLocalMoment(year, 1, 1, 0, 0);
        const CTimesWritten written = SetFileTimesChecked(path, asked);
        const timespec now = ReadFileTimes(path)->modification;
        if (written.result == CTimesWritten::EResult::Set) {
            EXPECT_EQ(now.tv_sec, asked.modification.tv_sec) << year;
            WriteFileTimes(path, old);
        } else {
            EXPECT_EQ(written.result, CTimesWritten::EResult::NotHeld) << year;
            EXPECT_NE(written.stored.tv_sec, asked.modification.tv_sec) << year;
            EXPECT_EQ(now.tv_sec, old.modification.tv_sec) << year;
        }
    }
}

}  // namespace
