#include "segment/SegmentFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "segment/HedThread.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/FileHelpers.h"

namespace {

class AHexWorkFile : public ::testing::Test {
protected:
    CTempDir folder;
    std::string hexPath = folder.File("temphexa.pdt");
    std::string binaryPath = folder.File("tempdata.jpg");

    // Scans bytes, writes the list as hex text and turns that back into bytes.
    std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& bytes) {
        WriteFile(binaryPath, bytes);
        CHedThread record;
        record.m_strFileName = binaryPath;
        EXPECT_TRUE(ScanJpegHeaders(record));
        const int64_t written = WriteSegmentsHex(record.m_Obj, hexPath);
        EXPECT_EQ(written, 2 * SegmentBytes(record.m_Obj));
        EXPECT_TRUE(HexFileToBinary(hexPath, binaryPath));
        return ReadFile(binaryPath);
    }
};

TEST_F(AHexWorkFile, HoldsMarkersAndDataWithNothingBetweenThem) {
    const CSegmentList list = {{"FFD8", ""}, {"FFE0", "00104A46"}, {"FFD9", ""}};
    EXPECT_EQ(WriteSegmentsHex(list, hexPath), 20);
    EXPECT_EQ(ReadTextFile(hexPath), "FFD8FFE000104A46FFD9");
}

TEST_F(AHexWorkFile, OfAnEmptyListIsEmptyAndSoIsItsBinary) {
    EXPECT_EQ(WriteSegmentsHex({}, hexPath), 0);
    EXPECT_TRUE(HexFileToBinary(hexPath, binaryPath));
    EXPECT_TRUE(ReadFile(binaryPath).empty());
}

TEST_F(AHexWorkFile, ThatCannotBeCreatedThrows) {
    EXPECT_THROW(WriteSegmentsHex({{"FFD8", ""}}, folder.File("no/such/folder.pdt")),
                 CFileException);
}

TEST_F(AHexWorkFile, ConvertsWholeSlicesAndDropsAnOddLastCharacter) {
    WriteTextFile(hexPath, std::string(200, 'A'));
    EXPECT_TRUE(HexFileToBinary(hexPath, binaryPath));
    EXPECT_EQ(ReadFile(binaryPath), std::vector<uint8_t>(100, 0xAA));
    WriteTextFile(hexPath, std::string(403, 'B'));
    EXPECT_TRUE(HexFileToBinary(hexPath, binaryPath));
    EXPECT_EQ(ReadFile(binaryPath), std::vector<uint8_t>(201, 0xBB));
}

TEST_F(AHexWorkFile, WithAnInvalidCharacterStopsAtItsSliceAndSaysSo) {
    WriteTextFile(hexPath, std::string(200, 'C') + "0g" + std::string(200, 'D'));
    EXPECT_FALSE(HexFileToBinary(hexPath, binaryPath));
    EXPECT_EQ(ReadFile(binaryPath), std::vector<uint8_t>(100, 0xCC));
}

TEST_F(AHexWorkFile, ThatIsMissingGivesNoBinaryAndFails) {
    EXPECT_FALSE(HexFileToBinary(folder.File("missing.pdt"), binaryPath));
}

TEST_F(AHexWorkFile, ReadsABinaryFileAsHexText) {
    WriteFile(binaryPath, {0xFF, 0xD8, 0xFF, 0xD9});
    std::string hex;
    EXPECT_TRUE(BinaryFileToHex(binaryPath, hex));
    EXPECT_EQ(hex, "FFD8FFD9");
    EXPECT_FALSE(BinaryFileToHex(folder.File("missing.jpg"), hex));
}

TEST_F(AHexWorkFile, GivesBackEveryGeneratedPictureByteForByte) {
    std::vector<CJpegRecipe> recipes(7);
    recipes[1].exifWithThumbnail = true;
    recipes[1].comment = "made by a test";
    recipes[2].restartRows = 1;
    recipes[3].progressive = true;
    recipes[4].grayscale = true;
    recipes[5].jfif = false;
    recipes[6].width = 640;
    recipes[6].height = 480;
    recipes[6].quality = 100;  // many stuffed FF00 pairs
    for (size_t i = 0; i < recipes.size(); ++i) {
        const std::vector<uint8_t> picture = MakeJpeg(recipes[i]);
        EXPECT_EQ(RoundTrip(picture), picture) << "recipe " << i;
    }
}

TEST_F(AHexWorkFile, CutsPreambleAndTrailerOfAGeneratedPicture) {
    CJpegRecipe recipe;
    const std::vector<uint8_t> picture = MakeJpeg(recipe);
    recipe.preamble = std::vector<uint8_t>(128, 0x11);
    recipe.trailer = {0xFF, 0xD8, 0x00, 0x01, 0xFF, 0xD9};
    EXPECT_EQ(RoundTrip(MakeJpeg(recipe)), picture);
}

TEST_F(AHexWorkFile, GivesBackEverySamplePictureFromItsStartMarker) {
    const auto samples = SampleJpegFiles();
    ASSERT_FALSE(samples.empty());
    for (const auto& sample : samples) {
        const std::vector<uint8_t> original = ReadFile(sample.string());
        const std::vector<uint8_t> result = RoundTrip(original);
        const uint8_t startMarker[] = {0xFF, 0xD8};
        const auto start =
            std::search(original.begin(), original.end(), startMarker, startMarker + 2);
        ASSERT_LE(result.size(), static_cast<size_t>(original.end() - start)) << sample;
        EXPECT_TRUE(std::equal(result.begin(), result.end(), start)) << sample;
    }
}

// The batch turns its list into bytes in memory or writes them straight to a
// file; any difference from the work-file round trip would put other bytes
// in the user's folder than the ones the rules describe.
TEST_F(AHexWorkFile, InMemoryOrWrittenGivesTheBytesOfTheRoundTripOrFailsWhereItFails) {
    const std::string longData(450, 'E');
    std::vector<CSegmentList> lists = {
        {},
        {{"FFD8", ""}, {"FFE0", "00104A46"}, {"FFD9", ""}},
        {{"FFD8", longData}, {"FF", "7"}, {"FFDA", longData + "1"}},
        {{"FFD8", std::string(199, '1')}, {"FFD9", "2"}},
        {{"FFD8", std::string(190, '3')}, {"FFE1", "0g"}, {"FFD9", ""}},
        {{"FFD8", std::string(410, '4')}, {"FFE1", "ab"}},
    };
    for (const bool progressive : {false, true}) {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        recipe.progressive = progressive;
        recipe.quality = 100;
        WriteFile(binaryPath, MakeJpeg(recipe));
        CHedThread record;
        record.m_strFileName = binaryPath;
        ASSERT_TRUE(ScanJpegHeaders(record));
        lists.push_back(record.m_Obj);
    }
    // Scanned data kept as bytes beside an odd text: the slices then span both.
    lists.push_back(lists.back());
    lists.back().insert(lists.back().begin() + 3, CJpegSegment{"FF", "7"});
    const std::string writtenPath = folder.File("written.jpg");
    for (size_t i = 0; i < lists.size(); ++i) {
        WriteSegmentsHex(lists[i], hexPath);
        const bool converted = HexFileToBinary(hexPath, binaryPath);
        const std::optional<ByteVector> bytes = SegmentsToBytes(lists[i]);
        ASSERT_EQ(bytes.has_value(), converted) << "list " << i;
        CFileHandle written(writtenPath, O_WRONLY | O_CREAT | O_TRUNC);
        EXPECT_EQ(WriteSegmentsBinary(lists[i], written), converted) << "list " << i;
        written.CloseChecked();
        if (converted) {
            EXPECT_EQ(*bytes, ReadFile(binaryPath)) << "list " << i;
            EXPECT_EQ(ReadFile(writtenPath), ReadFile(binaryPath)) << "list " << i;
        }
        // The editor writes a plain list's hex file from its bytes.
        if (const std::optional<ByteVector> plain = PlainSegmentsToBytes(lists[i])) {
            EXPECT_EQ(HexTextOf(*plain), ReadTextFile(hexPath)) << "list " << i;
        }
    }
}

}  // namespace
