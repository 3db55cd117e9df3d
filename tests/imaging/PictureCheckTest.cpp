// The streaming check must give the verdict of the full check (the reference
// decoded whole, the result compared with it) for every pair of files, on
// one thread and on two, from memory and from disk.
#include "imaging/PictureCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "imaging/JpegDecoder.h"
#include "imaging/RestartCut.h"
#include "imaging/SampleDigest.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kStartOfScan = {0xFF, 0xDA};
const Bytes kBaselineFrame = {0xFF, 0xC0};

class AStreamingCheck : public ::testing::Test {
protected:
    CTempDir folder;

    // The reference decoded whole and the result compared with it, with the
    // warnings rule.
    bool FullVerdict(const Bytes& reference, const Bytes& result) {
        CPackedPicture picture;
        int warnings = 0;
        const std::string path = folder.File("full.jpg");
        WriteFile(path, result);
        return DecodeJpegBytesToPacked(reference.data(), reference.size(), picture) &&
               VerifyJpegAgainstReference(picture.m_pBits.data(), picture.m_nSize, path,
                                          &warnings) &&
               warnings <= picture.m_nWarnings;
    }

    // Every form of the streaming check agrees with the full one.
    void ExpectFullVerdict(const Bytes& reference, const Bytes& result, const std::string& name) {
        const bool expected = FullVerdict(reference, result);
        const std::string referencePath = folder.File("reference.jpg");
        const std::string resultPath = folder.File("result.jpg");
        WriteFile(referencePath, reference);
        WriteFile(resultPath, result);
        for (const ECheckThreads threads : {ECheckThreads::One, ECheckThreads::Two}) {
            const char* form = threads == ECheckThreads::One ? " (one thread)" : " (two threads)";
            EXPECT_EQ(
                ShowsSamePicture(CPictureSource::Bytes(reference.data(), reference.size()),
                                 CPictureSource::Bytes(result.data(), result.size()), threads),
                expected)
                << name << form;
            EXPECT_EQ(ShowsSamePicture(CPictureSource::File(referencePath, true),
                                       CPictureSource::File(resultPath, true), threads),
                      expected)
                << name << form << " from files";
        }
    }
};

// The results one reference is checked against: the same samples in another
// file, and changes at the places a band-wise check could miss.
std::vector<std::pair<std::string, Bytes>> ResultsFor(const CJpegRecipe& recipe) {
    const Bytes original = MakeJpeg(recipe);
    const Bytes pixels = RecipePixels(recipe);
    const size_t channels = pixels.size() / (size_t(recipe.width) * recipe.height);
    CJpegRecipe commented = recipe;
    commented.comment = "another file, the same picture";
    CJpegRecipe firstPixel = recipe;
    firstPixel.pixels = pixels;
    firstPixel.pixels[0] ^= 0x80;
    CJpegRecipe lastRow = recipe;
    lastRow.pixels = pixels;
    for (size_t i = pixels.size() - size_t(recipe.width) * channels; i < pixels.size(); ++i) {
        lastRow.pixels[i] ^= 0x80;
    }
    CJpegRecipe shorter = recipe;
    shorter.height -= 1;
    Bytes truncated = original;
    truncated.resize(original.size() * 3 / 4);
    return {{"the same file", original},
            {"the same picture with a comment", MakeJpeg(commented)},
            {"the first pixel changed", MakeJpeg(firstPixel)},
            {"the last row changed", MakeJpeg(lastRow)},
            {"one row less", MakeJpeg(shorter)},
            {"cut short", truncated},
            {"no picture", {0xFF, 0xD8, 0xFF, 0xD9}},
            {"empty", {}}};
}

TEST_F(AStreamingCheck, GivesTheFullVerdictForEveryKindOfFileAndChange) {
    const auto recipe = [](int width, int height, auto change) {
        CJpegRecipe made;
        made.width = width;
        made.height = height;
        change(made);
        return made;
    };
    const struct {
        const char* name;
        CJpegRecipe recipe;
    } references[] = {
        {"colour, camera proportions", recipe(64, 48, [](CJpegRecipe&) {})},
        {"colour, neither bands nor blocks fill the height", recipe(37, 131, [](CJpegRecipe&) {})},
        {"grey", recipe(50, 70, [](CJpegRecipe& r) { r.grayscale = true; })},
        {"CMYK", recipe(33, 67, [](CJpegRecipe& r) { r.cmyk = true; })},
        {"YCCK without Adobe segment", recipe(40, 20,
                                              [](CJpegRecipe& r) {
                                                  r.cmyk = r.ycck = true;
                                                  r.adobeMarker = false;
                                              })},
        {"progressive", recipe(90, 150, [](CJpegRecipe& r) { r.progressive = true; })},
        {"restart markers", recipe(64, 129, [](CJpegRecipe& r) { r.restartRows = 1; })},
    };
    for (const auto& reference : references) {
        const Bytes original = MakeJpeg(reference.recipe);
        for (const auto& [name, result] : ResultsFor(reference.recipe)) {
            ExpectFullVerdict(original, result, std::string(reference.name) + ": " + name);
        }
    }
}

// A reference that decodes with warnings lets a result with as many through,
// and a reference that does not decode lets nothing through.
TEST_F(AStreamingCheck, AppliesTheWarningsRuleAndRefusesAnUndecodableReference) {
    CJpegRecipe recipe;
    recipe.height = 200;
    const Bytes original = MakeJpeg(recipe);
    Bytes truncated = original;
    truncated.resize(original.size() / 2);
    ExpectFullVerdict(truncated, truncated, "cut short against itself");
    ExpectFullVerdict(truncated, original, "whole against cut short");
    ExpectFullVerdict({0xFF, 0xD8, 0xFF, 0xD9}, original, "no reference picture");
    EXPECT_FALSE(ShowsSamePicture(CPictureSource::File(folder.File("missing.jpg"), true),
                                  CPictureSource::Bytes(original.data(), original.size()),
                                  ECheckThreads::Two));
}

TEST_F(AStreamingCheck, AppliesTheNameCheckOnlyWhereAsked) {
    const Bytes original = MakeJpeg(CJpegRecipe());
    const std::string path = folder.File("picture.dat");
    WriteFile(path, original);
    const CPictureSource bytes = CPictureSource::Bytes(original.data(), original.size());
    EXPECT_FALSE(ShowsSamePicture(bytes, CPictureSource::File(path, true), ECheckThreads::One));
    EXPECT_TRUE(ShowsSamePicture(bytes, CPictureSource::File(path, false), ECheckThreads::One));
    EXPECT_FALSE(DecodePicture(CPictureSource::File(path, true), ECheckThreads::One));
}

// Mend: the full check compared only the number of samples, so a picture of
// other width and height with the same bytes passed it.
TEST_F(AStreamingCheck, RefusesAPictureOfOtherWidthAndHeightWithTheSameSamples) {
    CJpegRecipe wide;
    wide.width = 32;
    wide.height = 16;
    wide.grayscale = true;
    wide.pixels.assign(32 * 16, 128);
    CJpegRecipe tall = wide;
    std::swap(tall.width, tall.height);
    const Bytes wideFile = MakeJpeg(wide);
    const Bytes tallFile = MakeJpeg(tall);
    CPackedPicture picture;
    ASSERT_TRUE(DecodeJpegBytesToPacked(wideFile.data(), wideFile.size(), picture));
    EXPECT_FALSE(ShowsSamePicture(picture, tallFile.data(), tallFile.size()));
    EXPECT_FALSE(ShowsSamePicture(CPictureSource::Bytes(wideFile.data(), wideFile.size()),
                                  CPictureSource::Bytes(tallFile.data(), tallFile.size()),
                                  ECheckThreads::Two));
}

// A first check that takes the reference's facts gives the verdict of any
// check and reads the reference to its end whatever the result: the facts and
// digest of a decode of its own. One that does not decode then shows in nothing.
TEST_F(AStreamingCheck, TakesTheReferencesFactsInItsFirstCheckWhateverTheResult) {
    CJpegRecipe progressive;
    progressive.progressive = true;
    for (const CJpegRecipe& recipe : {CJpegRecipe(), progressive}) {
        const Bytes original = MakeJpeg(recipe);
        const CPictureSource source = CPictureSource::Bytes(original.data(), original.size());
        CSampleDigest samples;
        const std::optional<CPictureFacts> facts =
            DecodePicture(source, ECheckThreads::One, &samples);
        const std::string digest = samples.Finish();
        for (const auto& [name, result] : ResultsFor(recipe)) {
            for (const ECheckThreads threads : {ECheckThreads::One, ECheckThreads::Two}) {
                CPictureReference reference(source, threads);
                reference.TakeFactsInNextCheck(true);
                EXPECT_EQ(reference.IsShownBy(CPictureSource::Bytes(result.data(), result.size())),
                          FullVerdict(original, result))
                    << name;
                ASSERT_TRUE(reference.WasReadWhole() && reference.Facts() && facts) << name;
                EXPECT_EQ(reference.Facts()->m_picture.m_nHeight, facts->m_nHeight) << name;
                EXPECT_EQ(reference.Facts()->m_strSha256, digest) << name;
            }
        }
    }
    const Bytes none = {0xFF, 0xD8, 0xFF, 0xD9};
    CPictureReference undecodable(CPictureSource::Bytes(none.data(), none.size()),
                                  ECheckThreads::Two);
    undecodable.TakeFactsInNextCheck(false);
    EXPECT_FALSE(undecodable.IsShownBy(CPictureSource::Bytes(none.data(), none.size())));
    EXPECT_TRUE(undecodable.WasReadWhole() && !undecodable.Facts());
}

// Where the index-th restart marker of file is.
size_t RestartMarker(const Bytes& file, int index) {
    const auto scan =
        std::search(file.begin(), file.end(), kStartOfScan.begin(), kStartOfScan.end());
    for (auto at = scan; at + 1 < file.end(); ++at) {
        if (at[0] == 0xFF && at[1] >= 0xD0 && at[1] <= 0xD7 && index-- == 0) {
            return static_cast<size_t>(at - file.begin());
        }
    }
    ADD_FAILURE() << "too few restart markers";
    return 0;
}

// The decoder warns and resynchronises at a restart marker numbered far
// from the one due, and discards bytes in front of a marker with a warning:
// either way it shows the same pixels.
Bytes Misnumbered(Bytes file, int index) {
    const size_t at = RestartMarker(file, index);
    file[at + 1] = static_cast<uint8_t>(0xD0 + ((file[at + 1] - 0xD0 + 4) & 7));
    return file;
}
Bytes WithBytesBefore(Bytes file, int index) {
    const size_t at = RestartMarker(file, index);
    file.insert(file.begin() + static_cast<ptrdiff_t>(at), {0x12, 0x34});
    return file;
}

// Against a held picture, a result of one scan decodes in two parts at once:
// the lower part passes over the rows above, or starts at a restart marker
// about halfway down. The verdict must stay the one decode's for every
// layout, restart spacing and height, wherever a change, a failure or a
// warning lies: above the split (where the lower part passes over it or
// sees nothing of it) or below.
TEST(ASplitCheck, GivesTheVerdictOfOneDecodeForEveryLayoutAndChange) {
    const auto recipe = [](int width, int height, auto change) {
        CJpegRecipe made;
        made.width = width;
        made.height = height;
        made.restartRows = 1;
        change(made);
        return made;
    };
    const struct {
        const char* name;
        CJpegRecipe recipe;
    } layouts[] = {
        {"2x2", recipe(64, 301, [](CJpegRecipe&) {})},
        {"2x1", recipe(37, 131, [](CJpegRecipe& r) { r.lumaHigh = 1; })},
        {"1x1", recipe(50, 200, [](CJpegRecipe& r) { r.lumaWide = r.lumaHigh = 1; })},
        {"grey", recipe(45, 171, [](CJpegRecipe& r) { r.grayscale = true; })},
        {"CMYK", recipe(33, 157, [](CJpegRecipe& r) { r.cmyk = true; })},
        {"2x2, restarts every 2 rows", recipe(40, 420, [](CJpegRecipe& r) { r.restartRows = 2; })},
        {"2x1, restarts every 3 MCUs", recipe(70, 400,
                                              [](CJpegRecipe& r) {
                                                  r.lumaHigh = 1;
                                                  r.restartRows = 0;
                                                  r.restartMcus = 3;
                                              })},
        {"1x2, kept whole", recipe(40, 200, [](CJpegRecipe& r) { r.lumaWide = 1; })},
        {"progressive, kept whole", recipe(48, 200, [](CJpegRecipe& r) { r.progressive = true; })},
        {"arithmetic, kept whole", recipe(48, 200, [](CJpegRecipe& r) { r.arithmetic = true; })},
    };
    for (const auto& layout : layouts) {
        const Bytes original = MakeJpeg(layout.recipe);
        Bytes cutHigh = original;
        cutHigh.resize(original.size() / 3);
        const std::pair<std::string, Bytes> damaged[] = {
            {"misnumbered high", Misnumbered(original, 1)},
            {"misnumbered low", Misnumbered(original, 11)},
            {"bytes before a marker high", WithBytesBefore(original, 1)},
            {"bytes before a marker low", WithBytesBefore(original, 11)},
            {"cut high", cutHigh},
        };
        std::vector<std::tuple<std::string, Bytes, Bytes>> checks;
        for (const auto& [name, result] : ResultsFor(layout.recipe)) {
            checks.emplace_back(name, original, result);
        }
        for (const auto& [name, file] : damaged) {
            checks.emplace_back(name, original, file);
            checks.emplace_back(name + " against itself", file, file);
            checks.emplace_back("whole against " + name, file, original);
        }
        for (const auto& [name, reference, result] : checks) {
            CPackedPicture held;
            ASSERT_TRUE(DecodeJpegBytesToPacked(reference.data(), reference.size(), held));
            const CPictureSource source = CPictureSource::Bytes(result.data(), result.size());
            EXPECT_EQ(CPictureReference(held, ECheckThreads::Two).IsShownBy(source),
                      CPictureReference(held).IsShownBy(source))
                << layout.name << ": " << name;
        }
    }
}

// A lower part may start after every eighth restart marker that also ends a
// row of MCUs, nearest the row asked for, and above the last row of MCUs.
TEST(ARestartCut, FallsAfterAMarkerNumberedSevenAtTheEndOfARowOfMcus) {
    const struct {
        CMcuLayout layout;
        uint32_t target;
        uint32_t row;
    } cases[] = {
        {{301, 16, 4, 4}, 134, 128},  // a marker every row of MCUs
        {{301, 16, 4, 4}, 10, 128},   // never at the top
        {{144, 16, 4, 4}, 100, 0},    // no room for a row below the cut
        {{400, 8, 5, 3}, 192, 192},   // every 3 MCUs, 5 a row: each 40th marker
        {{400, 16, 4, 8}, 200, 256},  // every 2 rows
        {{400, 16, 4, 0}, 200, 0},    // no markers
    };
    for (const auto& [layout, target, row] : cases) {
        EXPECT_EQ(RestartCutRow(layout, target), row) << layout.height << " " << target;
    }
}

// The cut of a plain file: the header told the part's height, and the data
// right after the eighth marker. Anything that could lead the file's decoder
// elsewhere than the part's, or bytes that are not there, gives none.
TEST(ARestartCut, IsFoundInAPlainFileOnlyAndReadsNoByteBeyondIt) {
    CJpegRecipe recipe;
    recipe.height = 301;
    recipe.restartRows = 1;
    const Bytes file = MakeJpeg(recipe);
    const CMcuLayout layout{301, 16, 4, 4};
    const std::optional<CRestartCut> cut = FindRestartCut(file.data(), file.size(), layout, 128);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->dataStart, RestartMarker(file, 7) + 2);
    const Bytes tail(file.begin() + static_cast<ptrdiff_t>(cut->dataStart), file.end());
    Bytes part = cut->header;
    part.insert(part.end(), tail.begin(), tail.end());
    CPackedPicture whole;
    CPackedPicture lower;
    ASSERT_TRUE(DecodeJpegBytesToPacked(file.data(), file.size(), whole));
    ASSERT_TRUE(DecodeJpegBytesToPacked(part.data(), part.size(), lower));
    EXPECT_EQ(lower.m_nHeight, 301 - 128);
    EXPECT_EQ(lower.m_nWarnings, 0);

    const size_t frame = static_cast<size_t>(
        std::search(file.begin(), file.end(), kBaselineFrame.begin(), kBaselineFrame.end()) -
        file.begin());
    const auto changed = [&file](auto change) {
        Bytes copy = file;
        change(copy);
        return copy;
    };
    const std::pair<const char*, Bytes> refused[] = {
        {"cut short before the marker",
         Bytes(file.begin(), file.begin() + static_cast<ptrdiff_t>(RestartMarker(file, 7)))},
        {"a marker misnumbered above", Misnumbered(file, 3)},
        {"no start marker", changed([](Bytes& b) { b[1] = 0xD9; })},
        {"a segment past the end", changed([](Bytes& b) { b[4] = b[5] = 0xFF; })},
        {"a fill byte between segments",
         changed([frame](Bytes& b) { b.insert(b.begin() + static_cast<ptrdiff_t>(frame), 0xFF); })},
        {"a progressive frame", changed([frame](Bytes& b) { b[frame + 1] = 0xC2; })},
        {"another height", changed([frame](Bytes& b) { b[frame + 6] ^= 1; })},
    };
    for (const auto& [name, bytes] : refused) {
        EXPECT_FALSE(FindRestartCut(bytes.data(), bytes.size(), layout, 128)) << name;
    }
}

TEST(TheSampleFilesStreamed, PassTheCheckAgainstThemselvesWhereTheyDecode) {
    for (const std::filesystem::path& sample : SampleJpegFiles()) {
        const CPictureSource source = CPictureSource::File(sample.string(), true);
        const bool decodes = DecodePicture(source, ECheckThreads::One).has_value();
        CPackedPicture picture;
        EXPECT_EQ(decodes, DecodeJpegToPacked(sample.string(), picture)) << sample;
        for (const ECheckThreads threads : {ECheckThreads::One, ECheckThreads::Two}) {
            EXPECT_EQ(ShowsSamePicture(source, source, threads), decodes) << sample;
            EXPECT_EQ(decodes && CPictureReference(picture, threads).IsShownBy(source), decodes)
                << sample;
        }
    }
}

// The digest taken as the bands pass is the digest of the whole picture, on
// one thread or two, and the decode tells the picture's facts.
TEST(ADecodeOfBands, TellsTheFactsAndDigestOfTheWholePicture) {
    CJpegRecipe grey;
    grey.grayscale = true;
    grey.height = 150;
    CJpegRecipe cmyk;
    cmyk.cmyk = true;
    for (const CJpegRecipe& recipe : {CJpegRecipe(), grey, cmyk}) {
        const Bytes file = MakeJpeg(recipe);
        CPackedPicture picture;
        ASSERT_TRUE(DecodeJpegBytesToPacked(file.data(), file.size(), picture));
        CSampleDigest whole;
        whole.Start(picture.m_nComponents);
        whole.AddBgrRows(picture.m_pBits.data(), size_t(picture.m_nWidth),
                         size_t(picture.m_nHeight), size_t(picture.m_nWidth) * 3);
        const std::string expected = whole.Finish();
        for (const ECheckThreads threads : {ECheckThreads::One, ECheckThreads::Two}) {
            CSampleDigest digest;
            const std::optional<CPictureFacts> facts =
                DecodePicture(CPictureSource::Bytes(file.data(), file.size()), threads, &digest);
            ASSERT_TRUE(facts);
            EXPECT_EQ(facts->m_nWidth, picture.m_nWidth);
            EXPECT_EQ(facts->m_nHeight, picture.m_nHeight);
            EXPECT_EQ(facts->m_nComponents, picture.m_nComponents);
            EXPECT_EQ(digest.Finish(), expected);
        }
    }
}

}  // namespace
