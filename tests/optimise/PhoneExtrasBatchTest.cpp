// Phone photos through the batch: what goes is named in the log and the
// record, what the user keeps stays whole beside the same picture, and by
// default the result is the picture alone, as it always was.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "optimise/BatchOptimiser.h"
#include "optimise/KeptTrailer.h"
#include "optimise/OrientationExif.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Picture() {
    CJpegRecipe recipe;
    recipe.jfif = false;
    return MakeJpeg(recipe);
}

// A segment every run removes, so that keeping the rest still writes a result
// whose layout in front of the kept pieces changed.
Bytes Comment() {
    return MakeCommentSegment("phone");
}

std::vector<Bytes> IccChunks() {
    return MakeIccSegments(IccProfileWithFfBytes(), 3);
}

struct CPhoneRow {
    std::string name;
    std::function<Bytes()> file;
    const CIntSetting* keep;
    // The record's kind and the log's words for what goes by default.
    std::string kind;
    std::string removedLine;
    // The result when the user keeps it.
    std::function<Bytes()> kept;
    // Told before anything is written, unless the user keeps it.
    std::string warning;
};

std::vector<CPhoneRow> Rows() {
    std::vector<CPhoneRow> rows = {
        {"MotionPhoto",
         [] { return MakeMotionPhoto(InsertAfterStart(Picture(), {Comment()})).bytes; },
         &settings::kKeepMotion, "motion-photo", "ﾓｰｼｮﾝﾌｫﾄの動画を削除しました。",
         [] { return MakeMotionPhoto(Picture()).bytes; }, "にはﾓｰｼｮﾝﾌｫﾄの動画があります。"},
        {"GainMap", [] { return MakeGainMapPhoto(Picture(), {Comment()}).bytes; },
         &settings::kKeepMotion, "gain-map", "ｹﾞｲﾝﾏｯﾌﾟ画像を削除しました。",
         [] { return MakeGainMapPhoto(Picture(), {}).bytes; }, "ｹﾞｲﾝﾏｯﾌﾟ画像があります。"},
        // Nothing to remove once the Exif block went: the copy without it is the result.
        {"GainMapBehindAnExifBlock",
         [] { return MakeGainMapPhoto(Picture(), {MakeOrientedExifSegment(1)}).bytes; },
         &settings::kKeepMotion, "gain-map", "ｹﾞｲﾝﾏｯﾌﾟ画像を削除しました。",
         [] { return MakeGainMapPhoto(Picture(), {}).bytes; }, "ｹﾞｲﾝﾏｯﾌﾟ画像があります。"},
        {"MpfImage", [] { return MakeGainMapPhoto(Picture(), {Comment()}, false).bytes; },
         &settings::kKeepMotion, "mpf-image", "MPF形式の追加画像を削除しました。",
         [] { return MakeGainMapPhoto(Picture(), {}, false).bytes; }, ""},
        {"IccProfileInThreeChunks",
         [] {
             std::vector<Bytes> front = IccChunks();
             front.push_back(Comment());
             return InsertAfterStart(Picture(), front);
         },
         &settings::kKeepIcc, "icc-profile", "ｶﾗｰﾌﾟﾛﾌｧｲﾙ(ICC)を削除しました。",
         [] { return InsertAfterStart(Picture(), IccChunks()); }, ""},
    };
    for (uint16_t value = 2; value <= 8; ++value) {
        rows.push_back(
            {"Orientation" + std::to_string(value),
             [value] { return InsertAfterStart(Picture(), {MakeOrientedExifSegment(value)}); },
             &settings::kKeepOrientation, "orientation", "画像の向きも削除しました。",
             [value] { return InsertAfterStart(Picture(), {OrientationOnlyExif(value)}); }, ""});
    }
    return rows;
}

class APhonePhotoInTheBatch : public CBatchFixture, public testing::WithParamInterface<CPhoneRow> {
protected:
    CFileResult Optimise(const Bytes& file, const std::string& name = "a.jpg") {
        CBatchOptimiser batch(work, settings, keptCodes);
        batch.KeepNoWorkFiles();
        return batch.OptimiseFile(Place(name, file));
    }
};

bool Names(const CFileResult& result, const std::string& kind) {
    return std::any_of(result.m_removed.begin(), result.m_removed.end(),
                       [&](const CRemovedSegment& piece) { return piece.m_strKind == kind; });
}

TEST_P(APhonePhotoInTheBatch, LosesItsExtraByDefaultSayingSoBeforeAndAfter) {
    const CPhoneRow& row = GetParam();
    const CFileResult result = Optimise(row.file());
    ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_EQ(ReadFile(result.m_strOutput), Picture()) << "the picture alone, as before";
    EXPECT_TRUE(Names(result, row.kind));
    EXPECT_NE(result.m_strLog.find(row.removedLine), std::string::npos) << result.m_strLog;
    if (!row.warning.empty()) {
        EXPECT_LT(result.m_strLog.find(row.warning), result.m_strLog.find("の調査を"));
    }
}

TEST_P(APhonePhotoInTheBatch, KeepsItsExtraWholeOnRequest) {
    const CPhoneRow& row = GetParam();
    settings.Write(*row.keep, 1);
    const CFileResult result = Optimise(row.file());
    ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_EQ(result.m_eCheck, ECheckKind::Pixels);
    EXPECT_EQ(ReadFile(result.m_strOutput), row.kept());
    EXPECT_FALSE(Names(result, row.kind));
    EXPECT_EQ(result.m_strLog.find(row.removedLine), std::string::npos);
    if (!row.warning.empty()) {
        EXPECT_EQ(result.m_strLog.find(row.warning), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, APhonePhotoInTheBatch, testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

class AnOrientedPhoto : public APhonePhotoInTheBatch {};

TEST_F(AnOrientedPhoto, KeepsItsWholeExifBlockInTheBackupAndNamesTheLostEntryInsideIt) {
    const Bytes exifBlock = MakeOrientedExifSegment(6);
    const CFileResult removed = Optimise(InsertAfterStart(Picture(), {exifBlock}));
    ASSERT_EQ(removed.m_removed.size(), 2u);
    const CRemovedSegment& block = removed.m_removed[0];
    const CRemovedSegment& entry = removed.m_removed[1];
    EXPECT_EQ(block.m_strKind, "exif");
    EXPECT_EQ(entry.m_nOffset, 2 + FindOrientation(exifBlock)->m_nEntryOffset);
    EXPECT_EQ(entry.m_nBytes, kOrientationEntryBytes);
    settings.Write(settings::kKeepOrientation, 1);
    const CFileResult kept = Optimise(InsertAfterStart(Picture(), {exifBlock}), "b.jpg");
    EXPECT_EQ(ReadFile(kept.m_strExifBackup), exifBlock);
}

TEST_F(AnOrientedPhoto, StoredAsItIsShowsNoLossWhenItsExifBlockGoes) {
    const CFileResult result = Optimise(InsertAfterStart(Picture(), {MakeOrientedExifSegment(1)}));
    EXPECT_FALSE(Names(result, "orientation"));
    EXPECT_EQ(result.m_strLog.find("画像の向き"), std::string::npos);
}

// Behind the Exif block, a camera's own preview picture goes with everything
// in front of the real picture: the kept orientation must not go with it.
TEST_F(AnOrientedPhoto, KeepsItsOrientationWhenAPreviewInFrontOfThePictureGoes) {
    settings.Write(settings::kKeepOrientation, 1);
    const Bytes withPreview = NestPictureInFront(Picture(), MakeJpeg(CJpegRecipe{}), 0xE3);
    const CFileResult result =
        Optimise(InsertAfterStart(withPreview, {MakeOrientedExifSegment(6)}));
    ASSERT_EQ(result.m_eOutcome, EFileOutcome::Optimised) << result.m_strLog;
    EXPECT_EQ(ReadFile(result.m_strOutput), InsertAfterStart(Picture(), {OrientationOnlyExif(6)}))
        << result.m_strLog;
    const auto preview =
        std::find_if(result.m_removed.begin(), result.m_removed.end(),
                     [](const auto& piece) { return piece.m_strKind == "before-picture"; });
    ASSERT_NE(preview, result.m_removed.end());
    EXPECT_EQ(preview->m_nOffset, 2 + static_cast<int64_t>(MakeOrientedExifSegment(6).size()));
}

// Read from the result's end only: the trailer must follow the end marker at
// the primary picture's end, byte for byte, and nothing may follow it.
TEST(AKeptTrailer, IsRefusedWhenAByteOfItChangedOrItIsNotWhereThePictureEnds) {
    const CPhonePhoto photo = MakeMotionPhoto(Picture());
    const auto primaryEnd = static_cast<int64_t>(photo.primaryEnd);
    const Bytes trailer(photo.bytes.begin() + primaryEnd, photo.bytes.end());
    Bytes changed = photo.bytes;
    changed.back() ^= 1;
    Bytes longer = photo.bytes;
    longer.push_back(0);
    Bytes noEndMarker = {0x12, 0x34};
    noEndMarker.insert(noEndMarker.end(), trailer.begin(), trailer.end());
    const struct {
        const char* name;
        Bytes file;
        int64_t primaryEnd;
        bool kept;
    } rows[] = {
        {"unchanged", photo.bytes, primaryEnd, true},
        {"a changed byte", changed, primaryEnd, false},
        {"a byte behind it", longer, primaryEnd, false},
        {"no end marker in front", noEndMarker, 2, false},
        {"no trailer", Picture(), primaryEnd, false},
    };
    CTempDir folder;
    for (const auto& row : rows) {
        WriteFile(folder.File("result.jpg"), row.file);
        EXPECT_EQ(KeepsTrailer(folder.File("result.jpg"), row.primaryEnd, trailer), row.kept)
            << row.name;
    }
}

}  // namespace
