#include "optimise/BatchOptimiser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "exif/ExifBlock.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureCheck.h"
#include "imaging/SampleDigest.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/BatchTranscript.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TestFiles.h"
#include "util/ShellNotify.h"

namespace {

CJpegRecipe CameraRecipe() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "Camera 1";
    recipe.trailer = {0x00, 0x11, 0x22};
    return recipe;
}

// jpeg with the precision of its picture (the last start-of-frame segment;
// the thumbnail's comes first) set to 12 bits, which this build cannot
// decode: every other step of the batch goes on with it as with any file.
std::vector<uint8_t> Undecodable(std::vector<uint8_t> jpeg) {
    const uint8_t frame[] = {0xFF, 0xC0};
    const auto at = std::find_end(jpeg.begin(), jpeg.end(), std::begin(frame), std::end(frame));
    at[4] = 12;
    return jpeg;
}

// Everything in folder but the work files.
CFolderSnapshot UserFiles(const CTempDir& folder) {
    CFolderSnapshot files = FolderSnapshot(folder.Path());
    std::erase_if(files,
                  [&](const auto& file) { return file.first.starts_with(folder.File("work")); });
    return files;
}

class ABatchOptimiser : public CBatchFixture {
protected:
    std::string Picture(const std::string& name, const CJpegRecipe& recipe) {
        return Place(name, MakeJpeg(recipe));
    }

    CBatchOptimiser& Run(const std::vector<std::string>& paths) {
        batch = std::make_unique<CBatchOptimiser>(work, settings, keptCodes);
        transcript.Follow(*batch);
        batch->Drop(paths);
        batch->RunQueue();
        return *batch;
    }

    // Decodes both files and compares their pixels.
    static bool SamePicture(const std::string& a, const std::string& b) {
        CPackedPicture reference;
        return DecodeJpegToPacked(a, reference) &&
               VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, b);
    }

    std::unique_ptr<CBatchOptimiser> batch;
    CBatchTranscript transcript;
};

TEST_F(ABatchOptimiser, SavesTheExifBlockAndTheOptimisedPictureWithTheFullLog) {
    const std::string dropped = Picture("a.jpg", CameraRecipe());
    const ByteVector original = ReadFile(dropped);
    const std::optional<CExifCut> cut = CutExifSegment(original);
    ASSERT_TRUE(cut);
    const std::string exifName = folder.File("a_kestrin100.exif");
    const std::string output = folder.File("a_kestrin100.jpg");
    const int64_t afterCut = static_cast<int64_t>(cut->remainder.size());
    const int64_t commentBytes = 2 + 2 + 8;
    const int64_t trailerBytes = 3;
    const int64_t optimised = afterCut - commentBytes - trailerBytes;

    CBatchOptimiser& result = Run({dropped});
    EXPECT_EQ(transcript.log,
              dropped +
                  "の調査を完了しました。\r\n"
                  "Exif情報を見つけたので削除しました。\r\n" +
                  std::to_string(original.size()) + " ﾊﾞｲﾄが " + std::to_string(afterCut) +
                  " ﾊﾞｲﾄになりました...\r\n" + std::to_string(original.size() - afterCut) +
                  " ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。\r\n"
                  "続いてJPEGの検査を行います...\r\n"
                  "Exif情報を削除したJPEGは処理前と同様に表示されます。\r\n" +
                  exifName + "へExif情報を保存しました。\r\n" + output +
                  "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n" + dropped +
                  "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n"
                  "不明な独自情報は見つかりませんでした...\r\n"
                  "ﾍｯﾀﾞ FFFE の次の情報を削除... ..Camera.1\r\n"
                  "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n" +
                  std::to_string(afterCut) + " ﾊﾞｲﾄが " + std::to_string(optimised) +
                  " ﾊﾞｲﾄになりました...\r\n" + std::to_string(afterCut - optimised) +
                  " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n"
                  "続いて最適化したJPEGの検査を行います...\r\n"
                  "最適化したJPEGは処理前と同様に表示されます。\r\n" +
                  output + "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n");
    EXPECT_EQ(ReadFile(exifName), cut->block) << "the backup is the APP1 segment byte for byte";
    EXPECT_EQ(static_cast<int64_t>(ReadFile(output).size()), optimised);
    EXPECT_TRUE(SamePicture(dropped, output));
    EXPECT_EQ(ReadFile(dropped), original) << "the dropped file is only read";
    EXPECT_EQ(result.BytesBefore(), afterCut);
    EXPECT_EQ(result.BytesAfter(), optimised);
    EXPECT_EQ(transcript.outcomes, std::vector<EFileOutcome>{EFileOutcome::Optimised});
}

TEST_F(ABatchOptimiser, WithAnEmptyNameReplacesTheFileAndKeepsItsTimes) {
    settings.Write(settings::kFileName, "");
    const std::string dropped = Picture("b.jpg", CameraRecipe());
    const ByteVector original = ReadFile(dropped);
    CFileTimes old = *TimesAtLocalMoment(2001, 2, 3, 4, 5);
    WriteFileTimes(dropped, old);
    Run({dropped});
    EXPECT_LT(ReadFile(dropped).size(), original.size());
    const std::string copy = folder.File("original.jpg");
    WriteFile(copy, original);
    EXPECT_TRUE(SamePicture(copy, dropped));
    EXPECT_EQ(ReadFileTimes(dropped)->modification.tv_sec, old.modification.tv_sec);
    EXPECT_NE(transcript.log.find(dropped + "へ上書きしました。\r\n\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("b_kestrin100.jpg")));
}

TEST_F(ABatchOptimiser, LeavesTheFileAndItsTimesWhenTheReplacementCannotBeWritten) {
    settings.Write(settings::kFileName, "");
    settings.Write(settings::kSaveExif, 0);
    // The temporary file beside it would need a name longer than the file system allows.
    const std::string dropped = Picture(std::string(240, 'n') + ".jpg", CameraRecipe());
    const ByteVector original = ReadFile(dropped);
    CFileTimes old = *TimesAtLocalMoment(2001, 2, 3, 4, 5);
    WriteFileTimes(dropped, old);
    Run({dropped});
    EXPECT_EQ(ReadFile(dropped), original);
    EXPECT_EQ(ReadFileTimes(dropped)->modification.tv_sec, old.modification.tv_sec);
    EXPECT_EQ(messages, std::vector<std::string>{"ﾌｧｲﾙｺﾋﾟｰに失敗しました。\r\n" + dropped +
                                                 "は名前が長すぎるため、書き込めません。"});
    EXPECT_EQ(transcript.outcomes, std::vector<EFileOutcome>{EFileOutcome::Failed});
}

// The result is written after the scan; a failed write must still end the
// file as a failed save of the Exif-free copy did: its log stops there and
// the file counts in no total.
TEST_F(ABatchOptimiser, EndsTheLogAndCountsNothingWhenTheResultCannotBeWritten) {
    settings.Write(settings::kFileName, "");
    settings.Write(settings::kSaveExif, 0);
    const std::string dropped = Picture(std::string(240, 'm') + ".jpg", CameraRecipe());
    const ByteVector original = ReadFile(dropped);
    const int64_t afterCut = static_cast<int64_t>(CutExifSegment(original)->remainder.size());
    const int64_t size = static_cast<int64_t>(original.size());
    Run({dropped});
    EXPECT_EQ(transcript.log, dropped +
                                  "の調査を完了しました。\r\n"
                                  "Exif情報を見つけたので削除しました。\r\n" +
                                  std::to_string(size) + " ﾊﾞｲﾄが " + std::to_string(afterCut) +
                                  " ﾊﾞｲﾄになりました...\r\n" + std::to_string(size - afterCut) +
                                  " ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。\r\n"
                                  "続いてJPEGの検査を行います...\r\n"
                                  "Exif情報を削除したJPEGは処理前と同様に表示されます。\r\n"
                                  "ｼｽﾃﾑの設定でExif情報は保存しません。\r\n" +
                                  dropped + "は名前が長すぎるため、書き込めません。\r\n\r\n")
        << "a failed write says why";
    EXPECT_EQ(batch->BytesBefore(), 0);
    EXPECT_EQ(batch->BytesAfter(), 0);
    EXPECT_EQ(ReadFile(dropped), original);
}

TEST_F(ABatchOptimiser, NeverReplacesAnExistingBackupWithoutOverwrite) {
    const std::string dropped = Picture("c.jpg", CameraRecipe());
    const std::string exifName = folder.File("c_kestrin100.exif");
    WriteTextFile(exifName, "an older backup");
    Run({dropped});
    EXPECT_EQ(ReadTextFile(exifName), "an older backup");
    EXPECT_NE(transcript.log.find(exifName + "というﾌｧｲﾙは存在します。処理を停止します。\r\n\r\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("c_kestrin100.jpg")));
    EXPECT_EQ(batch->BytesBefore(), 0) << "the file was not scanned";

    settings.Write(settings::kOverwrite, 1);
    Run({dropped});
    EXPECT_EQ(ReadFile(exifName), CutExifSegment(ReadFile(dropped))->block);
    EXPECT_NE(transcript.log.find(exifName + "というﾌｧｲﾙは存在します。上書きします。\r\n"),
              std::string::npos);
}

TEST_F(ABatchOptimiser, SavesNoBackupWhenTheSettingSaysSo) {
    settings.Write(settings::kSaveExif, 0);
    settings.Write(settings::kExifName, "_copy");
    const std::string dropped = Picture("d.jpg", CameraRecipe());
    Run({dropped});
    EXPECT_NE(transcript.log.find("ｼｽﾃﾑの設定でExif情報は保存しません。\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("d_copy.exif")));
    EXPECT_TRUE(SamePicture(dropped, folder.File("d_kestrin100.jpg")));
}

TEST_F(ABatchOptimiser, LeavesAFileWithExifAloneWhenDeletingExifIsForbidden) {
    settings.Write(settings::kDelExif, 0);
    const std::string dropped = Picture("e.jpg", CameraRecipe());
    Run({dropped});
    EXPECT_EQ(transcript.log, dropped +
                                  "の調査を完了しました。\r\nExif情報を見つけました!\r\n"
                                  "ｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。"
                                  "終了します。\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("e_kestrin100.jpg")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("e_kestrin100.exif")));
}

TEST_F(ABatchOptimiser, ReportsAnExistingOutputAndStillCountsTheFile) {
    CJpegRecipe recipe;
    recipe.comment = "no exif here";
    const std::string dropped = Picture("f.jpg", recipe);
    WriteTextFile(folder.File("f_kestrin100.jpg"), "someone else's file");
    Run({dropped});
    EXPECT_NE(transcript.log.find(folder.File("f_kestrin100.jpg") +
                                  "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadTextFile(folder.File("f_kestrin100.jpg")), "someone else's file");
    EXPECT_GT(batch->BytesBefore(), batch->BytesAfter());
}

TEST_F(ABatchOptimiser, SkipsAnUnreadableFileUnlessDamageIsAllowed) {
    const std::string broken = folder.File("broken.jpg");
    WriteFile(broken, BytesFromHex("FFD8FFE000040000FFD9"));
    Run({broken});
    EXPECT_EQ(transcript.log, broken + "は読み込めません...\r\n\r\n");
    settings.Write(settings::kDamage, 1);
    Run({broken});
    EXPECT_NE(transcript.log.find(broken + "の調査を開始します。"), std::string::npos);
}

TEST_F(ABatchOptimiser, FindsNothingToRemoveInAMinimalFile) {
    CJpegRecipe recipe;
    recipe.jfif = false;
    const std::string dropped = Picture("g.jpg", recipe);
    Run({dropped});
    EXPECT_NE(
        transcript.log.find("このJPEGには不必要なﾃﾞｰﾀは見つかりませんでした。優秀なJPEG画像です。"
                            "終了します。\r\n\r\n"),
        std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("g_kestrin100.jpg")));
    EXPECT_EQ(transcript.outcomes, std::vector<EFileOutcome>{EFileOutcome::NothingToRemove});
}

TEST_F(ABatchOptimiser, ProcessesDroppedFilesInOrderAndTellsTheFileManagerAtTheEnd) {
    const std::string first = Picture("h1.jpg", CameraRecipe());
    const std::string second = Picture("h2.jpg", CameraRecipe());
    const int notices = FileManagerNoticeCount(EShellNotice::FolderUpdated);
    Run({first, second});
    EXPECT_LT(transcript.log.find(first + "の調査を開始"),
              transcript.log.find(second + "の調査を開始"));
    EXPECT_EQ(FileManagerNoticeCount(EShellNotice::FolderUpdated), notices + 1);
    settings.Write(settings::kExpChk, 1);
    Run({});
    EXPECT_EQ(FileManagerNoticeCount(EShellNotice::FolderUpdated), notices + 1);
}

TEST_F(ABatchOptimiser, StopsTheWholeBatchWhenAScanIsCancelled) {
    const std::string a = Picture("i1.jpg", CameraRecipe());
    const std::string b = Picture("i2.jpg", CameraRecipe());
    const std::string c = Picture("i3.jpg", CameraRecipe());
    CBatchOptimiser optimiser(work, settings, keptCodes);
    transcript.Follow(optimiser);
    optimiser.Drop({a, b, c});
    ASSERT_TRUE(optimiser.PrepareNextScan());
    ScanJpegHeaders(optimiser.Record());
    optimiser.FinishScan(optimiser.Record().m_nStatus);
    ASSERT_TRUE(optimiser.PrepareNextScan());
    EXPECT_FALSE(optimiser.Drop({a})) << "no drop while a scan runs";
    optimiser.Record().m_bCancel = 1;
    ScanJpegHeaders(optimiser.Record());
    optimiser.FinishScan(optimiser.Record().m_nStatus);
    EXPECT_FALSE(optimiser.PrepareNextScan());
    EXPECT_TRUE(std::filesystem::exists(folder.File("i1_kestrin100.jpg")));
    EXPECT_EQ(transcript.log.find(c), std::string::npos) << "the third file was not touched";
    EXPECT_NE(transcript.log.find("ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました...\r\n"),
              std::string::npos);
}

// Whether the original decodes is learnt in its first check, or as the file
// ends where none runs: on every path, one that does not ends as when that
// decode came first, with that one line, nothing written, nothing counted.
TEST_F(ABatchOptimiser, EndsAnUndecodableOriginalAsUnreadableOnEveryPath) {
    CJpegRecipe commented;
    commented.comment = "no Exif";
    CJpegRecipe plain;
    plain.jfif = false;
    const struct {
        CJpegRecipe recipe;
        const char* key;  // a setting to write, or nullptr
        const char* value;
        bool dryRun, digests, backupExists;
    } rows[] = {
        {CameraRecipe(), nullptr, "", false, false, false},  // Exif-free copy checked last
        {CameraRecipe(), "del_exif", "0", false, false, false},
        {CameraRecipe(), "filename", "", true, true, false},  // a dry run over the file
        {CameraRecipe(), nullptr, "", false, false, true},    // Exif-free copy checked first
        {commented, "filename", "", false, false, false},
        {plain, nullptr, "", false, true, false},  // nothing to remove, no check
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const std::string stem = "u" + std::to_string(i);
        const std::string dropped = Place(stem + ".jpg", Undecodable(MakeJpeg(rows[i].recipe)));
        if (rows[i].backupExists) {
            WriteTextFile(folder.File(stem + "_kestrin100.exif"), "an older backup");
        }
        CMemorySettingsStore rowSettings;
        if (rows[i].key != nullptr) {
            rowSettings.WriteProfileString(settings::kSectionSettings, rows[i].key, rows[i].value);
        }
        CBatchOptimiser optimiser(work, rowSettings, keptCodes);
        optimiser.KeepNoWorkFiles();
        if (rows[i].digests) {
            optimiser.ComputeDigests();
        }
        CSavingRule rule;
        rule.m_bDryRun = rows[i].dryRun;
        const CFolderSnapshot before = UserFiles(folder);
        const CFileResult result = optimiser.OptimiseFile(dropped, rule);
        EXPECT_EQ(result.m_strLog, dropped + "は読み込めません...\r\n\r\n") << i;
        EXPECT_EQ(result.m_eOutcome, EFileOutcome::Failed) << i;
        EXPECT_EQ(result.m_strReason, "not a JPEG file that decodes") << i;
        EXPECT_EQ(result.m_nInputBytes, static_cast<int64_t>(ReadFile(dropped).size())) << i;
        EXPECT_TRUE(result.m_eCheck == ECheckKind::None && !result.m_pixels &&
                    result.m_removed.empty() && result.m_strOutput.empty() &&
                    result.m_strExifBackup.empty())
            << i;
        EXPECT_EQ(optimiser.BytesBefore() + optimiser.BytesAfter(), 0) << i;
        EXPECT_EQ(UserFiles(folder), before) << i;
    }
    // The window shows a file's lines as it goes, but none that might not stand.
    const std::string shown = Place("w.jpg", Undecodable(MakeJpeg(CameraRecipe())));
    CBatchOptimiser window(work, settings, keptCodes);
    window.Drop({shown});
    ASSERT_TRUE(window.PrepareNextScan());
    EXPECT_EQ(window.FileLog(), "");
}

// A list changed while a file is scanned counts from the next file on: the
// file ends as it would have under the list it started with, whatever the
// change (the scan already joined pieces for that list).
TEST_F(ABatchOptimiser, EndsAFileByTheListItStartedWith) {
    CJpegRecipe recipe;
    recipe.comment = "to remove";
    recipe.restartRows = 1;
    const std::string dropped = Picture("r.jpg", recipe);
    for (const char* change : {"FFDA", "FFD0", "FF00"}) {
        std::vector<std::string> list = keptCodes;
        CBatchOptimiser changed(work, settings, list);
        CBatchTranscript seen;
        seen.Follow(changed);
        changed.Drop({dropped});
        ASSERT_TRUE(changed.PrepareNextScan());
        std::erase(list, change);
        ScanJpegHeaders(changed.Record());
        changed.FinishScan(changed.Record().m_nStatus);
        ASSERT_EQ(seen.results.size(), 1U);
        const std::string output = seen.results[0].m_strOutput;
        const ByteVector written = output.empty() ? ByteVector() : ReadFile(output);
        std::filesystem::remove(output);
        const CFileResult unchanged =
            CBatchOptimiser(work, settings, keptCodes).OptimiseFile(dropped);
        EXPECT_EQ(seen.results[0].m_eOutcome, EFileOutcome::Optimised) << change;
        EXPECT_EQ(seen.results[0].m_strLog, unchanged.m_strLog) << change;
        EXPECT_EQ(seen.results[0].m_removed, unchanged.m_removed) << change;
        EXPECT_EQ(written, ReadFile(unchanged.m_strOutput)) << change;
        std::filesystem::remove(unchanged.m_strOutput);
    }
}

// The first check reads the original to its end even when the result fails
// it, so the record still tells the original's size and samples.
TEST_F(ABatchOptimiser, TakesTheOriginalsFactsInAFirstCheckThatFails) {
    std::vector<std::string> withoutTables = keptCodes;
    std::erase(withoutTables, "FFDB");
    CJpegRecipe recipe;
    recipe.comment = "to remove";
    const std::vector<uint8_t> bytes = MakeJpeg(recipe);
    CSampleDigest samples;
    ASSERT_TRUE(DecodePicture(CPictureSource::Bytes(bytes.data(), bytes.size()), ECheckThreads::One,
                              &samples));
    CBatchOptimiser optimiser(work, settings, withoutTables);
    optimiser.ComputeDigests();
    const CFileResult result = optimiser.OptimiseFile(Place("v.jpg", bytes));
    EXPECT_EQ(result.m_eOutcome, EFileOutcome::CheckFailed);
    ASSERT_TRUE(result.m_pixels);
    EXPECT_EQ(result.m_pixels->m_nWidth, recipe.width);
    EXPECT_EQ(result.m_pixels->m_strSha256Before, samples.Finish());
}

}  // namespace
