#include "optimise/PhoneExtras.h"

#include <gtest/gtest.h>

#include "exif/ExifEngine.h"
#include "optimise/OrientationExif.h"
#include "tests/support/CameraFiles.h"

namespace {

std::vector<uint8_t> Plain() {
    return MakeJpeg(CJpegRecipe{});
}

std::vector<uint8_t> Progressive() {
    CJpegRecipe recipe;
    recipe.progressive = true;
    recipe.restartRows = 1;
    return MakeJpeg(recipe);
}

struct CTrailerCase {
    const char* name;
    CPhonePhoto photo;
    std::vector<ETrailerKind> kinds;
};

class APhonePhoto : public testing::TestWithParam<CTrailerCase> {};

TEST_P(APhonePhoto, NamesWhatLiesBehindItsPictureAndWhere) {
    const CTrailerCase& tested = GetParam();
    const CPhoneExtras extras = FindPhoneExtras(tested.photo.bytes);
    EXPECT_EQ(extras.m_nPrimaryEnd, static_cast<int64_t>(tested.photo.primaryEnd));
    std::vector<ETrailerKind> kinds;
    for (const CTrailerItem& item : extras.m_trailer) {
        kinds.push_back(item.m_eKind);
    }
    EXPECT_EQ(kinds, tested.kinds);
    if (!extras.m_trailer.empty()) {
        EXPECT_EQ(
            extras.m_trailer.front().m_range,
            (CByteRange{extras.m_nPrimaryEnd,
                        static_cast<int64_t>(tested.photo.bytes.size()) - extras.m_nPrimaryEnd}));
    }
}

CPhonePhoto Unannounced() {
    const CPhonePhoto motion = MakeMotionPhoto(Plain());
    const std::vector<uint8_t> video(motion.bytes.begin() + static_cast<long>(motion.primaryEnd),
                                     motion.bytes.end());
    return {Concatenate(Plain(), video), Plain().size()};
}

CPhonePhoto WithPointerPastTheEnd() {
    CPhonePhoto photo = MakeGainMapPhoto(Plain(), {}, false);
    photo.bytes.resize(photo.primaryEnd + 40);
    return photo;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, APhonePhoto,
    testing::Values(
        CTrailerCase{"MotionPhoto", MakeMotionPhoto(Plain()), {ETrailerKind::MotionPhoto}},
        CTrailerCase{
            "ProgressiveMotionPhoto", MakeMotionPhoto(Progressive()), {ETrailerKind::MotionPhoto}},
        CTrailerCase{"GainMap",
                     MakeGainMapPhoto(Plain(), {MakeCameraExifSegment()}),
                     {ETrailerKind::GainMap}},
        CTrailerCase{"MpfImage", MakeGainMapPhoto(Plain(), {}, false), {ETrailerKind::MpfImage}},
        // An ftyp box that no XMP announces is data like any other.
        CTrailerCase{"UnannouncedVideo", Unannounced(), {}},
        CTrailerCase{"IndexPointingPastTheEnd", WithPointerPastTheEnd(), {}}),
    [](const testing::TestParamInfo<CTrailerCase>& info) { return info.param.name; });

TEST(APhonePhotoProfile, IsFoundWholeInEveryChunkDespiteMarkerLikeBytes) {
    const auto chunks = MakeIccSegments(IccProfileWithFfBytes(), 3);
    const std::vector<uint8_t> file = InsertAfterStart(Plain(), chunks);
    const CPhoneExtras extras = FindPhoneExtras(file);
    ASSERT_EQ(extras.m_icc.size(), 3u);
    EXPECT_EQ(extras.m_icc[2].End(),
              static_cast<int64_t>(2 + chunks[0].size() + chunks[1].size() + chunks[2].size()));
}

// The batch and the wizard find a file's extras once, before its Exif cut,
// and hand them on moved: they must be what the cut copy itself gives.
TEST(APhonePhotosExtras, MoveThroughTheExifCutAsTheCopyGivesThem) {
    const ByteVector exif = MakeOrientedExifSegment(6);
    const std::vector<ByteVector> files = {
        MakeGainMapPhoto(Plain(), {exif}).bytes,
        MakeGainMapPhoto(Plain(), {MakeIccSegment({1, 2, 3}), exif}, false).bytes,
        InsertAfterStart(MakeMotionPhoto(Plain()).bytes, {MakeJfifSegment(), exif}),
    };
    for (const ByteVector& file : files) {
        for (const bool keepOrientation : {false, true}) {
            ByteVector copy = file;
            ByteVector block;
            CExifCutSizes sizes;
            ASSERT_EQ(CExifEngine::CutExif(copy, block, sizes), EExifResult::Done);
            const CCutOrientation kept = KeepCutOrientation(copy, block, keepOrientation);
            const CPhoneExtras found = FindPhoneExtras(file);
            ASSERT_FALSE(found.m_trailer.empty());
            RepointMpfIndex(copy, found);
            EXPECT_EQ(ExtrasAfterExifCut(found, sizes.before - sizes.after, kept.m_nKeptBytes),
                      FindPhoneExtras(copy));
        }
    }
}

TEST(AnExifBlock, GivesEveryOrientationAndAnOrientationOnlyBlockGivesItBack) {
    for (uint16_t value = 1; value <= 8; ++value) {
        const ByteVector block = MakeOrientedExifSegment(value);
        const std::optional<CExifOrientation> found = FindOrientation(block);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->m_nValue, value);
        EXPECT_EQ(block[found->m_nEntryOffset], 0x12);
        const ByteVector small = OrientationOnlyExif(value);
        EXPECT_EQ(FindOrientation(small)->m_nValue, value);
        EXPECT_EQ(small.size(), 36u);
    }
    EXPECT_FALSE(FindOrientation(MakeOrientedExifSegment(9)));
    EXPECT_FALSE(FindOrientation(MakeXmpSegment()));
}

}  // namespace
