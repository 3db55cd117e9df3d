#include "exif/SampleConversion.h"

#include <gtest/gtest.h>

#include "exif/ExifBlock.h"
#include "exif/ExifEngine.h"
#include "imaging/ImageTools.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegEncoder.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/SourceDir.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/FileError.h"
#include "util/FileFailure.h"

namespace {

ByteVector CameraPicture(int thumbnailWidth, int thumbnailHeight) {
    CJpegRecipe thumbnail;
    thumbnail.width = thumbnailWidth;
    thumbnail.height = thumbnailHeight;
    thumbnail.jfif = false;
    return InsertAfterStart(MakeJpeg(CJpegRecipe{}), {MakeExifSegment(MakeJpeg(thumbnail))});
}

// The value of IFD1's thumbnail-length entry in an APP1 segment, read with
// no help from the code under test.
uint32_t Ifd1ThumbnailLength(const ByteVector& segment) {
    const uint8_t* tiff = segment.data() + 10;
    const bool intel = tiff[0] == 'I';
    auto read = [&](size_t offset, int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= uint32_t{tiff[offset + static_cast<size_t>(i)]}
                     << (intel ? 8 * i : 8 * (bytes - 1 - i));
        }
        return value;
    };
    const uint32_t ifd0 = read(4, 4);
    const uint32_t ifd1 = read(ifd0 + 2 + 12 * read(ifd0, 2), 4);
    for (uint32_t k = 0; k < read(ifd1, 2); ++k) {
        const size_t entry = ifd1 + 2 + 12 * k;
        if (read(entry, 2) == 0x0202) {
            return read(entry, 2 + 2) == 3 ? read(entry + 8, 2) : read(entry + 8, 4);
        }
    }
    return 0;
}

// How many APP1 segments in front of the picture data start "Exif\0\0".
size_t ExifSegmentCount(const ByteVector& file) {
    const ByteVector signature = BytesOf(std::string("Exif\0\0", 6));
    size_t count = 0;
    for (size_t pos = 2; pos + 10 <= file.size() && file[pos + 1] != 0xDA;
         pos += 2 + size_t{file[pos + 2]} * 256 + file[pos + 3]) {
        count += file[pos + 1] == 0xE1 &&
                 std::equal(signature.begin(), signature.end(), file.begin() + pos + 4);
    }
    return count;
}

class ASampleConversion : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const ByteVector& bytes) const {
        WriteFile(folder.File(name), bytes);
        return folder.File(name);
    }

    // The decoded Exif values of a file, tag and value, in dictionary order.
    std::vector<std::string> ExifValues(const std::string& path) {
        EXPECT_EQ(engine.ProbeExifFile(path), EExifResult::Done) << path;
        std::vector<std::string> values;
        for (const CExifTagEntry& entry : engine.Dictionary().Entries()) {
            values.push_back(entry.m_strTag + "=" + entry.m_strData);
        }
        return values;
    }

    // The thumbnail the transplant must make of path at width x height: the
    // library's scaled decode, scaled the rest of the way by the tools.
    ByteVector ExpectedThumbnail(const std::string& path, int width, int height) const {
        CImageBuffer picture;
        CImageBuffer thumbnail;
        const ByteVector file = ReadFile(path);
        EXPECT_TRUE(DecodeJpegBytesNear(file.data(), file.size(), width, height, picture));
        thumbnail.m_nWidth = width;
        thumbnail.m_nHeight = height;
        thumbnail.m_nPadBytes = (width * 3 + 3) / 4 * 4 - width * 3;
        thumbnail.m_nSize = int64_t{width * 3 + thumbnail.m_nPadBytes} * height;
        thumbnail.m_pBits.resize(static_cast<size_t>(thumbnail.m_nSize));
        engine.Tools().ScaleImage(picture, thumbnail);
        return *ThumbnailFromEncoded(*EncodeJpegToMemory(thumbnail));
    }

    void ExpectConvertedFrom(const std::string& sample, const std::string& path,
                             const CPackedPicture& before) {
        const ByteVector file = ReadFile(path);
        ASSERT_GE(file.size(), 4u);
        EXPECT_EQ(HexFromBytes({file.begin(), file.begin() + 4}), "FFD8FFE1");
        EXPECT_EQ(ExifValues(path), ExifValues(sample));
        EXPECT_TRUE(ShowsSamePicture(before, path)) << "the picture itself is unchanged";

        const ByteVector block = CutExifSegment(file)->block;
        const CExifThumbnailSplit split = *SplitAtThumbnail(block);
        const CExifThumbnailSplit sampleSplit =
            *SplitAtThumbnail(CutExifSegment(ReadFile(sample))->block);
        int32_t width = 0;
        int32_t height = 0;
        ASSERT_TRUE(ReadJpegHeaderSize(sampleSplit.thumbnail.data(), sampleSplit.thumbnail.size(),
                                       width, height));
        EXPECT_EQ(split.thumbnail, ExpectedThumbnail(path, width, height));
        EXPECT_EQ(Ifd1ThumbnailLength(block), split.thumbnail.size());
    }

    CTempDir folder;
    CWorkFiles work = MakeWorkFiles(folder.Path().string() + "/", folder.Path().string() + "/");
    CExifEngine engine{std::string(kSourceDir) + "/data/exif_inf.pdt", ""};
    CSampleConversion conversion{work, engine};
};

TEST_F(ASampleConversion, GivesEveryDecodableFileTheSamplesBlockAndLeavesTheRestAlone) {
    std::vector<std::string> samples = {Write("made.jpg", CameraPicture(16, 12))};
    for (const auto& file : SampleJpegFiles()) {
        if (file.parent_path().filename() == "camera") {
            samples.push_back(file.string());
        }
    }
    CJpegRecipe colour;
    colour.width = 200;
    colour.height = 150;
    CJpegRecipe grey;
    grey.grayscale = true;
    grey.progressive = true;
    const ByteVector broken = {0xFF, 0xD8, 0xFF, 0xDB, 0x00};
    size_t convertedSamples = 0;
    for (const std::string& sample : samples) {
        if (conversion.LoadSample(sample) != ESampleLoad::Loaded ||
            !SplitAtThumbnail(CutExifSegment(ReadFile(sample))->block)) {
            continue;
        }
        SCOPED_TRACE(sample);
        const std::vector<std::string> paths = {
            Write("colour.jpg", MakeJpeg(colour)), Write("broken.jpg", broken),
            Write("grey.jpg", MakeJpeg(grey)), Write("text.jpg", BytesOf("not a picture")),
            folder.File("gone.jpg")};
        std::vector<CPackedPicture> before(paths.size());
        for (size_t i = 0; i < paths.size(); ++i) {
            DecodeJpegToPacked(paths[i], before[i]);
        }
        conversion.Remove({0, 1, 2, 3, 4});
        conversion.Register(paths);

        const std::vector<CSampleResult> results = conversion.ConvertAll();
        ASSERT_EQ(results.size(), 5u);
        for (const size_t converted : {0, 2}) {
            EXPECT_EQ(results[converted].outcome, ESampleOutcome::Converted);
            ExpectConvertedFrom(sample, paths[converted], before[converted]);
        }
        EXPECT_EQ(results[1].outcome, ESampleOutcome::NotDecoded);
        EXPECT_EQ(results[3].outcome, ESampleOutcome::NotDecoded);
        EXPECT_EQ(results[3].reason, "");
        EXPECT_EQ(results[4].outcome, ESampleOutcome::NotRead);
        EXPECT_EQ(results[4].reason, FileFailureMessage(paths[4], EFileFailure::Missing));
        EXPECT_EQ(ReadFile(paths[1]), broken);
        EXPECT_EQ(conversion.RegisteredFiles(), paths) << "the registrations stay";
        ++convertedSamples;
    }
    EXPECT_GE(convertedSamples, 1u);
}

TEST_F(ASampleConversion, ReplacesAnExifBlockTheFileAlreadyCarriesAndKeepsItsOtherSegments) {
    ASSERT_EQ(conversion.LoadSample(Write("sample.jpg", CameraPicture(16, 12))),
              ESampleLoad::Loaded);
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "kept";
    const std::string path = Write("pc.jpg", MakeJpeg(recipe));
    conversion.Register({path});

    ASSERT_EQ(conversion.ConvertAll().at(0).outcome, ESampleOutcome::Converted);
    const ByteVector once = ReadFile(path);
    ASSERT_EQ(conversion.ConvertAll().at(0).outcome, ESampleOutcome::Converted);
    EXPECT_EQ(ReadFile(path), once) << "a second conversion neither stacks nor grows";
    EXPECT_EQ(ExifSegmentCount(once), 1u);
    EXPECT_EQ(WithoutExifSegments(once), WithoutExifSegments(MakeJpeg(recipe)))
        << "the JFIF and comment segments and the picture stay as they were";
}

TEST_F(ASampleConversion, UsesTheBlockOfTheLastLoadedSample) {
    const std::string path = Write("pc.jpg", MakeJpeg(CJpegRecipe{}));
    conversion.Register({path});
    conversion.LoadSample(Write("first.jpg", CameraPicture(16, 12)));
    ASSERT_EQ(conversion.LoadSample(Write("second.jpg", CameraPicture(24, 18))),
              ESampleLoad::Loaded);
    WriteFile(work.m_strExifDat, {});  // another tool used the work file meanwhile
    ASSERT_EQ(conversion.ConvertAll().at(0).outcome, ESampleOutcome::Converted);
    const ByteVector thumbnail = SplitAtThumbnail(CutExifSegment(ReadFile(path))->block)->thumbnail;
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(ReadJpegHeaderSize(thumbnail.data(), thumbnail.size(), width, height));
    EXPECT_EQ(width, 24);
    EXPECT_EQ(height, 18);
    EXPECT_EQ(conversion.SampleCount(), 2);
}

// A sample without Exif, or whose Exif has no thumbnail to replace, is
// refused once instead of failing every file.
TEST_F(ASampleConversion, HasNothingToConvertWithAfterASampleThatCannotServe) {
    const std::string path = Write("pc.jpg", MakeJpeg(CJpegRecipe{}));
    conversion.Register({path});
    const struct {
        const char* name;
        ByteVector bytes;
        ESampleLoad load;
    } kUnusable[] = {
        {"plain.jpg", MakeJpeg(CJpegRecipe{}), ESampleLoad::NoExif},
        {"bare.jpg", MakeJpegWithTiff({'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         ESampleLoad::NoThumbnail},
    };
    for (const auto& row : kUnusable) {
        conversion.LoadSample(Write("camera.jpg", CameraPicture(16, 12)));
        EXPECT_EQ(conversion.LoadSample(Write("broken.jpg", BytesOf("no picture"))),
                  ESampleLoad::NotDecoded);
        EXPECT_TRUE(conversion.HasSampleExif()) << "a sample that does not decode changes nothing";
        EXPECT_EQ(conversion.LoadSample(Write(row.name, row.bytes)), row.load) << row.name;
        EXPECT_FALSE(conversion.HasSampleExif()) << row.name;
        EXPECT_TRUE(conversion.ConvertAll().empty()) << row.name;
    }
    EXPECT_EQ(ReadFile(path), MakeJpeg(CJpegRecipe{}));
    EXPECT_EQ(conversion.SampleCount(), 4);
}

// The converted file is written beside the file before it replaces it: a
// disk that fills up meanwhile leaves the file as it was and nothing beside it.
TEST_F(ASampleConversion, ThatCannotBeWrittenWholeLeavesTheFileAndNoTemporaryFile) {
    ASSERT_EQ(conversion.LoadSample(Write("sample.jpg", CameraPicture(16, 12))),
              ESampleLoad::Loaded);
    CJpegRecipe large;
    large.width = 640;
    large.height = 480;
    const ByteVector original = MakeJpeg(large);
    const std::string path = Write("pc.jpg", original);
    conversion.Register({path});
    std::vector<CSampleResult> results;
    {
        const CFileSizeLimit limit(original.size() / 2);
        results = conversion.ConvertAll();
    }
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ESampleOutcome::NotWritten);
    EXPECT_EQ(results[0].reason, CFileException(path, EFBIG).what());
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(TemporaryFilesIn(folder.Path()), std::vector<std::string>{});
}

TEST_F(ASampleConversion, KeepsOneRowPerPathAndRemovesSelectedRowsInStep) {
    EXPECT_EQ(conversion.Register({"/a.jpg", "/b.jpg", "/a.jpg"}),
              std::vector<std::string>{"/a.jpg"});
    EXPECT_EQ(conversion.Register({"/c.jpg", "/b.jpg", "/d.jpg"}),
              std::vector<std::string>{"/b.jpg"});
    conversion.Remove({2, 0, 2, 9});
    EXPECT_EQ(conversion.RegisteredFiles(), (std::vector<std::string>{"/b.jpg", "/d.jpg"}));
}

TEST(AConversionSummary, CountsTheConvertedFilesAndNamesEachSkippedOneWithItsReason) {
    const std::string summary = ConversionSummary({{"/p/a.jpg", ESampleOutcome::Converted},
                                                   {"/p/b.jpg", ESampleOutcome::NotDecoded},
                                                   {"/p/c.jpg", ESampleOutcome::Converted}});
    EXPECT_EQ(summary, "3個のﾌｧｲﾙのうち2個を変換しました。\r\nb.jpg：" +
                           SampleOutcomeText(ESampleOutcome::NotDecoded));
}

}  // namespace
