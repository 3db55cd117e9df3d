#include "imaging/DocImageObserver.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegEncoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// A picture of the given samples, written as recipe says.
std::vector<uint8_t> Encode(CJpegRecipe recipe, std::vector<uint8_t> pixels) {
    recipe.pixels = std::move(pixels);
    return MakeJpeg(recipe);
}

std::vector<uint8_t> NoisyRgb(int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    uint32_t noise = 99;
    for (uint8_t& byte : pixels) {
        noise = noise * 1103515245 + 12345;
        byte = static_cast<uint8_t>(noise >> 16);
    }
    return pixels;
}

std::vector<uint8_t> Uniform(int width, int height, const std::vector<uint8_t>& pixel) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), pixel.begin(), pixel.end());
    }
    return pixels;
}

CJpegRecipe Sized(int width, int height) {
    CJpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    return recipe;
}

CPackedPicture DecodeBytes(const std::vector<uint8_t>& file) {
    CPackedPicture picture;
    EXPECT_TRUE(DecodeJpegBytesToPacked(file.data(), file.size(), picture));
    return picture;
}

// The file without the segments before its first scan whose marker drop
// picks; everything from the scan on is kept as it is.
std::vector<uint8_t> WithoutSegments(const std::vector<uint8_t>& file,
                                     const std::function<bool(uint8_t)>& drop) {
    std::vector<uint8_t> result(file.begin(), file.begin() + 2);
    size_t pos = 2;
    while (pos + 4 <= file.size() && file[pos] == 0xFF && file[pos + 1] != 0xFF &&
           file[pos + 1] != 0xDA) {
        const size_t length = 2 + (size_t{file[pos + 2]} << 8 | file[pos + 3]);
        if (pos + length > file.size()) {
            break;
        }
        if (!drop(file[pos + 1])) {
            result.insert(result.end(), file.begin() + pos, file.begin() + pos + length);
        }
        pos += length;
    }
    result.insert(result.end(), file.begin() + pos, file.end());
    return result;
}

bool IsExifOrCommentLike(uint8_t marker) {
    return marker == 0xFE || (marker >= 0xE1 && marker <= 0xED);
}

size_t LastScanStart(const std::vector<uint8_t>& file) {
    for (size_t pos = file.size() - 2; pos > 0; --pos) {
        if (file[pos] == 0xFF && file[pos + 1] == 0xDA) {
            return pos;
        }
    }
    return 0;
}

class AJpegFile : public ::testing::Test {
protected:
    CTempDir folder;

    std::string Write(const std::vector<uint8_t>& bytes, const std::string& name = "a.jpg") {
        const std::string path = folder.File(name);
        WriteFile(path, bytes);
        return path;
    }
    bool Verify(const CPackedPicture& reference, const std::vector<uint8_t>& file) {
        return VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize,
                                          Write(file, "changed.jpg"));
    }
};

TEST_F(AJpegFile, DecodesToPackedBlueGreenRedTopRowFirst) {
    // Left half red, right half blue, encoded by the wrapper itself.
    CImageBuffer image;
    image.m_nWidth = 32;
    image.m_nHeight = 16;
    image.m_pBits = Uniform(32, 16, {0, 0, 0});
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            PutPixel(image, x, y, x < 16 ? 0x0000FF : 0xFF0000);
        }
    }
    const std::optional<std::vector<uint8_t>> file = EncodeJpegToMemory(image);
    ASSERT_TRUE(file);
    CPackedPicture picture;
    ASSERT_TRUE(DecodeJpegToPacked(Write(*file), picture));
    EXPECT_EQ(picture.m_nWidth, 32);
    EXPECT_EQ(picture.m_nHeight, 16);
    EXPECT_EQ(picture.m_nSize, 32 * 16 * 3);
    EXPECT_EQ(picture.m_pBits.size(), 32u * 16 * 3);
    const uint8_t* red = &picture.m_pBits[(8 * 32 + 4) * 3];
    const uint8_t* blue = &picture.m_pBits[(8 * 32 + 28) * 3];
    EXPECT_LT(red[0], 10);
    EXPECT_GT(red[2], 245);
    EXPECT_GT(blue[0], 245);
    EXPECT_LT(blue[2], 10);
}

TEST_F(AJpegFile, OfGreyScaleGivesThreeEqualBytesAPixel) {
    CJpegRecipe recipe;
    recipe.grayscale = true;
    const CPackedPicture picture = DecodeBytes(MakeJpeg(recipe));
    ASSERT_EQ(picture.m_nSize, 64 * 48 * 3);
    bool varies = false;
    for (size_t i = 0; i < picture.m_pBits.size(); i += 3) {
        ASSERT_EQ(picture.m_pBits[i], picture.m_pBits[i + 1]) << i;
        ASSERT_EQ(picture.m_pBits[i], picture.m_pBits[i + 2]) << i;
        varies = varies || picture.m_pBits[i] != picture.m_pBits[0];
    }
    EXPECT_TRUE(varies);
}

TEST_F(AJpegFile, GivesTheSamePixelsWhateverTheEntropyCoding) {
    const std::vector<uint8_t> pixels = NoisyRgb(48, 40);
    const CJpegRecipe baseline = Sized(48, 40);
    const CPackedPicture expected = DecodeBytes(Encode(baseline, pixels));
    std::vector<CJpegRecipe> codings(5, baseline);
    codings[0].progressive = true;
    codings[1].restartRows = 1;
    codings[2].arithmetic = true;
    codings[3].arithmetic = true;
    codings[3].progressive = true;
    codings[4].arithmetic = true;
    codings[4].restartRows = 2;
    for (const CJpegRecipe& coding : codings) {
        EXPECT_EQ(DecodeBytes(Encode(coding, pixels)).m_pBits, expected.m_pBits);
    }
}

struct CFourChannelCase {
    const char* name;
    bool ycck;
    bool adobeMarker;
    std::vector<uint8_t> cmyk;
    std::array<int, 3> bgr;
};

void PrintTo(const CFourChannelCase& c, std::ostream* out) {
    *out << c.name;
}

class AFourChannelFile : public ::testing::TestWithParam<CFourChannelCase> {};

TEST_P(AFourChannelFile, DecodesToTheInkFreeShareTimesTheBlackFreeShare) {
    const CFourChannelCase& c = GetParam();
    CJpegRecipe coding = Sized(16, 16);
    coding.cmyk = true;
    coding.ycck = c.ycck;
    coding.adobeMarker = c.adobeMarker;
    coding.quality = 100;
    const CPackedPicture picture = DecodeBytes(Encode(coding, Uniform(16, 16, c.cmyk)));
    ASSERT_EQ(picture.m_nSize, 16 * 16 * 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(picture.m_pBits[(5 * 16 + 7) * 3 + i], c.bgr[i], 2) << c.name << " " << i;
    }
}

// With an Adobe marker the stored values are the ink-free shares; without
// one they are amounts of ink.
INSTANTIATE_TEST_SUITE_P(
    Colours, AFourChannelFile,
    ::testing::Values(CFourChannelCase{"adobe", false, true, {200, 100, 50, 255}, {50, 100, 200}},
                      CFourChannelCase{
                          "adobe half black", false, true, {200, 100, 50, 128}, {25, 50, 100}},
                      CFourChannelCase{"plain", false, false, {55, 155, 205, 0}, {50, 100, 200}},
                      CFourChannelCase{"ycck", true, true, {200, 100, 50, 255}, {50, 100, 200}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = c == ' ' ? '_' : c;
        }
        return name;
    });

TEST_F(AJpegFile, ThatEndsEarlyDecodesWithCountedWarnings) {
    std::vector<uint8_t> file = MakeJpeg(CJpegRecipe{});
    file.resize(file.size() * 2 / 3);
    const CPackedPicture picture = DecodeBytes(file);
    EXPECT_GT(picture.m_nWarnings, 0);
    int warnings = 0;
    EXPECT_TRUE(VerifyJpegAgainstReference(picture.m_pBits.data(), picture.m_nSize, Write(file),
                                           &warnings));
    EXPECT_EQ(warnings, picture.m_nWarnings);
}

TEST_F(AJpegFile, ThatFailsToDecodeLeavesThePictureAsItWas) {
    CPackedPicture picture;
    picture.m_pBits = {1, 2, 3};
    picture.m_nSize = 3;
    const std::vector<uint8_t> file = MakeJpeg(CJpegRecipe{});
    const std::vector<std::vector<uint8_t>> broken = {
        {},
        {0xFF, 0xD8},
        {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'},
        std::vector<uint8_t>(file.begin(), file.begin() + 100)};
    for (const std::vector<uint8_t>& bytes : broken) {
        EXPECT_FALSE(DecodeJpegToPacked(Write(bytes), picture));
        EXPECT_FALSE(DecodeJpegBytesToPacked(bytes.data(), bytes.size(), picture));
    }
    EXPECT_FALSE(DecodeJpegToPacked(folder.File("missing.jpg"), picture));
    EXPECT_EQ(picture.m_pBits, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(picture.m_nSize, 3);
}

// The frame header of a tiny file patched to claim 65500 x 65500 pixels.
std::vector<uint8_t> ClaimingHugeSize() {
    std::vector<uint8_t> file = MakeJpeg(Sized(16, 16));
    for (size_t pos = 2; pos + 9 < file.size(); ++pos) {
        if (file[pos] == 0xFF && file[pos + 1] == 0xC0) {
            file[pos + 5] = file[pos + 7] = 0xFF;
            file[pos + 6] = file[pos + 8] = 0xDC;
            break;
        }
    }
    return file;
}

TEST_F(AJpegFile, ThatClaimsAHugePictureIsRefusedBeforeAllocating) {
    const std::vector<uint8_t> file = ClaimingHugeSize();
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(ReadJpegHeaderSize(file.data(), file.size(), width, height));
    EXPECT_EQ(width, 65500);
    EXPECT_EQ(height, 65500);
    CPackedPicture picture;
    EXPECT_FALSE(DecodeJpegBytesToPacked(file.data(), file.size(), picture));
    CImageBuffer image;
    EXPECT_FALSE(PrepareImageFromJpegHeader(file.data(), file.size(), image));
    EXPECT_TRUE(image.m_pBits.empty());
}

TEST_F(AJpegFile, WithEndlessScansIsRefused) {
    CJpegRecipe coding = Sized(16, 16);
    coding.progressive = true;
    const std::vector<uint8_t> file = Encode(coding, NoisyRgb(16, 16));
    const size_t lastScan = LastScanStart(file);
    ASSERT_GT(lastScan, 0u);
    const std::vector<uint8_t> scan(file.begin() + static_cast<ptrdiff_t>(lastScan),
                                    file.end() - 2);
    const auto repeated = [&](int times) {
        std::vector<uint8_t> result(file.begin(), file.end() - 2);
        for (int i = 0; i < times; ++i) {
            result.insert(result.end(), scan.begin(), scan.end());
        }
        result.insert(result.end(), {0xFF, 0xD9});
        return result;
    };
    CPackedPicture picture;
    const std::vector<uint8_t> some = repeated(20);
    EXPECT_TRUE(DecodeJpegBytesToPacked(some.data(), some.size(), picture));
    const std::vector<uint8_t> endless = repeated(1000);
    EXPECT_FALSE(DecodeJpegBytesToPacked(endless.data(), endless.size(), picture));
}

TEST_F(AJpegFile, DecodesIntoAnOwnFormPictureWithRowsPaddedToFourBytes) {
    const std::vector<uint8_t> file = MakeJpeg(Sized(5, 3));
    const CPackedPicture packed = DecodeBytes(file);
    CImageBuffer image;
    image.m_pInfo.assign(40, 0);
    ASSERT_TRUE(DecodeJpegFile(Write(file), image));
    EXPECT_FALSE(image.IsPluginForm());
    EXPECT_EQ(image.m_nWidth, 5);
    EXPECT_EQ(image.m_nHeight, 3);
    EXPECT_EQ(image.m_nPadBytes, 1);
    EXPECT_EQ(image.m_nSize, 16 * 3);
    EXPECT_EQ(image.m_nBitCount, 24);
    for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(std::equal(packed.m_pBits.begin() + y * 15,
                               packed.m_pBits.begin() + y * 15 + 15,
                               image.m_pBits.begin() + y * 16));
    }
    EXPECT_FALSE(DecodeJpegFile(folder.File("missing.jpg"), image));
    EXPECT_TRUE(image.m_pBits.empty());
}

// The library scales by 1/8, 1/4 or 1/2, rounding up; the smallest that still
// covers the size asked for is taken, and never more than the picture.
TEST_F(AJpegFile, DecodedNearASizeTakesTheSmallestScaleThatStillCoversIt) {
    struct CNearCase {
        int width, height, askedWidth, askedHeight, width2, height2;
        bool cmyk;
    };
    const CNearCase cases[] = {
        {640, 480, 16, 12, 80, 60, false},   {640, 480, 100, 60, 160, 120, false},
        {640, 480, 321, 1, 640, 480, false}, {640, 480, 800, 600, 640, 480, false},
        {643, 481, 1, 1, 81, 61, false},     {643, 481, 81, 62, 161, 121, false},
        {64, 48, 30, 20, 32, 24, true},
    };
    for (const CNearCase& c : cases) {
        CJpegRecipe recipe = Sized(c.width, c.height);
        recipe.cmyk = c.cmyk;
        const std::vector<uint8_t> file = MakeJpeg(recipe);
        CImageBuffer image;
        ASSERT_TRUE(
            DecodeJpegBytesNear(file.data(), file.size(), c.askedWidth, c.askedHeight, image))
            << c.width << "x" << c.height;
        EXPECT_EQ(image.m_nWidth, c.width2) << c.askedWidth;
        EXPECT_EQ(image.m_nHeight, c.height2) << c.askedHeight;
        EXPECT_EQ(image.m_nSize, (c.width2 * 3 + image.m_nPadBytes) * c.height2);
    }
    CImageBuffer image;
    EXPECT_FALSE(DecodeJpegBytesNear(nullptr, 0, 1, 1, image));
}

TEST_F(AJpegFile, HeaderGivesAnEmptyPictureOfItsSize) {
    const std::vector<uint8_t> file = MakeJpeg(Sized(7, 9));
    CImageBuffer image;
    ASSERT_TRUE(PrepareImageFromJpegHeader(file.data(), file.size(), image));
    EXPECT_EQ(image.m_nWidth, 7);
    EXPECT_EQ(image.m_nHeight, 9);
    EXPECT_EQ(image.m_nPadBytes, 3);
    EXPECT_EQ(image.m_nSize, 24 * 9);
    EXPECT_EQ(image.m_pBits.size(), 24u * 9);
    EXPECT_FALSE(PrepareImageFromJpegHeader(file.data(), 0, image));
    EXPECT_FALSE(PrepareImageFromJpegHeader(file.data(), 10, image));
}

TEST_F(AJpegFile, EncodesAtQuality75WithoutAJfifSegment) {
    // The same picture once packed and once with four garbage bytes a row.
    CImageBuffer packed;
    packed.m_nWidth = 24;
    packed.m_nHeight = 20;
    packed.m_pBits = NoisyRgb(24, 20);
    CImageBuffer padded = packed;
    padded.m_nPadBytes = 4;
    padded.m_pBits.clear();
    for (int y = 0; y < 20; ++y) {
        const auto row = packed.m_pBits.begin() + y * 72;
        padded.m_pBits.insert(padded.m_pBits.end(), row, row + 72);
        padded.m_pBits.insert(padded.m_pBits.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    }
    const std::optional<std::vector<uint8_t>> file = EncodeJpegToMemory(packed);
    ASSERT_TRUE(file);
    EXPECT_EQ(EncodeJpegToMemory(padded), file);
    ASSERT_GT(file->size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(file->begin(), file->begin() + 4),
              (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xDB}));
    // The first luminance quantiser: 16 scaled to quality 75 is 8.
    EXPECT_EQ((*file)[7], 8);
    EXPECT_EQ(std::vector<uint8_t>(file->end() - 2, file->end()),
              (std::vector<uint8_t>{0xFF, 0xD9}));
    EXPECT_EQ(DecodeBytes(*file).m_nSize, 24 * 20 * 3);
}

TEST_F(AJpegFile, EncoderRefusesPicturesItCannotRead) {
    CImageBuffer shortBits;
    shortBits.m_nWidth = 10;
    shortBits.m_nHeight = 10;
    shortBits.m_pBits.assign(299, 0);
    CImageBuffer empty = shortBits;
    empty.m_nWidth = 0;
    CImageBuffer plugin = shortBits;
    plugin.m_pBits.assign(300, 0);
    plugin.m_pInfo.assign(40, 0);
    for (const CImageBuffer* image : {&shortBits, &empty, &plugin}) {
        EXPECT_FALSE(EncodeJpegToMemory(*image));
    }
}

class ADocumentObserver : public IDocImageObserver {
public:
    void OnDocImage(EDocImageCode code) override { codes.push_back(code); }
    std::vector<EDocImageCode> codes;
};

TEST_F(AJpegFile, ForTheDocumentIsAnnouncedAndStoredOnlyWhenItDecodes) {
    ADocumentObserver observer;
    CPackedPicture picture;
    ASSERT_TRUE(
        DecodeJpegForDocument(Write(MakeJpeg(CJpegRecipe{}), "any.jpeg"), picture, observer));
    EXPECT_EQ(observer.codes,
              (std::vector<EDocImageCode>{EDocImageCode::DropCache, EDocImageCode::Stored}));
    EXPECT_EQ(picture.m_nSize, 64 * 48 * 3);

    observer.codes.clear();
    EXPECT_FALSE(DecodeJpegForDocument(Write({0xFF, 0xD8, 0xFF}), picture, observer));
    EXPECT_EQ(observer.codes, (std::vector<EDocImageCode>{EDocImageCode::DropCache}));
    EXPECT_EQ(picture.m_nSize, 64 * 48 * 3);
    EXPECT_EQ(picture.m_nWidth, 64);
}

TEST_F(AJpegFile, NameMustEndInJpgInAnyCase) {
    const std::vector<uint8_t> file = MakeJpeg(CJpegRecipe{});
    const CPackedPicture reference = DecodeBytes(file);
    const std::vector<std::pair<std::string, bool>> names = {
        {"a.jpg", true},   {"B.JPG", true},  {"c.Jpg", true},     {"d.jpeg", false},
        {"e.JPEG", false}, {"f.png", false}, {"g.jpg.bak", false}};
    for (const auto& [name, passes] : names) {
        const std::string path = Write(file, name);
        CPackedPicture picture;
        EXPECT_EQ(DecodeJpegToPacked(path, picture), passes) << name;
        EXPECT_EQ(VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, path),
                  passes)
            << name;
    }
}

class AVerification : public AJpegFile {
protected:
    CJpegRecipe recipe = [] {
        CJpegRecipe r;
        r.exifWithThumbnail = true;
        r.comment = "made by a test";
        return r;
    }();
    std::vector<uint8_t> original = MakeJpeg(recipe);
    CPackedPicture reference = DecodeBytes(original);
};

TEST_F(AVerification, PassesWhenAnApplicationSegmentOrACommentIsRemoved) {
    for (uint8_t marker : {0xE0, 0xE1, 0xFE}) {
        const std::vector<uint8_t> changed =
            WithoutSegments(original, [&](uint8_t m) { return m == marker; });
        ASSERT_LT(changed.size(), original.size()) << int{marker};
        EXPECT_TRUE(Verify(reference, changed)) << int{marker};
    }
}

TEST_F(AVerification, FailsWhenOneByteOfEntropyDataChanges) {
    std::vector<uint8_t> changed = original;
    size_t pos = LastScanStart(original) + 20 + (original.size() - LastScanStart(original)) / 2;
    while (changed[pos - 1] == 0xFF || changed[pos] >= 0xFE || changed[pos + 1] == 0xFF) {
        ++pos;
    }
    changed[pos] ^= 0x01;
    EXPECT_FALSE(Verify(reference, changed));
}

TEST_F(AVerification, FailsForAPictureOfAnotherSize) {
    recipe.height = 40;
    EXPECT_FALSE(Verify(reference, MakeJpeg(recipe)));
}

// A check that compared only the reference's length of leading bytes would
// pass a taller picture whose top rows are the reference.
TEST_F(AVerification, FailsForATallerPictureWithTheSameTopRows) {
    recipe.height = 96;
    const std::vector<uint8_t> taller = MakeJpeg(recipe);
    CPackedPicture topHalf = DecodeBytes(taller);
    topHalf.m_pBits.resize(topHalf.m_pBits.size() / 2);
    topHalf.m_nSize = static_cast<int64_t>(topHalf.m_pBits.size());
    EXPECT_FALSE(Verify(topHalf, taller));
    EXPECT_TRUE(Verify(DecodeBytes(taller), taller));
}

TEST_F(AVerification, WithAnEmptyReferenceFailsAtOnce) {
    const std::string path = Write(original);
    EXPECT_FALSE(VerifyJpegAgainstReference(reference.m_pBits.data(), 0, path));
    int warnings = -1;
    EXPECT_FALSE(VerifyJpegAgainstReference(nullptr, 0, path, &warnings));
    EXPECT_EQ(warnings, 0);
}

TEST_F(AVerification, FailsForAFileThatDoesNotDecode) {
    EXPECT_FALSE(Verify(reference, {0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_FALSE(VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize,
                                            folder.File("missing.jpg")));
}

// The batch checks its result in memory before writing it anywhere: that
// check must pass and fail exactly where the check of the written file does.
TEST_F(AVerification, InMemoryAgreesWithTheCheckOfTheWrittenFile) {
    std::vector<uint8_t> changedByte = original;
    changedByte[LastScanStart(original) + 40] ^= 0x01;
    std::vector<uint8_t> truncated = original;
    truncated.resize(original.size() * 2 / 3);
    CJpegRecipe otherSize = recipe;
    otherSize.height = 40;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool passes;
    } cases[] = {
        {"unchanged", original, true},
        {"without comment", WithoutSegments(original, [](uint8_t m) { return m == 0xFE; }), true},
        {"one entropy byte changed", changedByte, false},
        {"other size", MakeJpeg(otherSize), false},
        {"cut short: warnings the reference had not", truncated, false},
        {"no picture", {0xFF, 0xD8, 0xFF, 0xD9}, false},
        {"empty", {}, false},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ShowsSamePicture(reference, Write(row.bytes, "changed.jpg")), row.passes)
            << row.name;
        EXPECT_EQ(ShowsSamePicture(reference, row.bytes.data(), row.bytes.size()), row.passes)
            << row.name;
    }
    EXPECT_FALSE(ShowsSamePicture(CPackedPicture(), original.data(), original.size()))
        << "an empty reference";
}

// Every sample that decodes verifies against its own decode, also with its
// comments and its APP1 to APP13 segments removed.
TEST(TheSampleFiles, VerifyAgainstTheirOwnDecode) {
    const CTempDir folder;
    const std::string stripped = folder.File("stripped.jpg");
    int decoded = 0;
    int skipped = 0;
    for (const std::filesystem::path& sample : SampleJpegFiles()) {
        CPackedPicture picture;
        if (!DecodeJpegToPacked(sample.string(), picture)) {
            ++skipped;
            continue;
        }
        ++decoded;
        EXPECT_TRUE(
            VerifyJpegAgainstReference(picture.m_pBits.data(), picture.m_nSize, sample.string()))
            << sample;
        WriteFile(stripped, WithoutSegments(ReadFile(sample.string()), IsExifOrCommentLike));
        EXPECT_TRUE(VerifyJpegAgainstReference(picture.m_pBits.data(), picture.m_nSize, stripped))
            << sample;
    }
    std::cout << "[ samples  ] " << decoded << " decoded and verified, " << skipped
              << " not decodable, skipped\n";
    EXPECT_GT(decoded, 0);
}

}  // namespace
