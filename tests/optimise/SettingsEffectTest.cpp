// Each setting of the batch optimiser changes what it should and nothing
// else: a batch under the changed setting leaves exactly what the same batch
// with the defaults leaves, apart from the change the setting stands for.
#include "optimise/BatchOptimiser.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "dates/FileTimes.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/BatchTranscript.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/ShellNotify.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kDir[] = "<dir>/";
const char kDropped[] = "<dir>/a.jpg";
const char kOutput[] = "<dir>/a_kestrin100.jpg";
const char kExifName[] = "<dir>/a_kestrin100.exif";

CFileTimes OldTimes() {
    return *TimesAtLocalMoment(2001, 2, 3, 4, 5);
}

// Everything a batch over one dropped file "a.jpg" left behind, with the
// folder written as "<dir>/" so that runs in different folders compare.
struct CBatchResult {
    // Every file of the folder by name (the work files live in a subfolder).
    std::map<std::string, Bytes> files;
    int64_t droppedModification = 0;
    // Only compared when the expectation names it: reading a file may move it.
    std::optional<int64_t> droppedAccess;
    std::string log;
    int64_t bytesBefore = 0;
    int64_t bytesAfter = 0;
    std::vector<EFileOutcome> outcomes;
    int fileManagerNotices = 0;
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    size_t pos = text.find(from);
    ASSERT_NE(pos, std::string::npos) << "the default log holds no \"" << from << "\"";
    for (; pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

void Rename(CBatchResult& result, const std::string& from, const std::string& to) {
    ASSERT_EQ(result.files.count(from), 1u) << from;
    result.files[to] = result.files[from];
    result.files.erase(from);
    ReplaceAll(result.log, kDir + from, kDir + to);
}

void ExpectSameResult(const CBatchResult& actual, const CBatchResult& expected) {
    std::vector<std::string> actualNames;
    std::vector<std::string> expectedNames;
    for (const auto& [name, bytes] : actual.files) {
        actualNames.push_back(name);
    }
    for (const auto& [name, bytes] : expected.files) {
        expectedNames.push_back(name);
        const auto found = actual.files.find(name);
        EXPECT_TRUE(found == actual.files.end() || found->second == bytes)
            << name << " holds other bytes";
    }
    EXPECT_EQ(actualNames, expectedNames);
    EXPECT_EQ(actual.droppedModification, expected.droppedModification);
    if (expected.droppedAccess) {
        EXPECT_EQ(actual.droppedAccess, expected.droppedAccess);
    }
    EXPECT_EQ(actual.log, expected.log);
    EXPECT_EQ(actual.bytesBefore, expected.bytesBefore);
    EXPECT_EQ(actual.bytesAfter, expected.bytesAfter);
    EXPECT_EQ(actual.outcomes, expected.outcomes);
    EXPECT_EQ(actual.fileManagerNotices, expected.fileManagerNotices);
}

Bytes Picture() {
    CJpegRecipe recipe;
    recipe.jfif = false;
    return MakeJpeg(recipe);
}

Bytes CameraFile() {
    return InsertAfterStart(
        Picture(), {MakeJfifSegment(), MakeCameraExifSegment(), MakeCommentSegment("Camera 1")});
}

Bytes FileWithoutExif() {
    return InsertAfterStart(Picture(), {MakeJfifSegment(), MakeCommentSegment("no exif")});
}

Bytes FileWithTwoApp0() {
    return InsertAfterStart(Picture(),
                            {MakeJfifSegment(), MakeJfxxSegment(), MakeCommentSegment("two")});
}

// A preview picture directly after the start marker: the file does not
// decode as it is (two start markers), only once the preview is removed.
Bytes FileWithRawPreviewInFront() {
    CJpegRecipe preview;
    preview.width = 24;
    preview.height = 16;
    return NestPictureInFront(Picture(), MakeJpeg(preview), 0);
}

Bytes RgbPicture() {
    return MakeUntransformedRgbPicture(48, 32);
}

Bytes FileWhoseAdobeSegmentMatters() {
    return InsertAfterStart(RgbPicture(), {MakeAdobeSegment(0)});
}

struct CSettingRow {
    const char* name;
    // The setting under test, written over the defaults.
    void (*change)(CSettingsStore& settings);
    Bytes (*file)();
    // Turns the result of the default run into the result the change must give.
    void (*expect)(CBatchResult& result);
    // An unrelated file already holds the output name.
    bool outputExists = false;
};

void PrintTo(const CSettingRow& row, std::ostream* out) {
    *out << row.name;
}

void Unchanged(CBatchResult&) {}

const CSettingRow kSettingRows[] = {
    {"FileNameSuffixNamesTheOutput",
     [](CSettingsStore& s) { s.Write(settings::kFileName, "_small"); }, CameraFile,
     [](CBatchResult& r) { Rename(r, "a_kestrin100.jpg", "a_small.jpg"); }},
    {"EmptyFileNameReplacesTheFileAndKeepsItsTimes",
     [](CSettingsStore& s) { s.Write(settings::kFileName, ""); }, CameraFile,
     [](CBatchResult& r) {
         r.files["a.jpg"] = r.files["a_kestrin100.jpg"];
         r.files.erase("a_kestrin100.jpg");
         ReplaceAll(r.log, std::string(kOutput) + "へ最適化したJPEG画像をｺﾋﾟｰしました。",
                    std::string(kDropped) + "へ上書きしました。");
     }},
    {"SaveExifOffWritesNoBackup", [](CSettingsStore& s) { s.Write(settings::kSaveExif, 0); },
     CameraFile,
     [](CBatchResult& r) {
         r.files.erase("a_kestrin100.exif");
         ReplaceAll(r.log, std::string(kExifName) + "へExif情報を保存しました。\r\n",
                    "ｼｽﾃﾑの設定でExif情報は保存しません。\r\n");
     }},
    {"EmptyExifNameNamesTheBackupAfterTheFile",
     [](CSettingsStore& s) { s.Write(settings::kExifName, ""); }, CameraFile,
     [](CBatchResult& r) { Rename(r, "a_kestrin100.exif", "a.exif"); }},
    {"OverwriteOnWithoutAnOldBackupChangesNothing",
     [](CSettingsStore& s) { s.Write(settings::kOverwrite, 1); }, CameraFile, Unchanged},
    {"OverwriteOnLeavesAnExistingOutputAlone",
     [](CSettingsStore& s) { s.Write(settings::kOverwrite, 1); }, FileWithoutExif, Unchanged, true},
    {"DamageOnGivesTheSameResultForASoundFile",
     [](CSettingsStore& s) { s.Write(settings::kDamage, 1); }, CameraFile, Unchanged},
    {"DamageOnWritesAResultThatOnlyDecodes",
     [](CSettingsStore& s) { s.Write(settings::kDamage, 1); }, FileWhoseAdobeSegmentMatters,
     [](CBatchResult& r) {
         r.files["a_kestrin100.jpg"] = RgbPicture();
         ReplaceAll(r.log, std::string(kDropped) + "は正常に最適化できませんでした。終了します。",
                    std::string("最適化したJPEGは処理前と同様に表示されます。\r\n") + kOutput +
                        "へ最適化したJPEG画像をｺﾋﾟｰしました。");
         r.outcomes = {EFileOutcome::Optimised};
     }},
    {"DamageOtherThanOneKeepsThePixelCheck",
     [](CSettingsStore& s) { s.Write(settings::kDamage, 2); }, FileWhoseAdobeSegmentMatters,
     Unchanged},
    {"DamageOnOptimisesAFileThatDecodesOnlyOnceCleaned",
     [](CSettingsStore& s) { s.Write(settings::kDamage, 1); }, FileWithRawPreviewInFront,
     [](CBatchResult& r) {
         const int64_t size = static_cast<int64_t>(FileWithRawPreviewInFront().size());
         const int64_t kept = static_cast<int64_t>(Picture().size());
         r.files["a_kestrin100.jpg"] = Picture();
         r.log = std::string(kDropped) +
                 "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n"
                 "不明な独自情報を見つけました...\r\n不明な独自情報の削除に成功しました。\r\n"
                 "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n" +
                 std::to_string(size) + " ﾊﾞｲﾄが " + std::to_string(kept) +
                 " ﾊﾞｲﾄになりました...\r\n" + std::to_string(size - kept) +
                 " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n"
                 "続いて最適化したJPEGの検査を行います...\r\n"
                 "最適化したJPEGは処理前と同様に表示されます。\r\n" +
                 kOutput + "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n";
         r.bytesBefore = size;
         r.bytesAfter = kept;
         r.outcomes = {EFileOutcome::Optimised};
     }},
    {"DelExifOffLeavesEvenAFileToBeReplacedAsItIs",
     [](CSettingsStore& s) {
         s.Write(settings::kDelExif, 0);
         s.Write(settings::kFileName, "");
     },
     CameraFile,
     [](CBatchResult& r) {
         r.files.erase("a_kestrin100.jpg");
         r.files.erase("a_kestrin100.exif");
         r.log = std::string(kDropped) +
                 "の調査を完了しました。\r\nExif情報を見つけました!\r\n"
                 "ｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。終了します。\r\n\r\n";
         r.bytesBefore = 0;
         r.bytesAfter = 0;
         r.outcomes = {EFileOutcome::Skipped};
     }},
    {"DelExifOffChangesNothingForAFileWithoutExif",
     [](CSettingsStore& s) { s.Write(settings::kDelExif, 0); }, FileWithoutExif, Unchanged},
    {"Ffe0OnKeepsTheFirstApp0Only", [](CSettingsStore& s) { s.Write(settings::kFfe0, 1); },
     FileWithTwoApp0,
     [](CBatchResult& r) {
         const Bytes jfif = MakeJfifSegment();
         const int64_t kept = static_cast<int64_t>(jfif.size());
         r.files["a_kestrin100.jpg"] = InsertAfterStart(r.files["a_kestrin100.jpg"], {jfif});
         ReplaceAll(r.log, "ﾍｯﾀﾞ FFE0 の次の情報を削除... ..JFIF..........\r\n", "");
         ReplaceAll(r.log, " ﾊﾞｲﾄが " + std::to_string(r.bytesAfter) + " ﾊﾞｲﾄ",
                    " ﾊﾞｲﾄが " + std::to_string(r.bytesAfter + kept) + " ﾊﾞｲﾄ");
         ReplaceAll(r.log, std::to_string(r.bytesBefore - r.bytesAfter) + " ﾊﾞｲﾄの不必要",
                    std::to_string(r.bytesBefore - r.bytesAfter - kept) + " ﾊﾞｲﾄの不必要");
         r.bytesAfter += kept;
     }},
    {"Ffe0OnCannotKeepAnApp0TheExifCutTook", [](CSettingsStore& s) { s.Write(settings::kFfe0, 1); },
     CameraFile, Unchanged},
    {"ExpChkOnTellsTheFileManagerNothing", [](CSettingsStore& s) { s.Write(settings::kExpChk, 1); },
     CameraFile, [](CBatchResult& r) { r.fileManagerNotices = 0; }},
};

// Drives a batch the way the window does: every scan on its own scanner
// thread at the priority of the setting cpu, the finish handled on that
// thread while the scanner waits, the next file started after the join.
class CThreadedDriver : public IHedOwner {
public:
    CThreadedDriver(CBatchOptimiser& batch, const CSettingsStore& settings)
        : m_batch(batch), m_settings(settings) {}

    void Run() {
        while (m_batch.PrepareNextScan()) {
            m_runner.Start(m_batch.Record(), *this, m_batch.Record().m_strFileName, m_settings);
            m_runner.Join();
        }
    }

    void OnHedProgress(int) override {}
    void OnHedFinished(EHedStatus status) override {
        scannerNices.push_back(::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())));
        m_batch.FinishScan(status);
    }

    std::vector<int> scannerNices;

private:
    CBatchOptimiser& m_batch;
    const CSettingsStore& m_settings;
    CHedThreadRunner m_runner;
};

// The fixture records the messages and gives the kept header codes; every
// batch runs in a folder of its own, so that two runs compare.
class ABatchSetting : public CBatchFixture {
protected:
    // Runs a batch over file as "a.jpg" in a fresh folder. With scannerNices
    // every scan runs on a scanner thread, whose nice values are stored there.
    CBatchResult RunBatch(const CSettingsStore& settings, const Bytes& file, bool outputExists,
                          std::vector<int>* scannerNices = nullptr) {
        CTempDir folder;
        std::filesystem::create_directory(folder.Path() / "work");
        const CWorkFiles work = MakeWorkFiles(folder.File("work/"), folder.File("work/"));
        const std::string dropped = folder.File("a.jpg");
        WriteFile(dropped, file);
        if (outputExists) {
            WriteTextFile(folder.File("a_kestrin100.jpg"), "someone else's picture");
        }
        EXPECT_TRUE(WriteFileTimes(dropped, OldTimes()));
        CBatchOptimiser batch(work, settings, keptCodes);
        CBatchTranscript transcript;
        transcript.Follow(batch);
        const int notices = FileManagerNoticeCount(EShellNotice::FolderUpdated);
        batch.Drop({dropped});
        if (scannerNices != nullptr) {
            CThreadedDriver driver(batch, settings);
            driver.Run();
            *scannerNices = driver.scannerNices;
        } else {
            batch.RunQueue();
        }
        return Collect(folder, batch, transcript, notices);
    }

    static CBatchResult Collect(const CTempDir& folder, const CBatchOptimiser& batch,
                                const CBatchTranscript& transcript, int noticesBefore) {
        CBatchResult result;
        // The times first: reading the file may move its access time.
        const std::optional<CFileTimes> times = ReadFileTimes(folder.File("a.jpg"));
        if (times) {
            result.droppedModification = times->modification.tv_sec;
            result.droppedAccess = times->access.tv_sec;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            if (entry.is_regular_file()) {
                result.files[entry.path().filename().string()] = ReadFile(entry.path().string());
            }
        }
        result.log = transcript.log;
        const std::string prefix = folder.Path().string() + "/";
        for (size_t pos = result.log.find(prefix); pos != std::string::npos;
             pos = result.log.find(prefix, pos)) {
            result.log.replace(pos, prefix.size(), kDir);
        }
        result.bytesBefore = batch.BytesBefore();
        result.bytesAfter = batch.BytesAfter();
        result.outcomes = transcript.outcomes;
        result.fileManagerNotices =
            FileManagerNoticeCount(EShellNotice::FolderUpdated) - noticesBefore;
        return result;
    }
};

class AChangedSetting : public ABatchSetting, public ::testing::WithParamInterface<CSettingRow> {};

TEST_P(AChangedSetting, ChangesWhatItStandsForAndNothingElse) {
    const CSettingRow& row = GetParam();
    const Bytes file = row.file();
    CMemorySettingsStore defaults;
    CBatchResult expected = RunBatch(defaults, file, row.outputExists);
    expected.droppedAccess.reset();
    row.expect(expected);
    ASSERT_FALSE(HasFatalFailure());

    CMemorySettingsStore changed;
    row.change(changed);
    ExpectSameResult(RunBatch(changed, file, row.outputExists), expected);
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(EverySetting, AChangedSetting, ::testing::ValuesIn(kSettingRows),
                         [](const ::testing::TestParamInfo<CSettingRow>& info) {
                             return std::string(info.param.name);
                         });

// The access time of a replaced file must be the one it had before the
// batch; the batch itself reads the file (its reference decode, its copy)
// before it writes the result over it.
class AReplacedFile : public ABatchSetting, public ::testing::WithParamInterface<int> {};

TEST_P(AReplacedFile, GetsBackTheAccessTimeItHadBeforeTheBatchReadIt) {
    CMemorySettingsStore settings;
    settings.Write(settings::kFileName, "");
    settings.Write(settings::kDamage, GetParam());
    const CBatchResult result = RunBatch(settings, CameraFile(), false);
    ASSERT_EQ(result.outcomes, std::vector<EFileOutcome>{EFileOutcome::Optimised});
    EXPECT_EQ(result.droppedModification, OldTimes().modification.tv_sec);
    EXPECT_EQ(result.droppedAccess, OldTimes().access.tv_sec);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutThePixelCheck, AReplacedFile, ::testing::Values(0, 1));

class AScannerPriority : public ABatchSetting, public ::testing::WithParamInterface<int> {};

TEST_P(AScannerPriority, RunsEachScanOnItsOwnThreadWithTheSameResultAsInline) {
    const int cpu = GetParam();
    const Bytes file = CameraFile();
    CMemorySettingsStore inlineSettings;
    CBatchResult expected = RunBatch(inlineSettings, file, false);
    expected.droppedAccess.reset();

    CMemorySettingsStore settings;
    settings.Write(settings::kCpu, cpu);
    const int callerNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    std::vector<int> scannerNices;
    ExpectSameResult(RunBatch(settings, file, false, &scannerNices), expected);

    ASSERT_EQ(scannerNices.size(), 1u) << "the scan ran on a scanner thread";
    if (cpu == 0) {
        // Raising the priority needs a privilege; without it the scan runs normally.
        EXPECT_LE(scannerNices[0], callerNice);
    } else {
        EXPECT_EQ(scannerNices[0], callerNice + (cpu == 2 ? 2 : 0));
    }
    EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())), callerNice);
}

INSTANTIATE_TEST_SUITE_P(ForEachCpuValue, AScannerPriority, ::testing::Values(0, 1, 2));

}  // namespace
