// The batch's work copy: a file of its own, read mapped, whose scan joins the
// stuffed bytes and restart markers of a picture to their start-of-scan
// segment. Whatever the optimisation makes of a joined scan must be what it
// makes of the scan that keeps every piece apart.
#include <gtest/gtest.h>

#include <filesystem>

#include "optimise/BatchOptimiser.h"
#include "optimise/Optimiser.h"
#include "optimise/SegmentFilter.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/MappedFile.h"
#include "util/WorkFiles.h"

namespace {

struct CMadeFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<CMadeFile> MadeFiles() {
    CJpegRecipe restarts;
    restarts.restartRows = 1;
    restarts.comment = "x";
    CJpegRecipe progressive;
    progressive.progressive = true;
    progressive.trailer = {0xFF, 0x00, 0xFF, 0xD0, 1, 2};
    CJpegRecipe camera;
    camera.exifWithThumbnail = true;
    camera.restartRows = 2;
    const std::vector<uint8_t> plain = MakeJpeg(restarts);
    return {
        {"restarts", plain},
        {"progressive", MakeJpeg(progressive)},
        {"camera", MakeJpeg(camera)},
        {"profile",
         InsertAfterStart(plain, {MakeJfifSegment(), MakeIccSegment(IccProfileWithFfBytes())})},
        {"nested", NestPictureInFront(plain, MakeJpeg(progressive), 0xE0)},
        {"nested-bare", NestPictureInFront(plain, MakeJpeg(restarts), 0)},
    };
}

std::vector<std::string> Without(std::vector<std::string> codes, const std::string& code) {
    std::erase(codes, code);
    return codes;
}

struct COutcome {
    EOptimiseResult result;
    std::string log;
    std::vector<CRemovedSegment> removed;
    int64_t bytes;
    std::vector<uint8_t> written;
    size_t segments;
};

class AJoinedScan : public ::testing::Test {
protected:
    AJoinedScan() { settings.Write(settings::kDamage, 1); }

    COutcome Optimise(const std::vector<std::string>& kept, bool joined) {
        CHedThread record;
        record.m_strFileName = work.m_strTempData;
        const std::shared_ptr<const CMappedFile> mapped = CMappedFile::Open(work.m_strTempData);
        if (joined) {
            record.m_mappedFile = mapped;
            record.m_joined = PiecesJoinedBeforeFilter(kept);
        }
        EXPECT_TRUE(ScanJpegHeaders(record));
        const size_t segments = record.m_Obj.size();
        COptimiser optimiser(EOptimiseForm::Batch, work, settings, kept);
        optimiser.SetWorkCopy(mapped.get());
        optimiser.SetExtras(FindPhoneExtras(*mapped));
        std::string log;
        const EOptimiseResult result = optimiser.OptimiseWorkFile("f.jpg", record, log);
        const std::vector<uint8_t> written = optimiser.OptimisedFile().empty()
                                                 ? std::vector<uint8_t>()
                                                 : ReadFile(optimiser.OptimisedFile());
        return {result, log, optimiser.Removed(), optimiser.ResultBytes(), written, segments};
    }

    void ExpectSameOutcomes(const std::string& name) {
        const std::vector<std::string> defaults = DefaultKeptHeaderCodes();
        for (const auto& kept : {defaults, Without(defaults, "FF00"), Without(defaults, "FFD1"),
                                 Without(defaults, "FFDA")}) {
            for (const int ffe0 : {0, 1}) {
                settings.Write(settings::kFfe0, ffe0);
                const COutcome apart = Optimise(kept, false);
                const COutcome joined = Optimise(kept, true);
                SCOPED_TRACE(name + ", " + std::to_string(kept.size()) + " codes kept, ffe0 " +
                             std::to_string(ffe0));
                EXPECT_EQ(joined.result, apart.result);
                EXPECT_EQ(joined.log, apart.log);
                EXPECT_EQ(joined.removed, apart.removed);
                EXPECT_EQ(joined.bytes, apart.bytes);
                EXPECT_EQ(joined.written, apart.written);
                EXPECT_LE(joined.segments, apart.segments);
            }
        }
    }

    CTempDir folder;
    CWorkFiles work = MakeWorkFiles(folder.File(""), folder.File(""));
    CMemorySettingsStore settings;
};

TEST_F(AJoinedScan, OptimisesMadeFilesAsTheScanOfEveryPieceDoes) {
    for (const CMadeFile& made : MadeFiles()) {
        WriteFile(work.m_strTempData, made.bytes);
        ExpectSameOutcomes(made.name);
    }
}

TEST_F(AJoinedScan, OptimisesTheSampleFilesAsTheScanOfEveryPieceDoes) {
    for (const std::filesystem::path& sample : SampleJpegFiles()) {
        std::filesystem::copy_file(sample, work.m_strTempData,
                                   std::filesystem::copy_options::overwrite_existing);
        ExpectSameOutcomes(sample.filename().string());
    }
}

TEST_F(AJoinedScan, JoinsOnlyWhatTheKeptListKeepsBehindAKeptStartOfScan) {
    const std::vector<std::string> defaults = DefaultKeptHeaderCodes();
    EXPECT_EQ(PiecesJoinedBeforeFilter(defaults).count(), 9u);
    EXPECT_FALSE(PiecesJoinedBeforeFilter(Without(defaults, "FF00"))[0x00]);
    EXPECT_TRUE(PiecesJoinedBeforeFilter(Without(defaults, "FF00"))[0xD0]);
    EXPECT_TRUE(PiecesJoinedBeforeFilter(Without(defaults, "FFDA")).none());

    CJpegRecipe restarts;
    restarts.restartRows = 1;
    WriteFile(work.m_strTempData, MakeJpeg(restarts));
    EXPECT_LT(Optimise(defaults, true).segments, Optimise(defaults, false).segments);
}

// Larger than the blocks of the copy into the work file and than the steps
// at which the scan and the writer give the mapping's pages back: the Exif
// cut moves the whole picture, and every piece is read again after its pages went.
TEST(ABatchOfALargeFile, GivesItsPictureBackWithoutTheExifBlock) {
    CJpegRecipe recipe;
    recipe.width = 2400;
    recipe.height = 1800;
    recipe.quality = 100;
    recipe.restartRows = 1;
    recipe.jfif = false;
    const std::vector<uint8_t> plain = MakeJpeg(recipe);
    ASSERT_GT(plain.size(), 5u << 20);
    CTempDir folder;
    const std::string input = folder.File("a.jpg");
    WriteFile(input, InsertAfterStart(plain, {MakeCameraExifSegment(), MakeCommentSegment("x")}));
    const CWorkFiles work = MakeWorkFiles(folder.File(""), folder.File(""));
    CMemorySettingsStore settings;
    const std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CBatchOptimiser batch(work, settings, kept);
    batch.KeepNoWorkFiles();
    const CFileResult result = batch.OptimiseFile(input);
    ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_EQ(ReadFile(result.m_strOutput), plain);
    EXPECT_FALSE(std::filesystem::exists(work.m_strTempData));
}

}  // namespace
