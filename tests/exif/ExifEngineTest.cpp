#include "exif/ExifEngine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "exif/ExifBlock.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegEncoder.h"
#include "segment/SegmentFiles.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileHelpers.h"

namespace {

class AnExifEngine : public ::testing::Test {
protected:
    AnExifEngine() {
        WriteTextFile(folder.File("exif_inf.pdt"), "0112,Orientation,how the picture stands\r\n");
        engine = std::make_unique<CExifEngine>(folder.File("exif_inf.pdt"));
    }

    std::string Data(const std::string& tag) const {
        std::string data;
        engine->Dictionary().LookupData(tag, data);
        return data;
    }

    static ByteVector CameraFile() {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        recipe.comment = "camera";
        return MakeJpeg(recipe);
    }

    CTempDir folder;
    std::unique_ptr<CExifEngine> engine;
    std::string work = folder.File("tempdata.jpg");
    std::string block = folder.File("exif_dat.pdt");
};

TEST_F(AnExifEngine, CutsTheBlockOutOfAWorkCopy) {
    const ByteVector original = CameraFile();
    WriteFile(work, original);
    CExifCutSizes sizes;
    ASSERT_EQ(engine->CutExifToFile(work, block, sizes), EExifResult::Done);
    const ByteVector blockBytes = ReadFile(block);
    const ByteVector rest = ReadFile(work);
    EXPECT_EQ(HexFromBytes({blockBytes.begin(), blockBytes.begin() + 2}), "FFE1");
    EXPECT_EQ(sizes.before, static_cast<int64_t>(original.size()));
    EXPECT_EQ(sizes.after, static_cast<int64_t>(rest.size()));
    EXPECT_EQ(engine->ProbeExifFile(work), EExifResult::NotFound);
}

TEST_F(AnExifEngine, LeavesAnEmptyBlockFileAndTheSourceAloneWithoutABlock) {
    const ByteVector plain = MakeJpeg(CJpegRecipe{});
    WriteFile(work, plain);
    WriteTextFile(block, "stale");
    CExifCutSizes sizes;
    EXPECT_EQ(engine->CutExifToFile(work, block, sizes), EExifResult::NotFound);
    EXPECT_TRUE(ReadFile(block).empty());
    EXPECT_EQ(ReadFile(work), plain);
    EXPECT_EQ(engine->CutExifToFile(folder.File("missing.jpg"), block, sizes),
              EExifResult::FileNotOpened);
}

// What the embedding would refuse later must not be cut and saved now.
TEST_F(AnExifEngine, LeavesAnExifSegmentWithoutATiffHeaderInTheFile) {
    const ByteVector broken = MakeJpegWithTiff({'n', 'o', 't', ' ', 't', 'i', 'f', 'f'});
    WriteFile(work, broken);
    CExifCutSizes sizes;
    EXPECT_EQ(engine->CutExifToFile(work, block, sizes), EExifResult::Unrestorable);
    EXPECT_TRUE(ReadFile(block).empty());
    EXPECT_EQ(ReadFile(work), broken);
}

TEST_F(AnExifEngine, PutsACutBlockBackSoThatItDecodesTheSame) {
    WriteFile(work, CameraFile());
    ASSERT_EQ(engine->ProbeExifFile(work), EExifResult::Done);
    const std::string before = Data("0112");
    EXPECT_EQ(before, "1");
    CExifCutSizes sizes;
    ASSERT_EQ(engine->CutExifToFile(work, block, sizes), EExifResult::Done);

    BinaryFileToHexFile(work, folder.File("temphexa.pdt"));
    BinaryFileToHexFile(block, folder.File("block.pdt"));
    ASSERT_EQ(engine->InsertExifHex(folder.File("temphexa.pdt"), folder.File("block.pdt")),
              EExifResult::Done);
    ASSERT_TRUE(HexFileToBinary(folder.File("temphexa.pdt"), work));
    EXPECT_EQ(engine->ProbeExifFile(work), EExifResult::Done);
    EXPECT_EQ(Data("0112"), before);
}

// The work copy is cut and its text opened up where it lies, a megabyte at a
// time: wherever the segment lies, even across two of those blocks, and
// however long the text, the result is what the work in memory makes.
TEST_F(AnExifEngine, CutsAndInsertsInWorkFilesOfAnySizeWhatTheWorkInMemoryMakes) {
    const ByteVector segment = MakeExifSegment(MakeJpeg(CJpegRecipe{}));
    constexpr size_t kReadBlock = size_t{1} << 20;
    // Where the signature starts, four bytes behind the segment's marker.
    for (const size_t signature : {size_t{6}, kReadBlock - 7, kReadBlock - 6, kReadBlock - 3,
                                   kReadBlock + 1, 3 * kReadBlock + 5}) {
        ByteVector file = {0xFF, 0xD8};
        file.resize(signature - 4, 0x00);
        file.insert(file.end(), segment.begin(), segment.end());
        file.resize(file.size() + 100, 0x11);
        WriteFile(work, file);
        const CExifCut expected = *CutExifSegment(file);
        CExifCutSizes sizes;
        ASSERT_EQ(engine->CutExifToFile(work, block, sizes), EExifResult::Done) << signature;
        EXPECT_EQ(ReadFile(block), expected.block) << signature;
        EXPECT_EQ(ReadFile(work), expected.remainder) << signature;
        EXPECT_EQ(sizes.after, static_cast<int64_t>(expected.remainder.size())) << signature;
    }
    std::string text = "0000";
    while (text.size() < 3 * kReadBlock) {
        text += "0123456789ABCDEF";
    }
    for (const std::string& piece : {std::string("FFE10004ABCD"), std::string(kReadBlock, 'E')}) {
        WriteTextFile(folder.File("j.pdt"), text);
        WriteTextFile(folder.File("b.pdt"), piece);
        ASSERT_EQ(engine->InsertExifHex(folder.File("j.pdt"), folder.File("b.pdt")),
                  EExifResult::Done);
        EXPECT_EQ(ReadTextFile(folder.File("j.pdt")), "FFD8" + piece + text.substr(4));
    }
}

TEST_F(AnExifEngine, InsertsAnEmptyBlockAsAFreshStartMarkerOnly) {
    WriteTextFile(folder.File("j.pdt"), "0000FFE0AB");
    WriteTextFile(folder.File("b.pdt"), "");
    EXPECT_EQ(engine->InsertExifHex(folder.File("j.pdt"), folder.File("b.pdt")), EExifResult::Done);
    EXPECT_EQ(ReadTextFile(folder.File("j.pdt")), "FFD8FFE0AB");
    EXPECT_EQ(engine->InsertExifHex(folder.File("j.pdt"), folder.File("none.pdt")),
              EExifResult::FileNotOpened);
}

TEST_F(AnExifEngine, TransplantsABlockWithAThumbnailOfTheTargetsOwnPicture) {
    const std::string exifPath = folder.File("camera.exif");
    const std::optional<CExifCut> cut = CutExifSegment(CameraFile());
    ASSERT_TRUE(cut);
    WriteFile(exifPath, cut->block);
    const std::string target = folder.File("pc.jpg");
    CJpegRecipe pcRecipe;
    pcRecipe.width = 200;
    pcRecipe.height = 150;
    WriteFile(target, MakeJpeg(pcRecipe));
    CPackedPicture before;
    ASSERT_TRUE(DecodeJpegToPacked(target, before));

    ASSERT_EQ(engine->TransplantExifWithThumbnail(exifPath, target), EExifResult::Done);
    const ByteVector result = ReadFile(target);
    EXPECT_EQ(HexFromBytes({result.begin(), result.begin() + 4}), "FFD8FFE1");
    EXPECT_TRUE(VerifyJpegAgainstReference(before.m_pBits.data(), before.m_nSize, target))
        << "the picture itself is unchanged";

    const std::optional<CExifCut> transplanted = CutExifSegment(result);
    ASSERT_TRUE(transplanted);
    const std::optional<CExifThumbnailSplit> split = SplitAtThumbnail(transplanted->block);
    ASSERT_TRUE(split);
    CImageBuffer thumbnail;
    ASSERT_TRUE(
        PrepareImageFromJpegHeader(split->thumbnail.data(), split->thumbnail.size(), thumbnail));
    EXPECT_EQ(thumbnail.m_nWidth, 16);
    EXPECT_EQ(thumbnail.m_nHeight, 12);
    WriteFile(folder.File("thumb.jpg"), split->thumbnail);
    CPackedPicture decoded;
    EXPECT_TRUE(DecodeJpegToPacked(folder.File("thumb.jpg"), decoded));
}

// The new thumbnail comes from a decode the library scaled down; on a smooth
// picture it shows what the thumbnail made from the whole decode showed,
// within the rounding of the two ways.
TEST_F(AnExifEngine, MakesTheThumbnailFromAScaledDecodeCloseToTheWholeOne) {
    const std::string exifPath = folder.File("camera.exif");
    WriteFile(exifPath, CutExifSegment(CameraFile())->block);
    CJpegRecipe smooth;
    smooth.width = 640;
    smooth.height = 480;
    for (int y = 0; y < smooth.height; ++y) {
        for (int x = 0; x < smooth.width; ++x) {
            smooth.pixels.insert(smooth.pixels.end(), {static_cast<uint8_t>(x * 255 / 639),
                                                       static_cast<uint8_t>(y * 255 / 479), 90});
        }
    }
    const std::string target = folder.File("smooth.jpg");
    WriteFile(target, MakeJpeg(smooth));
    CImageBuffer whole;
    ASSERT_TRUE(DecodeJpegFile(target, whole));

    ASSERT_EQ(engine->TransplantExifWithThumbnail(exifPath, target), EExifResult::Done);
    const ByteVector thumbnailBytes =
        SplitAtThumbnail(CutExifSegment(ReadFile(target))->block)->thumbnail;
    WriteFile(folder.File("thumb.jpg"), thumbnailBytes);
    CImageBuffer thumbnail;
    ASSERT_TRUE(DecodeJpegFile(folder.File("thumb.jpg"), thumbnail));
    CImageBuffer scaled = thumbnail;
    engine->Tools().ScaleImage(whole, scaled);
    WriteFile(folder.File("whole.jpg"), *EncodeJpegToMemory(scaled));
    CImageBuffer expected;
    ASSERT_TRUE(DecodeJpegFile(folder.File("whole.jpg"), expected));
    ASSERT_EQ(thumbnail.m_nWidth, 16);
    ASSERT_EQ(thumbnail.m_nHeight, 12);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t made = GetPixel(thumbnail, x, y);
            const uint32_t wanted = GetPixel(expected, x, y);
            for (const int shift : {0, 8, 16}) {
                EXPECT_NEAR(made >> shift & 0xFF, wanted >> shift & 0xFF, 6)
                    << x << "," << y << " channel " << shift / 8;
            }
        }
    }
}

TEST_F(AnExifEngine, RefusesATransplantThatWouldOverflowTheSegmentAndKeepsTheTarget) {
    // A grey thumbnail in a segment of the greatest length: the colour one
    // made anew is larger and cannot fit.
    CJpegRecipe grey;
    grey.width = 16;
    grey.height = 12;
    grey.grayscale = true;
    grey.jfif = false;
    grey.quality = 50;
    ByteVector block = MakeExifSegment(MakeJpeg(grey));
    // Zeros after the first 20 bytes until the segment is 0xFFFF + 2 bytes.
    ByteVector padded(0xFFFF + 2, 0);
    std::copy(block.begin(), block.begin() + 20, padded.begin());
    std::copy(block.begin() + 20, block.end(), padded.end() - (block.end() - block.begin() - 20));
    block = std::move(padded);
    block[2] = 0xFF;
    block[3] = 0xFF;
    const std::string exifPath = folder.File("big.exif");
    WriteFile(exifPath, block);
    const std::string target = folder.File("pc.jpg");
    const ByteVector original = MakeJpeg(CJpegRecipe{});
    WriteFile(target, original);
    EXPECT_EQ(engine->TransplantExifWithThumbnail(exifPath, target), EExifResult::NotFound);
    EXPECT_EQ(ReadFile(target), original);
    EXPECT_EQ(engine->TransplantExifWithThumbnail(folder.File("none.exif"), target),
              EExifResult::FileNotOpened);
}

// Blocks with thumbnails of several sizes made here, and the real cameras'
// files beside the checkout where there are some.
TEST_F(AnExifEngine, TransplantsEachCameraBlockAtItsThumbnailsSize) {
    std::vector<std::pair<std::string, ByteVector>> samples;
    for (const auto& [width, height] : {std::pair{160, 120}, {80, 60}, {120, 160}}) {
        CJpegRecipe thumbnail;
        thumbnail.width = width;
        thumbnail.height = height;
        thumbnail.jfif = false;
        CJpegRecipe picture;
        picture.jfif = false;
        samples.push_back(
            {std::to_string(width) + "x" + std::to_string(height),
             InsertAfterStart(MakeJpeg(picture), {MakeExifSegment(MakeJpeg(thumbnail))})});
    }
    for (const std::filesystem::path& path : SharedCameraFiles()) {
        samples.push_back({path.string(), ReadFile(path.string())});
    }
    size_t transplanted = 0;
    for (const auto& [sample, bytes] : samples) {
        const std::optional<CExifCut> cut = CutExifSegment(bytes);
        const std::optional<CExifThumbnailSplit> split =
            cut ? SplitAtThumbnail(cut->block) : std::nullopt;
        if (!split) {
            continue;
        }
        CImageBuffer oldThumbnail;
        if (!PrepareImageFromJpegHeader(split->thumbnail.data(), split->thumbnail.size(),
                                        oldThumbnail)) {
            continue;
        }
        const std::string exifPath = folder.File("sample.exif");
        WriteFile(exifPath, cut->block);
        const std::string target = folder.File("target.jpg");
        WriteFile(target, MakeJpeg(CJpegRecipe{}));
        ASSERT_EQ(engine->TransplantExifWithThumbnail(exifPath, target), EExifResult::Done)
            << sample;
        const auto newSplit = SplitAtThumbnail(CutExifSegment(ReadFile(target))->block);
        ASSERT_TRUE(newSplit) << sample;
        CImageBuffer newThumbnail;
        ASSERT_TRUE(PrepareImageFromJpegHeader(newSplit->thumbnail.data(),
                                               newSplit->thumbnail.size(), newThumbnail));
        EXPECT_EQ(newThumbnail.m_nWidth, oldThumbnail.m_nWidth) << sample;
        EXPECT_EQ(newThumbnail.m_nHeight, oldThumbnail.m_nHeight) << sample;
        ++transplanted;
    }
    EXPECT_GE(transplanted, 3U);
}

struct CBackupNameCase {
    const char* path;
    const char* exifName;
    const char* expected;
};

class ABackupName : public ::testing::TestWithParam<CBackupNameCase> {};

TEST_P(ABackupName, DropsExactlyFourCharactersAndAddsTheSetting) {
    CMemorySettingsStore settings;
    if (GetParam().exifName != nullptr) {
        settings.Write(settings::kExifName, GetParam().exifName);
    }
    EXPECT_EQ(CExifEngine::ExifBackupName(GetParam().path, settings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ABackupName,
    ::testing::Values(CBackupNameCase{"/photo/a.jpg", nullptr, "/photo/a_kestrin100.exif"},
                      CBackupNameCase{"/photo/a.jpg", "", "/photo/a.exif"},
                      CBackupNameCase{"abc", nullptr, "abc_kestrin100.exif"},
                      CBackupNameCase{"pic.jpeg", nullptr, "pic._kestrin100.exif"},
                      CBackupNameCase{"写真.jpg", "_控え", "写真_控え.exif"},
                      CBackupNameCase{"写真", nullptr, "写真_kestrin100.exif"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

struct CLocateCase {
    const char* name;
    std::string hex;
    bool found;
    size_t start;
    size_t length;
};

class ALocatedBlock : public ::testing::TestWithParam<CLocateCase> {};

TEST_P(ALocatedBlock, LiesWhollyInsideTheText) {
    const std::optional<CExifLocation> location = CExifEngine::LocateExifHex(GetParam().hex);
    ASSERT_EQ(location.has_value(), GetParam().found);
    if (location) {
        EXPECT_EQ(location->start, GetParam().start);
        EXPECT_EQ(location->length, GetParam().length);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ALocatedBlock,
    ::testing::Values(CLocateCase{"Aligned", "FFD8FFE1000A457869660000AABBCCDD", true, 24, 4},
                      CLocateCase{"OddPosition", "0FFD8FFE1000A457869660000AABBCCDD", true, 25, 4},
                      CLocateCase{"PastTheEnd", "FFD8FFE10010457869660000AABBCCDD", false, 0, 0},
                      CLocateCase{"NothingInside", "FFD8FFE10008457869660000AABB", false, 0, 0},
                      CLocateCase{"BeforeTheText", "000457869660000AABBCCDD", false, 0, 0},
                      CLocateCase{"NoSignature", "FFD8FFE1000A4578696600", false, 0, 0},
                      CLocateCase{"SignatureAtTheEnd", "FFD8FFE1000A457869660000", false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
