// The value the batch builds for one file: what a record of the command line
// and the window's log are made from.
#include "optimise/FileResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "optimise/BatchOptimiser.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"

namespace {

namespace fs = std::filesystem;

CJpegRecipe CameraRecipe() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "Camera 1";
    recipe.trailer = {0x00, 0x11, 0x22};
    return recipe;
}

class AFileResult : public ::testing::Test {
protected:
    AFileResult() {
        fs::create_directory(folder.Path() / "work");
        work = MakeWorkFiles(folder.File("work/"), folder.File("work/"));
        fs::create_directory(folder.Path() / "photos");
    }

    std::string Picture(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = folder.File("photos/" + name);
        WriteFile(path, bytes);
        return path;
    }

    CFileResult Optimise(const std::string& path, const CSavingRule& rule = {}) {
        CBatchOptimiser batch(work, settings, keptCodes);
        batch.KeepNoWorkFiles();
        batch.ComputeDigests();
        return batch.OptimiseFile(path, rule);
    }

    CTempDir folder;
    CWorkFiles work;
    CMemorySettingsStore settings;
    std::vector<std::string> keptCodes = DefaultKeptHeaderCodes();
};

TEST_F(AFileResult, OfAnOptimisedFileTellsEveryRemovedPieceWhereItStoodInTheInput) {
    const std::vector<uint8_t> input = MakeJpeg(CameraRecipe());
    const std::string path = Picture("a.jpg", input);
    const CFileResult result = Optimise(path);

    ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_EQ(result.m_strOutput, folder.File("photos/a_kestrin100.jpg"));
    EXPECT_EQ(result.m_nOutputBytes, static_cast<int64_t>(fs::file_size(result.m_strOutput)));
    EXPECT_EQ(result.m_nInputBytes, static_cast<int64_t>(input.size()));
    EXPECT_EQ(result.m_strExifBackup, folder.File("photos/a_kestrin100.exif"));
    EXPECT_EQ(result.m_eCheck, ECheckKind::Pixels);
    std::vector<std::string> kinds;
    int64_t removedBytes = 0;
    for (const CRemovedSegment& piece : result.m_removed) {
        kinds.push_back(piece.m_strKind);
        removedBytes += piece.m_nBytes;
        ASSERT_LE(piece.m_nOffset + piece.m_nBytes, static_cast<int64_t>(input.size()));
        if (piece.m_strKind != "after-end") {
            EXPECT_EQ(input[piece.m_nOffset], 0xFF);
            EXPECT_EQ(input[piece.m_nOffset + 1], piece.m_nMarker & 0xFF);
        }
    }
    // The Exif cut takes the JFIF segment in front of the Exif block along.
    EXPECT_EQ(kinds, (std::vector<std::string>{"", "exif", "comment", "after-end"}));
    EXPECT_EQ(removedBytes, result.m_nInputBytes - result.m_nOutputBytes);
    ASSERT_TRUE(result.m_pixels);
    EXPECT_EQ(result.m_pixels->m_nWidth, 64);
    EXPECT_EQ(result.m_pixels->m_nComponents, 3);
    EXPECT_EQ(result.m_pixels->m_strSha256Before.size(), 64U);
    EXPECT_EQ(result.m_pixels->m_strSha256After, result.m_pixels->m_strSha256Before);
    EXPECT_NE(result.m_strLog.find("へ最適化したJPEG画像をｺﾋﾟｰしました。"), std::string::npos);
}

TEST_F(AFileResult, TellsAProfileWithMarkerLikeBytesAsTheOneSegmentItsLengthDeclares) {
    CJpegRecipe plain;
    plain.jfif = false;
    const std::vector<uint8_t> icc = MakeIccSegment(IccProfileWithFfBytes());
    const CFileResult result =
        Optimise(Picture("icc.jpg", InsertAfterStart(MakeJpeg(plain), {icc})));
    ASSERT_EQ(result.m_removed.size(), 1U) << result.m_strLog;
    EXPECT_EQ(result.m_removed[0],
              (CRemovedSegment{0xFFE2, 2, static_cast<int64_t>(icc.size()), "icc-profile"}));
}

TEST_F(AFileResult, NamesEveryOtherOutcomeAndWritesNothingForIt) {
    CJpegRecipe plain;
    plain.jfif = false;
    struct CCase {
        const char* name;
        std::vector<uint8_t> bytes;
        EFileOutcome outcome;
        ECheckKind check;
        bool pixels;
        bool reason;
    };
    const CCase cases[] = {
        {"plain.jpg", MakeJpeg(plain), EFileOutcome::NothingToRemove, ECheckKind::None, true,
         false},
        {"taken.jpg", MakeJpeg(CameraRecipe()), EFileOutcome::Skipped, ECheckKind::Pixels, true,
         true},
        {"broken.jpg", BytesOf("not a picture"), EFileOutcome::Failed, ECheckKind::None, false,
         true},
    };
    WriteTextFile(folder.File("photos/taken_kestrin100.jpg"), "someone else's");
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CFileResult result = Optimise(Picture(c.name, c.bytes));
        EXPECT_EQ(result.m_eOutcome, c.outcome) << result.m_strLog;
        EXPECT_EQ(result.m_eCheck, c.check);
        EXPECT_EQ(result.m_pixels.has_value(), c.pixels);
        EXPECT_EQ(!result.m_strReason.empty(), c.reason) << result.m_strReason;
        EXPECT_EQ(result.m_strOutput, "");
        EXPECT_FALSE(result.m_pixels && !result.m_pixels->m_strSha256After.empty());
    }
}

TEST_F(AFileResult, OfAResultThatFailsItsCheckHasNoOutputAndNoDigestAfter) {
    // Without its quantisation tables the result cannot decode.
    keptCodes.erase(std::find(keptCodes.begin(), keptCodes.end(), "FFDB"));
    CJpegRecipe recipe;
    recipe.comment = "Camera 1";
    const CFileResult result = Optimise(Picture("a.jpg", MakeJpeg(recipe)));
    EXPECT_EQ(result.m_eOutcome, EFileOutcome::CheckFailed) << result.m_strLog;
    EXPECT_EQ(result.m_eCheck, ECheckKind::Pixels);
    EXPECT_EQ(result.m_strOutput, "");
    ASSERT_TRUE(result.m_pixels);
    EXPECT_EQ(result.m_pixels->m_strSha256After, "");
    EXPECT_FALSE(result.Succeeded());
    EXPECT_TRUE(fs::is_empty(folder.Path() / "work")) << "the result that failed is gone";
}

// The result is written in the work folder before it is checked: a disk that
// fills up there ends the file before anything of the user's is written.
TEST_F(AFileResult, WhoseResultCannotBeWrittenLeavesThePictureAndNoTemporaryFile) {
    CJpegRecipe recipe;
    recipe.comment = "Camera 1";
    const std::vector<uint8_t> input = MakeJpeg(recipe);
    const std::string path = Picture("a.jpg", input);
    {
        const CFileSizeLimit limit(1);
        EXPECT_THROW(Optimise(path), CFileException);
    }
    EXPECT_EQ(ReadFile(path), input);
    EXPECT_TRUE(fs::is_empty(folder.Path() / "work"));
    EXPECT_FALSE(fs::exists(folder.File("photos/a_kestrin100.jpg")));
}

TEST_F(AFileResult, OfADryRunTellsWhatWouldBeWrittenAndWritesNothing) {
    settings.Write(settings::kFileName, "");
    const std::string path = Picture("a.jpg", MakeJpeg(CameraRecipe()));
    const auto before = FolderSnapshot(folder.Path() / "photos");
    CSavingRule rule;
    rule.m_bDryRun = true;
    const CFileResult result = Optimise(path, rule);
    EXPECT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_TRUE(result.m_bDryRun);
    EXPECT_EQ(result.m_strOutput, path);
    EXPECT_EQ(result.m_strExifBackup, folder.File("photos/a_kestrin100.exif"));
    EXPECT_EQ(FolderSnapshot(folder.Path() / "photos"), before);
}

TEST_F(AFileResult, UnderAnOutputBaseIsWrittenThereInFoldersMadeForItAndLeavesTheOriginal) {
    const std::vector<uint8_t> input = MakeJpeg(CameraRecipe());
    const std::string path = Picture("a.jpg", input);
    CSavingRule rule;
    rule.m_strOutputBase = folder.File("out/photos/deep/a.jpg");
    const CFileResult result = Optimise(path, rule);
    EXPECT_EQ(result.m_strOutput, folder.File("out/photos/deep/a_kestrin100.jpg"));
    EXPECT_EQ(result.m_strExifBackup, folder.File("out/photos/deep/a_kestrin100.exif"));
    EXPECT_TRUE(fs::exists(result.m_strOutput));
    EXPECT_TRUE(fs::exists(result.m_strExifBackup));
    EXPECT_EQ(ReadFile(path), input);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder.Path() / "photos"), fs::directory_iterator()),
        1);
}

}  // namespace
