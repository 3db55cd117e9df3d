#include "optimise/Optimiser.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileHelpers.h"

namespace {

// The wizard's texts: the log names the work copy and the lines end as its page shows them.
class AWizardOptimisation : public ::testing::Test {
protected:
    AWizardOptimisation() {
        work = MakeWorkFiles(folder.File(""), folder.File(""));
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        recipe.comment = "x";
        WriteFile(work.m_strTempData, MakeJpeg(recipe));
        DecodeJpegToPacked(work.m_strTempData, reference);
    }

    CTempDir folder;
    CWorkFiles work;
    CMemorySettingsStore settings;
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CPackedPicture reference;
    const CPictureReference check{reference};
    COptimiser optimiser{EOptimiseForm::Wizard, work, settings, kept};
};

TEST_F(AWizardOptimisation, ReportsTheExifRemovalAndTheOptimisationInItsOwnWords) {
    optimiser.SetReference(&check);
    CExifEngine exif("/nonexistent/exif_inf.pdt", "");
    CExifCutSizes sizes;
    ASSERT_EQ(exif.CutExifToFile(work.m_strTempData, work.m_strExifDat, sizes), EExifResult::Done);
    std::string log;
    const std::string name = work.m_strTempData;
    ASSERT_TRUE(optimiser.ReportExifRemoval(name, EExifReportMode::Removed, 1000, 600, log));
    EXPECT_EQ(log, name +
                       "の調査を完了しました。\r\nExif情報を削除しました。\r\n"
                       "1000 ﾊﾞｲﾄが 600 ﾊﾞｲﾄになりました...\r\n"
                       "400 ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。\r\n\r\n"
                       "続いてJPEGの検査を行います...\r\n"
                       "Exif情報を削除したJPEGは処理前と同様に表示されます。\r\n\r\n");

    CHedThread record;
    record.m_strFileName = work.m_strTempData;
    ASSERT_TRUE(ScanJpegHeaders(record));
    log.clear();
    EXPECT_EQ(optimiser.OptimiseWorkFile(name, record, log), EOptimiseResult::Verified);
    EXPECT_NE(log.find("不必要なJPEGﾍｯﾀﾞ情報削除を完了しました。\r\n"), std::string::npos);
    EXPECT_NE(log.find("ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n\r\n"),
              std::string::npos);
    EXPECT_TRUE(log.ends_with(
        "最適化したJPEGは処理前と同様に表示されます。\r\n\r\n"
        "念のため、「修正結果を確認」のﾎﾞﾀﾝを押して、ｲﾒｰｼﾞの確認をおすすめします。\r\n"))
        << log;
    EXPECT_TRUE(record.m_Obj.empty());
}

TEST_F(AWizardOptimisation, StopsWhenTheWorkCopyNoLongerShowsThePicture) {
    CJpegRecipe other;
    other.width = 30;
    WriteFile(folder.File("other.jpg"), MakeJpeg(other));
    CPackedPicture otherPicture;
    ASSERT_TRUE(DecodeJpegToPacked(folder.File("other.jpg"), otherPicture));
    const CPictureReference otherCheck(otherPicture);
    optimiser.SetReference(&otherCheck);
    std::string log;
    EXPECT_FALSE(optimiser.ReportExifRemoval("w", EExifReportMode::Removed, 10, 5, log));
    EXPECT_TRUE(optimiser.ExifRemovalFailedCheck());
    EXPECT_NE(log.find("wはExif情報を正常に削除できませんでした。\r\n\r\n"
                       "この画像は上級者 - ｳｨｻﾞｰﾄﾞをご利用下さい。\r\n"),
              std::string::npos);
    log.clear();
    EXPECT_FALSE(optimiser.ReportExifRemoval("w", EExifReportMode::RemovalForbidden, 10, 5, log));
    EXPECT_EQ(log,
              "wの調査を完了しました。\r\nExif情報を見つけました!\r\n"
              "ｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。終了します。\r\n");
}

}  // namespace
