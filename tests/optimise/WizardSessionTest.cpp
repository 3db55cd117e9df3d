#include "optimise/WizardSession.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>

#include "imaging/JpegDecoder.h"
#include "optimise/BatchOptimiser.h"
#include "optimise/OrientationExif.h"
#include "optimise/WizardCheckThread.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TestFiles.h"

namespace {

const char kCopyFailed[] = "ﾌｧｲﾙｺﾋﾟｰに失敗しました。ﾃﾞｨｽｸ容量を確認して下さい";

std::vector<uint8_t> CameraFile() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "Camera 1";
    recipe.trailer = {0x00, 0x11};
    return MakeJpeg(recipe);
}

// Files with something to remove, made here and, when present, the shared camera files.
std::vector<std::vector<uint8_t>> FilesToOptimise() {
    CJpegRecipe plain;
    plain.width = 40;
    CJpegRecipe progressive;
    progressive.progressive = true;
    progressive.restartRows = 1;
    progressive.comment = "edited";
    std::vector<std::vector<uint8_t>> files = {
        CameraFile(),
        InsertAfterStart(MakeJpeg(plain), {MakeXmpSegment(), MakeIccSegment({1, 2, 3})}),
        NestPictureInFront(MakeJpeg(plain), MakeJpeg(CJpegRecipe{}), 0xE2),
        MakeJpeg(progressive),
    };
    for (const auto& sample : SampleJpegFiles()) {
        if (sample.parent_path().filename() == "camera") {
            files.push_back(ReadFile(sample.string()));
        }
    }
    return files;
}

size_t CountOf(const std::vector<uint8_t>& bytes, const std::string& text) {
    size_t count = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), text.begin(), text.end())) != bytes.end(); ++at) {
        ++count;
    }
    return count;
}

class AWizardSession : public CBatchFixture {
protected:
    AWizardSession() { UseShippedTagFile(); }

    // Opens path as the document does: its picture and its times.
    CWizardSession& Open(const std::string& path, EWizardPath wizard = EWizardPath::Optimise) {
        // Its times before the decode reads it.
        std::optional<CFileTimes> times = ReadFileTimes(path);
        DecodeJpegToPacked(path, picture);
        session = std::make_unique<CWizardSession>(work, settings, keptCodes, *exif,
                                                   CWizardDocument{path, &picture, times});
        session->ChoosePath(wizard);
        return *session;
    }

    // The optimisation page: the start sequence and the scan, run inline.
    EWorkCopyStart RunScanPage() {
        const EWorkCopyStart start = session->BeginWorkCopy();
        if (start == EWorkCopyStart::ReadyToScan) {
            ScanJpegHeaders(session->Record());
            session->FinishScan(session->Record().m_nStatus);
        }
        return start;
    }

    static bool SamePicture(const std::string& a, const std::string& b) {
        CPackedPicture reference;
        return DecodeJpegToPacked(a, reference) && ShowsSamePicture(reference, b);
    }

    CPackedPicture picture;
    std::unique_ptr<CWizardSession> session;
};

TEST_F(AWizardSession, SavesWhatTheBatchOptimiserWritesByteForByte) {
    int index = 0;
    for (const auto& bytes : FilesToOptimise()) {
        SCOPED_TRACE(index);
        const std::string name = "f" + std::to_string(index++);
        const std::string path = Place(name + ".jpg", bytes);
        CBatchOptimiser batch(work, settings, keptCodes);
        const CFileResult result = batch.OptimiseFile(path);
        const std::string batchResult = folder.File(name + "_kestrin100.jpg");
        ASSERT_TRUE(std::filesystem::exists(batchResult)) << result.m_strLog;

        Open(path);
        ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
        ASSERT_TRUE(session->HasResult()) << session->Log();
        ASSERT_EQ(session->SaveAs(folder.File(name + "_wizard.jpg")), EWizardSave::Saved);
        EXPECT_EQ(ReadFile(folder.File(name + "_wizard.jpg")), ReadFile(batchResult));
        EXPECT_TRUE(SamePicture(path, folder.File(name + "_wizard.jpg")));
        EXPECT_EQ(session->DocumentPath(), folder.File(name + "_wizard.jpg"));
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

// Runs check on the wizard's check thread and waits for its end; what it
// threw is thrown here.
void OnCheckThread(const std::function<void()>& check) {
    std::promise<std::exception_ptr> ended;
    {
        CWizardCheckThread thread(
            [&ended](std::exception_ptr failure) { ended.set_value(failure); });
        thread.Start(check);
    }
    if (const std::exception_ptr failure = ended.get_future().get()) {
        std::rethrow_exception(failure);
    }
}

// The window runs each check of a page on the check thread: the log, the
// verdicts and every work file are those of the same run done inline, on
// both paths, for a result that passes and one that fails.
TEST_F(AWizardSession, RunsEachCheckOnTheCheckThreadAsInline) {
    struct CRun {
        EWorkCopyStart start = EWorkCopyStart::CopyFailed;
        EEmbedResult embedded = EEmbedResult::BlockUnreadable;
        std::string log;
        bool hasResult = false;
        bool stopped = false;
        std::vector<std::vector<uint8_t>> workFiles;
        bool operator==(const CRun&) const = default;
    };
    const auto run = [this](const std::string& path, EWizardPath wizard, bool damaged,
                            const std::function<void(const std::function<void()>&)>& check) {
        Open(path, wizard);
        if (damaged) {
            picture.m_pBits[0] ^= 1;
        }
        CRun result;
        check([&] { result.start = session->BeginWorkCopy(); });
        if (result.start == EWorkCopyStart::ReadyToScan) {
            ScanJpegHeaders(session->Record());
            check([&] { session->FinishScan(session->Record().m_nStatus); });
        }
        if (wizard == EWizardPath::EmbedExif && session->SaveExifBlockAs(folder.File("a.exif"))) {
            check([&] { result.embedded = session->EmbedExif(folder.File("a.exif")); });
        }
        result.log = session->Log();
        result.hasResult = session->HasResult();
        result.stopped = session->IsStopped();
        for (const std::string& file :
             {work.m_strTempData, work.m_strTempHexa, work.m_strExifDat}) {
            result.workFiles.push_back(ReadFile(file));
        }
        return result;
    };
    int index = 0;
    for (const auto& bytes : FilesToOptimise()) {
        const std::string path = Place("f" + std::to_string(index++) + ".jpg", bytes);
        for (const EWizardPath wizard : {EWizardPath::Optimise, EWizardPath::EmbedExif}) {
            for (const bool damaged : {false, true}) {
                SCOPED_TRACE(path + (wizard == EWizardPath::Optimise ? " optimise" : " embed") +
                             (damaged ? " damaged" : ""));
                const CRun inlined = run(path, wizard, damaged, [](const auto& c) { c(); });
                const CRun threaded = run(path, wizard, damaged, OnCheckThread);
                EXPECT_EQ(threaded, inlined) << threaded.log;
                EXPECT_EQ(inlined.hasResult, !damaged) << inlined.log;
            }
        }
    }
    EXPECT_THROW(OnCheckThread([] { throw std::runtime_error("read failed"); }),
                 std::runtime_error);
}

TEST_F(AWizardSession, KeepsProfilesVideosAndGainMapsOnRequestAsTheBatchDoes) {
    settings.Write(settings::kKeepIcc, 1);
    settings.Write(settings::kKeepMotion, 1);
    const std::vector<uint8_t> comment = MakeCommentSegment("phone");
    const std::vector<uint8_t> plain = MakeJpeg(CJpegRecipe{});
    const std::vector<std::vector<uint8_t>> files = {
        MakeMotionPhoto(InsertAfterStart(plain, {comment})).bytes,
        MakeGainMapPhoto(plain, {comment}).bytes,
        InsertAfterStart(plain, {MakeIccSegment(IccProfileWithFfBytes()), comment}),
    };
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = Place("k" + std::to_string(i) + ".jpg", files[i]);
        CBatchOptimiser batch(work, settings, keptCodes);
        const CFileResult result = batch.OptimiseFile(path);
        ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
        Open(path);
        ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
        ASSERT_EQ(session->SaveAs(folder.File("wizard.jpg")), EWizardSave::Saved) << session->Log();
        EXPECT_EQ(ReadFile(folder.File("wizard.jpg")), ReadFile(result.m_strOutput)) << i;
    }
}

// What the user keeps of a cut Exif block stays where readers look for it:
// the orientation alone where the block stood on the optimisation's path,
// the embedded block alone on the embedding's, and the gain map where the
// MPF index says, however the layout in front of it changed.
TEST_F(AWizardSession, KeepsTheOrientationAndTheGainMapsPlaceThroughTheExifCut) {
    settings.Write(settings::kKeepMotion, 1);
    CJpegRecipe recipe;
    recipe.jfif = false;
    const std::vector<uint8_t> plain = MakeJpeg(recipe);
    const std::vector<uint8_t> exif = MakeOrientedExifSegment(6);
    const std::vector<uint8_t> kept = OrientationOnlyExif(6);
    const std::vector<uint8_t> oriented = InsertAfterStart(plain, {exif});
    const std::string keptLine = "画像の向きだけは小さなExif情報として残しました。";
    const std::string removedLine = "画像の向きも削除しました。";
    const struct {
        const char* name;
        EWizardPath path;
        int keepOrientation;
        std::vector<uint8_t> file;
        std::vector<uint8_t> result;
        // What the log says of the orientation; empty: nothing.
        std::string line;
    } kCases[] = {
        {"oriented", EWizardPath::Optimise, 1,
         InsertAfterStart(plain, {exif, MakeCommentSegment("x")}), InsertAfterStart(plain, {kept}),
         keptLine},
        {"gain map", EWizardPath::Optimise, 0, MakeGainMapPhoto(plain, {exif}).bytes,
         MakeGainMapPhoto(plain, {}).bytes, removedLine},
        {"oriented gain map", EWizardPath::Optimise, 1, MakeGainMapPhoto(plain, {exif}).bytes,
         MakeGainMapPhoto(plain, {kept}).bytes, keptLine},
        {"embedded", EWizardPath::EmbedExif, 1, oriented, oriented, ""},
        {"embedded gain map", EWizardPath::EmbedExif, 1, MakeGainMapPhoto(plain, {exif}).bytes,
         MakeGainMapPhoto(plain, {exif}).bytes, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        settings.Write(settings::kKeepOrientation, c.keepOrientation);
        const std::string path = Place("o.jpg", c.file);
        Open(path, c.path);
        ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan) << session->Log();
        if (c.path == EWizardPath::EmbedExif) {
            ASSERT_TRUE(session->SaveExifBlockAs(folder.File("o.exif")));
            ASSERT_EQ(session->EmbedExif(folder.File("o.exif")), EEmbedResult::Embedded);
        }
        ASSERT_EQ(session->SaveAs(folder.File("out.jpg")), EWizardSave::Saved) << session->Log();
        EXPECT_EQ(ReadFile(folder.File("out.jpg")), c.result) << session->Log();
        EXPECT_TRUE(SamePicture(path, folder.File("out.jpg")));
        const std::string& log = session->Log();
        EXPECT_EQ(log.find(c.line.empty() ? "画像の向き" : c.line) != std::string::npos,
                  !c.line.empty())
            << log;
    }
}

TEST_F(AWizardSession, LogsTheExifRemovalUnderTheWorkCopysNameAndOffersTheBlock) {
    Open(Place("a.jpg", CameraFile()));
    ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
    const std::string name = session->LogName();
    EXPECT_TRUE(std::filesystem::path(name).is_absolute());
    EXPECT_TRUE(
        session->Log().starts_with(name + "の調査を完了しました。\r\nExif情報を削除しました。\r\n"))
        << session->Log();
    EXPECT_NE(session->Log().find(name + "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n"),
              std::string::npos);
    EXPECT_TRUE(session->OffersExifBackup());
    ASSERT_TRUE(session->SaveExifBlockAs(folder.File("a.exif")));
    EXPECT_EQ(exif->ProbeExifFile(folder.File("a.exif")), EExifResult::Done);
}

// A block that no embedding would accept stays in the file, and the log says
// so as the batch's does.
TEST_F(AWizardSession, OffersNoBlockForAFileWithoutARestorableOne) {
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool unrestorable;
    } kFiles[] = {
        {"plain.jpg", MakeJpeg(CJpegRecipe{}), false},
        {"broken.jpg", MakeJpegWithTiff({'n', 'o', ' ', 't', 'i', 'f', 'f', '!'}), true},
    };
    for (const auto& file : kFiles) {
        SCOPED_TRACE(file.name);
        Open(Place(file.name, file.bytes));
        ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
        EXPECT_FALSE(session->OffersExifBackup());
        EXPECT_FALSE(session->SaveExifBlockAs(folder.File("block.exif")));
        const std::string name = session->LogName();
        const std::string kept = file.unrestorable
                                     ? name +
                                           "のExif情報は壊れていて埋め込みに使えないため、"
                                           "ﾊﾞｯｸｱｯﾌﾟせずに他のﾍｯﾀﾞｰと同じく扱います。\r\n"
                                     : "";
        EXPECT_TRUE(session->Log().starts_with(kept + name + "の調査を開始します。"))
            << session->Log();
    }
}

// Every way this run can end without a checked result: nothing is written
// anywhere, not even from a result an earlier run left in the work files.
TEST_F(AWizardSession, SavesNothingWhenTheRunEndedWithoutACheckedResult) {
    struct CCase {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> run;
        const char* logStart;
    };
    const CCase cases[] = {
        {"del_exif 0", [this] { settings.Write(settings::kDelExif, 0); },
         [this] { EXPECT_EQ(RunScanPage(), EWorkCopyStart::Stopped); },
         "Exif情報を見つけました!\r\nｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。"
         "終了します。\r\n"},
        {"failed check", [] {},
         [this] {
             picture.m_pBits[0] ^= 1;
             EXPECT_EQ(RunScanPage(), EWorkCopyStart::Stopped);
         },
         "Exif情報を削除しました。"},
        {"cancelled scan", [] {},
         [this] {
             ASSERT_EQ(session->BeginWorkCopy(), EWorkCopyStart::ReadyToScan);
             session->Record().m_bCancel = 1;
             ScanJpegHeaders(session->Record());
             session->FinishScan(session->Record().m_nStatus);
         },
         "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました..."},
        {"no work copy", [] {},
         [this] {
             std::filesystem::remove(session->DocumentPath());
             EXPECT_EQ(RunScanPage(), EWorkCopyStart::CopyFailed);
         },
         "のｺﾋﾟｰを作成できませんでした。"},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        // A result of an earlier run waits in the work files.
        Open(Place("earlier.jpg", CameraFile()));
        RunScanPage();
        c.arrange();
        const std::string path = Place("a.jpg", CameraFile());
        Open(path);
        c.run();
        EXPECT_NE(session->Log().find(c.logStart), std::string::npos) << session->Log();
        EXPECT_FALSE(session->HasResult());
        EXPECT_EQ(session->SaveOverDocument(), EWizardSave::Refused);
        EXPECT_EQ(session->SaveAs(folder.File("out.jpg")), EWizardSave::Refused);
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.jpg")));
        if (std::filesystem::exists(path)) {
            EXPECT_EQ(ReadFile(path), CameraFile());
        }
        settings.Write(settings::kDelExif, 1);
    }
    EXPECT_TRUE(messages.empty());
}

// The marker editor's run: a copy that cannot be made is told and ends the
// run, an older hex text never passes for this file's, and a result that no
// longer shows the picture is known as such until the next run.
TEST_F(AWizardSession, TellsAFailedEditorCopyAndKnowsABrokenResultForOneRun) {
    const std::string path = Place("a.jpg", CameraFile());
    Open(path, EWizardPath::Editor);
    // Each cause named as it is, the disk blamed only when it may be full.
    const struct {
        std::string cause;
        std::function<void()> block;
        std::function<void()> unblock;
    } kFailures[] = {
        {path + "が見つかりません。",
         [&] { std::filesystem::rename(path, folder.File("away.jpg")); },
         [&] { std::filesystem::rename(folder.File("away.jpg"), path); }},
        {work.m_strTempData + "は通常のﾌｧｲﾙではありません。",
         [&] {
             std::filesystem::remove(work.m_strTempData);
             std::filesystem::create_directory(work.m_strTempData);
         },
         [&] { std::filesystem::remove(work.m_strTempData); }},
    };
    for (const auto& failure : kFailures) {
        WriteFile(work.m_strTempHexa, {'F', 'F', 'D', '8'});
        failure.block();
        EXPECT_FALSE(session->BeginEditorCopy());
        failure.unblock();
        EXPECT_TRUE(session->IsStopped());
        EXPECT_EQ(messages.back(), path + "のｺﾋﾟｰを作成できませんでした。\r\n" + failure.cause);
        EXPECT_TRUE(ReadFile(work.m_strTempHexa).empty());
    }
    EXPECT_EQ(messages.size(), 2u);

    ASSERT_TRUE(session->BeginEditorCopy());
    EXPECT_FALSE(session->IsStopped());
    EXPECT_EQ(ReadFile(work.m_strTempData), CameraFile());
    session->TakeEditedWorkCopy(true, false);
    EXPECT_FALSE(session->ResultShowsPicture());
    ASSERT_TRUE(session->BeginEditorCopy());
    EXPECT_TRUE(session->ResultShowsPicture());
}

TEST_F(AWizardSession, OverwritesTheDocumentAndGivesItsTimesBack) {
    const std::string path = Place("a.jpg", CameraFile());
    CFileTimes old{};
    old.modification = {1000000000, 0};
    old.access = {1000000500, 0};
    ASSERT_TRUE(WriteFileTimes(path, old));
    const std::string original = Place("original.jpg", CameraFile());
    Open(path);
    ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
    ASSERT_EQ(session->SaveOverDocument(), EWizardSave::Saved);
    // Read before anything else reads the file and moves its access time.
    const std::optional<CFileTimes> times = ReadFileTimes(path);
    ASSERT_TRUE(times);
    EXPECT_EQ(times->modification.tv_sec, old.modification.tv_sec);
    EXPECT_EQ(times->access.tv_sec, old.access.tv_sec);
    EXPECT_LT(ReadFile(path).size(), CameraFile().size());
    EXPECT_TRUE(SamePicture(original, path));
}

TEST_F(AWizardSession, SavedUnderItsOwnNameTheDocumentHoldsTheWholeResult) {
    const std::string path = Place("a.jpg", CameraFile());
    Open(path);
    ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
    ASSERT_EQ(session->SaveAs(path), EWizardSave::Saved);
    EXPECT_EQ(ReadFile(path), ReadFile(work.m_strTempData));
    EXPECT_TRUE(SamePicture(Place("o.jpg", CameraFile()), path));
}

TEST_F(AWizardSession, LeavesTheDocumentWholeWhenTheResultCannotBeWritten) {
    const std::string path = Place("a.jpg", CameraFile());
    Open(path);
    ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
    std::filesystem::remove(work.m_strTempHexa);
    EXPECT_EQ(session->SaveOverDocument(), EWizardSave::CopyFailed);
    EXPECT_EQ(session->SaveAs(folder.File("missing/b.jpg")), EWizardSave::CopyFailed);
    EXPECT_EQ(ReadFile(path), CameraFile());
    EXPECT_EQ(messages, std::vector<std::string>(2, kCopyFailed));
}

TEST_F(AWizardSession, SaysWhyAReadOnlyTargetWasLeftAsItWas) {
    const std::string path = Place("a.jpg", CameraFile());
    Open(path);
    ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
    const std::string exifPath = folder.File("a.exif");
    WriteFile(exifPath, {1});
    for (const std::string& readOnly : {path, exifPath}) {
        ::chmod(readOnly.c_str(), 0444);
    }
    EXPECT_EQ(session->SaveOverDocument(), EWizardSave::CopyFailed);
    EXPECT_FALSE(session->SaveExifBlockAs(exifPath));
    EXPECT_EQ(ReadFile(path), CameraFile());
    // Not the full-disk advice: the disk is not the cause.
    const std::string why = "ﾌｧｲﾙｺﾋﾟｰに失敗しました。\r\n";
    const std::string readOnly = "は読み取り専用のﾌｧｲﾙです。変更せずに残しました。";
    EXPECT_EQ(messages,
              (std::vector<std::string>{why + path + readOnly, why + exifPath + readOnly}));
}

// Before its run removes a motion photo's video or a gain map, the wizard
// asks; the answer keeps them for that run and leaves the stored setting.
TEST_F(AWizardSession, NamesTheMediaItsRunWouldRemoveUntilTheRunOrTheStoreKeepsIt) {
    const std::vector<uint8_t> plain = MakeJpeg(CJpegRecipe{});
    struct CCase {
        const char* name;
        std::vector<uint8_t> bytes;
        int storedKeep;
        bool motion;
        bool gainMap;
    };
    const CCase cases[] = {
        {"camera", CameraFile(), 0, false, false},
        {"motion", MakeMotionPhoto(plain).bytes, 0, true, false},
        {"gainmap", MakeGainMapPhoto(plain, {MakeCameraExifSegment()}).bytes, 0, false, true},
        {"kept", MakeMotionPhoto(plain).bytes, 1, false, false},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        settings.Write(settings::kKeepMotion, c.storedKeep);
        Open(Place(std::string(c.name) + ".jpg", c.bytes));
        ASSERT_EQ(session->BeginWorkCopy(), EWorkCopyStart::ReadyToScan);
        const CPhoneExtras media = session->MediaThisRunRemoves();
        EXPECT_EQ(media.HasMotionPhoto(), c.motion);
        EXPECT_EQ(media.HasGainMap(), c.gainMap);
    }

    const CPhonePhoto motion = MakeMotionPhoto(plain);
    Open(Place("asked.jpg", motion.bytes));
    settings.Write(settings::kKeepMotion, 0);
    ASSERT_EQ(session->BeginWorkCopy(), EWorkCopyStart::ReadyToScan);
    session->KeepMediaThisRun();
    EXPECT_FALSE(session->MediaThisRunRemoves().HasMotionPhoto());
    ScanJpegHeaders(session->Record());
    session->FinishScan(session->Record().m_nStatus);
    ASSERT_EQ(session->SaveAs(folder.File("kept.jpg")), EWizardSave::Saved) << session->Log();
    const std::vector<uint8_t> video(motion.bytes.begin() + long(motion.primaryEnd),
                                     motion.bytes.end());
    const std::vector<uint8_t> result = ReadFile(folder.File("kept.jpg"));
    EXPECT_TRUE(std::equal(video.rbegin(), video.rend(), result.rbegin())) << session->Log();
    EXPECT_EQ(settings.Read(settings::kKeepMotion), 0);
}

// The embedding wizard on a file whose block the batch backed up and removed.
class AnEmbeddingWizard : public AWizardSession {
protected:
    void SetUp() override {
        original = Place("cam.jpg", CameraFile());
        CBatchOptimiser batch(work, settings, keptCodes);
        batch.Drop({original});
        batch.RunQueue();
        backup = folder.File("cam_kestrin100.exif");
        stripped = folder.File("cam_kestrin100.jpg");
        ASSERT_EQ(exif->ProbeExifFile(stripped), EExifResult::NotFound);
        Open(stripped, EWizardPath::EmbedExif);
        ASSERT_EQ(RunScanPage(), EWorkCopyStart::ReadyToScan);
        ASSERT_TRUE(session->HasResult());
    }

    std::string original;
    std::string backup;
    std::string stripped;
};

TEST_F(AnEmbeddingWizard, PutsTheBlockBackWithTheSameValuesAndPixels) {
    ASSERT_EQ(exif->ProbeExifFile(original), EExifResult::Done);
    const std::vector<CExifTagEntry> before = exif->Dictionary().Entries();
    EXPECT_EQ(session->SaveAs(folder.File("early.jpg")), EWizardSave::Refused);

    ASSERT_EQ(session->EmbedExif(backup), EEmbedResult::Embedded);
    ASSERT_EQ(session->ReadEmbeddedExif(), EExifResult::Done);
    EXPECT_FALSE(session->ExifRows().empty());
    ASSERT_EQ(session->SaveAs(folder.File("back.jpg")), EWizardSave::Saved);
    ASSERT_EQ(exif->ProbeExifFile(folder.File("back.jpg")), EExifResult::Done);
    const std::vector<CExifTagEntry> after = exif->Dictionary().Entries();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].m_strData, before[i].m_strData) << before[i].m_strTag;
    }
    EXPECT_TRUE(SamePicture(original, folder.File("back.jpg")));
    const std::vector<uint8_t> result = ReadFile(folder.File("back.jpg"));
    EXPECT_EQ(std::vector<uint8_t>(result.begin(), result.begin() + 4),
              (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE1}));
}

TEST_F(AnEmbeddingWizard, RefusesBadBlocksAndEmbedsOnlyOnceAfterThem) {
    const std::string noBlock = Place("plain.exif", MakeJpeg(CJpegRecipe{}));
    EXPECT_EQ(session->EmbedExif(noBlock), EEmbedResult::NoExifFound);
    std::vector<uint8_t> damaged = ReadFile(backup);
    damaged.insert(damaged.end(), {0xFF, 0xD9});
    EXPECT_EQ(session->EmbedExif(Place("damaged.exif", damaged)), EEmbedResult::PictureChanged);
    EXPECT_EQ(session->SaveAs(folder.File("bad.jpg")), EWizardSave::Refused);

    ASSERT_EQ(session->EmbedExif(backup), EEmbedResult::Embedded);
    ASSERT_EQ(session->SaveAs(folder.File("back.jpg")), EWizardSave::Saved);
    EXPECT_EQ(CountOf(ReadFile(folder.File("back.jpg")), std::string("Exif\0\0", 6)), 1U);
}

}  // namespace
