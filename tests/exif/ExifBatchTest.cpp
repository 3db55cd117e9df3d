#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "dates/FileTimes.h"
#include "exif/ExifBackupBatch.h"
#include "exif/ExifBlock.h"
#include "exif/ExifEmbedBatch.h"
#include "exif/ExifEmbedding.h"
#include "imaging/JpegDecoder.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"
#include "util/FileHelpers.h"

namespace {

class CCountingListener : public IEngineListener {
public:
    void OnLogChanged() override { ++logChanges; }
    int logChanges = 0;
};

class AnExifBatch : public CBatchFixture {
protected:
    AnExifBatch() { UseTagFile("0112,Orientation,how the picture stands\r\n"); }

    std::string CameraPicture(const std::string& name) {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        return Place(name, MakeJpeg(recipe));
    }
    std::string PlainPicture(const std::string& name) { return Place(name, MakeJpeg({})); }

    CCountingListener listener;
};

TEST_F(AnExifBatch, BacksUpEachBlockOnceAndNeverReplacesItWithoutOverwrite) {
    const std::string camera = CameraPicture("a.jpg");
    const ByteVector original = ReadFile(camera);
    const std::string backup = folder.File("a_kestrin100.exif");
    CExifBackupBatch batch(work, settings, *exif, &listener);
    EXPECT_EQ(batch.ProcessDrop({camera}), 1);
    EXPECT_EQ(ReadFile(backup), CutExifSegment(original)->block);
    EXPECT_EQ(batch.ProcessDrop({camera}), 0);
    EXPECT_EQ(batch.Log(), camera + "の調査を完了しました。\r\n" + backup +
                               "へExif情報を保存しました。\r\n\r\n" + camera +
                               "の調査を完了しました。\r\n" + backup +
                               "というﾌｧｲﾙは存在します。処理を停止します。\r\n\r\n");
    EXPECT_EQ(ReadFile(camera), original) << "the JPEG is only read";
    EXPECT_EQ(listener.logChanges, 4);
}

TEST_F(AnExifBatch, ReportsFilesWithoutExifAndFilesThatDoNotDecode) {
    const std::string plain = PlainPicture("b.jpg");
    const std::string notJpegName = PlainPicture("c.jpeg");
    CExifBackupBatch batch(work, settings, *exif);
    batch.ProcessDrop({plain, notJpegName});
    EXPECT_EQ(batch.Log(), plain + "にExif情報は見つかりません。\r\n\r\n" + notJpegName +
                               "は読み込めません...\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("b_kestrin100.exif")));
    batch.ClearLog();
    settings.Write(settings::kDamage, 1);
    batch.ProcessDrop({CameraPicture("d.jpeg")});
    EXPECT_TRUE(std::filesystem::exists(folder.File("d._kestrin100.exif")))
        << "exactly four characters make way for the suffix";
}

// The first file's work copy fails midway: that is logged and recorded for
// it, and the next file is backed up.
TEST_F(AnExifBatch, LogsACopyThatFailsMidwayAndGoesOnWithTheNextFile) {
    const std::string first = CameraPicture("m.jpg");
    const std::string second = CameraPicture("n.jpg");
    std::vector<CExifBatchResult> results;
    CExifBackupBatch batch(work, settings, *exif);
    auto limit = std::make_optional<CFileSizeLimit>(1);
    EXPECT_EQ(batch.ProcessDrop({first, second},
                                [&](const CExifBatchResult& result) {
                                    limit.reset();
                                    results.push_back(result);
                                }),
              1);
    const std::string failure = CFileException(work.m_strTempData, EFBIG).what();
    ASSERT_EQ(results.size(), size_t{2});
    EXPECT_EQ(results[0].outcome, EExifBatchOutcome::NotRead);
    EXPECT_EQ(results[0].detail, failure);
    EXPECT_EQ(results[1].outcome, EExifBatchOutcome::BackedUp);
    EXPECT_EQ(batch.Log().rfind(first + "のｺﾋﾟｰを作成できませんでした。\r\n" + failure +
                                    "\r\n\r\n" + second + "の調査を完了しました。",
                                0),
              0u);
}

TEST_F(AnExifBatch, EmbeddingLogsACopyThatFailsMidwayAndGoesOnWithTheNextFile) {
    std::vector<std::string> files;
    for (const char* name : {"p.jpg", "q.jpg"}) {
        files.push_back(CameraPicture(name));
        CExifBackupBatch(work, settings, *exif).ProcessDrop({files.back()});
        WriteFile(files.back(), CutExifSegment(ReadFile(files.back()))->remainder);
    }
    std::vector<CExifBatchResult> results;
    CExifEmbedBatch batch(work, settings, *exif);
    auto limit = std::make_optional<CFileSizeLimit>(1);
    EXPECT_EQ(batch.ProcessDrop(files,
                                [&](const CExifBatchResult& result) {
                                    limit.reset();
                                    results.push_back(result);
                                }),
              1);
    ASSERT_EQ(results.size(), size_t{2});
    EXPECT_EQ(results[0].outcome, EExifBatchOutcome::NotRead);
    EXPECT_EQ(results[0].detail, CFileException(work.m_strTempHexa, EFBIG).what());
    EXPECT_NE(batch.Log().find(files[0] + "のｺﾋﾟｰを作成できませんでした。\r\n"), std::string::npos);
    EXPECT_EQ(results[1].outcome, EExifBatchOutcome::Embedded);
}

TEST_F(AnExifBatch, EmbedsASavedBlockIntoACopyThatShowsTheSamePicture) {
    const std::string camera = CameraPicture("e.jpg");
    CExifBackupBatch(work, settings, *exif).ProcessDrop({camera});
    const ByteVector block = ReadFile(folder.File("e_kestrin100.exif"));
    // The picture lost its Exif block in another program.
    const std::string edited = folder.File("e.jpg");
    WriteFile(edited, CutExifSegment(ReadFile(camera))->remainder);

    CExifEmbedBatch batch(work, settings, *exif);
    EXPECT_EQ(batch.ProcessDrop({edited}), 1);
    const std::string output = folder.File("e_kestrin100.jpg");
    EXPECT_EQ(batch.Log(),
              folder.File("e_kestrin100.exif") + "を見つけました。\r\n" + output +
                  "へ正常にｺﾋﾟｰしました。\r\nExif情報の埋め込みに成功しました。\r\n\r\n");
    const ByteVector result = ReadFile(output);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), result.begin() + 2))
        << "the block follows the start marker at once";
    CPackedPicture reference;
    ASSERT_TRUE(DecodeJpegToPacked(edited, reference));
    EXPECT_TRUE(VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, output));
    EXPECT_EQ(exif->ProbeExifFile(output), EExifResult::Done);

    batch.ClearLog();
    batch.ProcessDrop({edited});
    EXPECT_EQ(batch.Log(), folder.File("e_kestrin100.exif") + "を見つけました。\r\n" + output +
                               "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n");
}

// The MPF index of a phone photo gives the primary picture's size, which the
// block changes: the images behind it stay reachable, and the result is the
// wizard's embedding byte for byte. An index that cannot follow while
// something lies behind the picture would point into the wrong bytes.
TEST_F(AnExifBatch, EmbeddingMovesTheMpfIndexWithThePicturesEnd) {
    CJpegRecipe recipe;
    recipe.jfif = false;
    const ByteVector plain = MakeJpeg(recipe);
    const ByteVector block = MakeOrientedExifSegment(6);
    const auto cutAt = [](CPhonePhoto photo, size_t behind) {
        photo.bytes.resize(photo.primaryEnd + behind);
        return photo.bytes;
    };
    const struct {
        const char* name;
        ByteVector file;
        // The output; none when nothing may be written.
        std::optional<ByteVector> embedded;
    } kCases[] = {
        {"gainmap", MakeGainMapPhoto(plain, {}).bytes, MakeGainMapPhoto(plain, {block}).bytes},
        // Only the index tells where this one lies.
        {"mpfimage", MakeGainMapPhoto(plain, {}, false).bytes,
         MakeGainMapPhoto(plain, {block}, false).bytes},
        {"pastheend", cutAt(MakeGainMapPhoto(plain, {}, false), 40), std::nullopt},
        // What the index listed was removed before: it points nowhere either way.
        {"removed", cutAt(MakeGainMapPhoto(plain, {}, false), 0),
         InsertAfterStart(cutAt(MakeGainMapPhoto(plain, {}, false), 0), {block})},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string path = Place(std::string(c.name) + ".jpg", c.file);
        Place(std::string(c.name) + "_kestrin100.exif", block);
        CExifEmbedBatch batch(work, settings, *exif);
        EXPECT_EQ(batch.ProcessDrop({path}), c.embedded ? 1 : 0) << batch.Log();
        const std::string output = folder.File(std::string(c.name) + "_kestrin100.jpg");
        ASSERT_EQ(std::filesystem::exists(output), c.embedded.has_value());
        if (c.embedded) {
            EXPECT_EQ(ReadFile(output), *c.embedded);
        } else {
            EXPECT_NE(batch.Log().find(EmbedFailureMessage(EEmbedResult::PictureChanged)),
                      std::string::npos);
        }
    }
}

TEST_F(AnExifBatch, ReplacesTheFileItselfWithAnEmptyNameAndKeepsItsTimes) {
    settings.Write(settings::kFileName, "");
    const std::string camera = CameraPicture("f.jpg");
    CExifBackupBatch(work, settings, *exif).ProcessDrop({camera});
    WriteFile(camera, CutExifSegment(ReadFile(camera))->remainder);
    const CFileTimes old = *TimesAtLocalMoment(2002, 3, 4, 5, 6);
    WriteFileTimes(camera, old);
    CExifEmbedBatch batch(work, settings, *exif);
    EXPECT_EQ(batch.ProcessDrop({camera}), 1);
    EXPECT_EQ(exif->ProbeExifFile(camera), EExifResult::Done);
    EXPECT_EQ(ReadFileTimes(camera)->modification.tv_sec, old.modification.tv_sec);
    EXPECT_NE(batch.Log().find(camera + "へ上書きしました。\r\n"), std::string::npos);
}

TEST_F(AnExifBatch, DoesNotEmbedWhereThereIsNothingToEmbedOrAlreadyABlock) {
    const std::string camera = CameraPicture("g.jpg");
    const std::string plain = PlainPicture("h.jpg");
    const std::string empty = PlainPicture("i.jpg");
    WriteTextFile(folder.File("i_kestrin100.exif"), "no exif in here");
    // Neither waited on nor called missing.
    const std::string piped = PlainPicture("k.jpg");
    ::mkfifo(folder.File("k_kestrin100.exif").c_str(), 0600);
    const std::string foldered = PlainPicture("l.jpg");
    std::filesystem::create_directory(folder.File("l_kestrin100.exif"));
    CExifEmbedBatch batch(work, settings, *exif);
    EXPECT_EQ(batch.ProcessDrop({camera, plain, empty, piped, foldered}), 0);
    const std::string notRegular =
        "は通常のﾌｧｲﾙではありません。Exif情報の埋め込みは行いません。\r\n\r\n";
    EXPECT_EQ(batch.Log(),
              camera + "は、すでにExif情報が埋め込まれています。\r\n\r\n" +
                  folder.File("h_kestrin100.exif") +
                  "は見つかりませんので、Exif情報の埋め込みは行いません。\r\n\r\n" +
                  folder.File("i_kestrin100.exif") +
                  "にはExif情報が検出されませんのでExif情報の埋め込みは行いません。\r\n\r\n" +
                  folder.File("k_kestrin100.exif") + notRegular + folder.File("l_kestrin100.exif") +
                  notRegular);
}

TEST_F(AnExifBatch, WizardEmbeddingRefusesAFileWithoutExifAndVerifiesTheResult) {
    const std::string camera = CameraPicture("j.jpg");
    CExifBackupBatch(work, settings, *exif).ProcessDrop({camera});
    const std::string edited = folder.File("j2.jpg");
    WriteFile(edited, CutExifSegment(ReadFile(camera))->remainder);
    CPackedPicture reference;
    ASSERT_TRUE(DecodeJpegToPacked(edited, reference));
    BinaryFileToHexFile(edited, work.m_strTempHexa);

    EXPECT_EQ(EmbedExifIntoWorkCopy(*exif, work, edited, reference), EEmbedResult::NoExifFound);
    EXPECT_EQ(EmbedFailureMessage(EEmbedResult::NoExifFound),
              "このﾌｧｲﾙにはExif情報が検出されません。他のﾌｧｲﾙを指定して下さい。");
    EXPECT_EQ(EmbedExifIntoWorkCopy(*exif, work, folder.File("j_kestrin100.exif"), reference),
              EEmbedResult::Embedded);
    EXPECT_EQ(exif->ProbeExifFile(work.m_strTempData), EExifResult::Done);

    CJpegRecipe other;
    other.width = 32;
    WriteFile(folder.File("other.jpg"), MakeJpeg(other));
    CPackedPicture otherPicture;
    ASSERT_TRUE(DecodeJpegToPacked(folder.File("other.jpg"), otherPicture));
    BinaryFileToHexFile(edited, work.m_strTempHexa);
    EXPECT_EQ(EmbedExifIntoWorkCopy(*exif, work, folder.File("j_kestrin100.exif"), otherPicture),
              EEmbedResult::PictureChanged);
}

}  // namespace
