#include "exif/ExifBlock.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/JpegMaker.h"
#include "tests/support/TestFiles.h"

namespace {

const std::vector<uint8_t> kThumbnail = BytesFromHex("FFD8FFDB0004AABBFFD9");

uint32_t ReadIntel32(const ByteVector& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

// Offsets inside the segment that MakeExifSegment writes: marker, length and
// signature take 10 bytes, then IFD0 at 8 with one entry, IFD1 at 26 with two.
constexpr size_t kTiffStart = 10;
constexpr size_t kIfd1Entries = kTiffStart + 26 + 2;
constexpr size_t kThumbnailOffsetValue = kIfd1Entries + 8;
constexpr size_t kThumbnailLengthValue = kIfd1Entries + 12 + 8;

// A Motorola-order block with the same layout: IFD0 without entries, IFD1
// holding a SHORT thumbnail length, then the thumbnail.
ByteVector MotorolaBlock(const ByteVector& thumbnail) {
    ByteVector tiff = BytesFromHex(
        "4D4D002A00000008"
        "0000"
        "0000000E"
        "0001"
        "0202"
        "0003"
        "00000001");
    tiff.push_back(0);
    tiff.push_back(static_cast<uint8_t>(thumbnail.size()));
    tiff.push_back(0);
    tiff.push_back(0);
    tiff.insert(tiff.end(), {0, 0, 0, 0});
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    const size_t length = 2 + 6 + tiff.size();
    ByteVector block = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8),
                        static_cast<uint8_t>(length)};
    for (char c : {'E', 'x', 'i', 'f', '\0', '\0'}) {
        block.push_back(static_cast<uint8_t>(c));
    }
    block.insert(block.end(), tiff.begin(), tiff.end());
    return block;
}

TEST(AnExifCut, TakesTheSegmentAndEverythingBeforeItAfterTheStartMarker) {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    const ByteVector file = MakeJpeg(recipe);  // FFD8, APP0 (JFIF), APP1 (Exif), ...
    const std::optional<CExifCut> cut = CutExifSegment(file);
    ASSERT_TRUE(cut);
    ASSERT_GE(cut->block.size(), 4u);
    EXPECT_EQ(cut->block[0], 0xFF);
    EXPECT_EQ(cut->block[1], 0xE1);
    EXPECT_EQ(cut->block.size(), size_t{cut->block[2]} * 256 + cut->block[3] + 2);
    const size_t app0Length = 2 + 16;
    EXPECT_EQ(cut->remainder.size(), file.size() - app0Length - cut->block.size());
    EXPECT_EQ(HexFromBytes({cut->remainder.begin(), cut->remainder.begin() + 4}), "FFD8FFDB");
}

TEST(AnExifCut, FindsNothingWithoutASignatureOrWithAnUnusableLength) {
    CJpegRecipe recipe;
    EXPECT_FALSE(CutExifSegment(MakeJpeg(recipe)));
    EXPECT_FALSE(CutExifSegment(BytesFromHex("FFD8FFE10000457869660000AA")));
    EXPECT_FALSE(CutExifSegment(BytesFromHex("FFD8FFE10040457869660000AA"))) << "runs past the end";
    EXPECT_FALSE(CutExifSegment(BytesFromHex("457869660000AABB"))) << "no room for a length";
    EXPECT_FALSE(CutExifSegment({}));
}

TEST(AThumbnailSplit, SeparatesTheStructureFromTheThumbnail) {
    const ByteVector block = MakeExifSegment(kThumbnail);
    const std::optional<CExifThumbnailSplit> split = SplitAtThumbnail(block);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->thumbnail, kThumbnail);
    EXPECT_EQ(split->front.size(), block.size() - 4 - kThumbnail.size());
    EXPECT_EQ(HexFromBytes({split->front.begin(), split->front.begin() + 6}), "457869660000");
}

TEST(AThumbnailSplit, RefusesBlocksWhoseThumbnailIsNotInsideTheSegment) {
    EXPECT_FALSE(SplitAtThumbnail(BytesFromHex("FFE10010457869660000"))) << "no thumbnail";
    EXPECT_FALSE(SplitAtThumbnail(BytesFromHex("FFD8FFD80000AABB")))
        << "start marker in the header";
    EXPECT_FALSE(SplitAtThumbnail(BytesFromHex("FFE10000457869FFD8FFD9"))) << "length 0";
    EXPECT_FALSE(SplitAtThumbnail(BytesFromHex("FFE10004457869FFD8FFD9"))) << "ends before it";
    EXPECT_FALSE(SplitAtThumbnail(BytesFromHex("FFE10100457869FFD8FFD9"))) << "ends past the file";
    EXPECT_FALSE(SplitAtThumbnail({}));
}

TEST(AnEncodedThumbnail, LosesTheApplicationSegmentsInFrontOfItsTables) {
    EXPECT_EQ(ThumbnailFromEncoded(BytesFromHex("FFD8FFE000044A46FFDB0003AAFFD9")),
              BytesFromHex("FFD8FFDB0003AAFFD9"));
    EXPECT_EQ(ThumbnailFromEncoded(BytesFromHex("FFD8FFDB0003AAFFD9")),
              BytesFromHex("FFD8FFDB0003AAFFD9"));
    EXPECT_FALSE(ThumbnailFromEncoded(BytesFromHex("FFD8FFE00040")));
    EXPECT_FALSE(ThumbnailFromEncoded(BytesFromHex("0000")));
}

TEST(ATransplantSegment, CarriesTheNewThumbnailAndItsLength) {
    const ByteVector oldThumbnail = BytesFromHex("FFD8FFDB0004AABBCCDDEEFFFFD9");
    const std::optional<CExifThumbnailSplit> split =
        SplitAtThumbnail(MakeExifSegment(oldThumbnail));
    ASSERT_TRUE(split);
    const std::optional<ByteVector> segment = BuildTransplantSegment(*split, kThumbnail);
    ASSERT_TRUE(segment);
    EXPECT_EQ(segment->size(), 4 + split->front.size() + kThumbnail.size());
    EXPECT_EQ(size_t{(*segment)[2]} * 256 + (*segment)[3], segment->size() - 2);
    EXPECT_EQ(ReadIntel32(*segment, kThumbnailLengthValue), kThumbnail.size());
    EXPECT_EQ(ReadIntel32(*segment, kThumbnailOffsetValue), split->front.size() - 6)
        << "the thumbnail still starts where the offset entry says";
    EXPECT_TRUE(std::equal(kThumbnail.begin(), kThumbnail.end(), segment->end() - 10));
}

TEST(ATransplantSegment, SetsAShortLengthInMotorolaOrder) {
    const std::optional<CExifThumbnailSplit> split =
        SplitAtThumbnail(MotorolaBlock(BytesFromHex("FFD8AABBCCFFD9")));
    ASSERT_TRUE(split);
    const std::optional<ByteVector> segment = BuildTransplantSegment(*split, kThumbnail);
    ASSERT_TRUE(segment);
    const size_t valueAt = 4 + 6 + 8 + 2 + 4 + 2 + 8;
    EXPECT_EQ((*segment)[valueAt], 0);
    EXPECT_EQ((*segment)[valueAt + 1], kThumbnail.size());
}

TEST(ATransplantSegment, IsRefusedWhenItWouldNotFitALengthField) {
    CExifThumbnailSplit split;
    split.front.assign(65000, 0);
    EXPECT_TRUE(BuildTransplantSegment(split, ByteVector(533, 0)));
    EXPECT_FALSE(BuildTransplantSegment(split, ByteVector(534, 0)));
}

TEST(ATransplantSegment, LeavesAStructureWithoutIfd1AsItWas) {
    CExifThumbnailSplit split;
    split.front = BytesFromHex(
        "457869660000"
        "49492A0008000000"
        "0000"
        "00000000");
    const std::optional<ByteVector> segment = BuildTransplantSegment(split, kThumbnail);
    ASSERT_TRUE(segment);
    EXPECT_TRUE(std::equal(split.front.begin(), split.front.end(), segment->begin() + 4));
}

// Without IFD1's length entry, the first FF D8 is no thumbnail a reader finds.
TEST(AThumbnailLengthEntry, IsFoundOnlyThroughASoundIfd1) {
    const ByteVector segment = MakeExifSegment(kThumbnail);
    EXPECT_TRUE(HasThumbnailLengthEntry(*SplitAtThumbnail(segment)));
    constexpr size_t kIfd1Link = kTiffStart + 8 + 2 + 12;
    ByteVector noLink = segment;
    std::fill_n(noLink.begin() + kIfd1Link, 4, 0);
    EXPECT_FALSE(HasThumbnailLengthEntry(*SplitAtThumbnail(noLink)));
    ByteVector linkPastTheEnd = segment;
    std::fill_n(linkPastTheEnd.begin() + kIfd1Link, 2, 0xFF);
    EXPECT_FALSE(HasThumbnailLengthEntry(*SplitAtThumbnail(linkPastTheEnd)));
}

struct CExifRemovalCase {
    const char* file;
    const char* kept;
};

class AnExifRemoval : public ::testing::TestWithParam<CExifRemovalCase> {};

TEST_P(AnExifRemoval, DropsOnlyExifSegmentsInFrontOfThePictureData) {
    EXPECT_EQ(HexFromBytes(WithoutExifSegments(BytesFromHex(GetParam().file))), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    HeadersAndHostileLengths, AnExifRemoval,
    ::testing::Values(
        // APP0, two Exif blocks, an XMP APP1, then the tables: the two go.
        CExifRemovalCase{"FFD8FFE00004AAAA"
                         "FFE10008457869660000"
                         "FFE10009457869660000AB"
                         "FFE100044D4D"
                         "FFDB0003AA",
                         "FFD8FFE00004AAAAFFE100044D4DFFDB0003AA"},
        // An Exif block after the start of scan is picture data.
        CExifRemovalCase{"FFD8FFDA0002FFE10008457869660000", "FFD8FFDA0002FFE10008457869660000"},
        // Lengths that run past the end or count less than themselves stop the walk.
        CExifRemovalCase{"FFD8FFE10040457869660000", "FFD8FFE10040457869660000"},
        CExifRemovalCase{"FFD8FFE10001457869660000", "FFD8FFE10001457869660000"},
        CExifRemovalCase{"FFD8FFE1", "FFD8FFE1"}, CExifRemovalCase{"FFD8", "FFD8"},
        CExifRemovalCase{"D8FFE10008457869660000", "D8FFE10008457869660000"},
        CExifRemovalCase{"", ""}));

TEST(AnInsertion, PutsTheSegmentRightAfterTheStartMarker) {
    EXPECT_EQ(InsertAfterStartMarker(BytesFromHex("FFD8FFDB00"), BytesFromHex("FFE1")),
              BytesFromHex("FFD8FFE1FFDB00"));
}

}  // namespace
