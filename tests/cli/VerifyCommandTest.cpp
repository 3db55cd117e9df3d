#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <string>
#include <vector>

#include "imaging/JpegDecoder.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

using CBytes = std::vector<uint8_t>;

CJpegRecipe WithComment() {
    CJpegRecipe recipe;
    recipe.comment = "made by a camera";
    return recipe;
}

// The first differing pixel as the program's own whole-picture decode finds it.
std::pair<int64_t, int64_t> FirstDifference(const CBytes& a, const CBytes& b) {
    CPackedPicture first;
    CPackedPicture second;
    EXPECT_TRUE(DecodeJpegBytesToPacked(a.data(), a.size(), first));
    EXPECT_TRUE(DecodeJpegBytesToPacked(b.data(), b.size(), second));
    const auto at =
        std::mismatch(first.m_pBits.begin(), first.m_pBits.end(), second.m_pBits.begin()).first -
        first.m_pBits.begin();
    return {at / 3 / first.m_nWidth, at / 3 % first.m_nWidth};
}

struct CVerifyCase {
    const char* name;
    // The second file, beside the first one made from WithComment().
    CBytes (*second)();
    // Empty when the samples are the same.
    std::string reason;
};

class AVerifiedPair : public ::testing::TestWithParam<CVerifyCase> {
protected:
    CTempDir folder;
    std::string a = folder.File("a.jpg");
    std::string b = folder.File("b.jpg");
};

TEST_P(AVerifiedPair, EndsWithItsStatusAndSaysWhereInJson) {
    const CBytes first = MakeJpeg(WithComment());
    const CBytes second = GetParam().second();
    WriteFile(a, first);
    WriteFile(b, second);
    const CCliResult result = RunCli({"verify", "--json", a, b});
    const bool same = GetParam().reason.empty();
    EXPECT_EQ(result.exitCode, same ? 0 : 1) << result.err;
    QJsonParseError error{};
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out;
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "one line";
    EXPECT_EQ(json["a"].toString().toStdString(), a);
    EXPECT_EQ(json["same"].toBool(false), same);
    EXPECT_EQ(json["reason"].toString().toStdString(), GetParam().reason);
    if (GetParam().reason == "samples differ") {
        const auto [row, column] = FirstDifference(first, second);
        EXPECT_EQ(json["row"].toInteger(-1), row);
        EXPECT_EQ(json["column"].toInteger(-1), column);
    }
    if (GetParam().reason == "sizes differ") {
        EXPECT_EQ(json["width_a"].toInt(), 64);
        EXPECT_EQ(json["components_a"].toInt(), 3);
        EXPECT_NE(json["width_b"].toInt() * 10 + json["components_b"].toInt(), 64 * 10 + 3);
    }
    if (json.contains("undecodable")) {
        EXPECT_EQ(json["undecodable"].toString(), "b");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AVerifiedPair,
    ::testing::Values(CVerifyCase{"WithoutItsComment", [] { return MakeJpeg({}); }, ""},
                      CVerifyCase{"ProgressiveWithRestartMarkersAndExif",
                                  [] {
                                      CJpegRecipe recipe;
                                      recipe.progressive = true;
                                      recipe.restartRows = 1;
                                      recipe.exifWithThumbnail = true;
                                      return MakeJpeg(recipe);
                                  },
                                  ""},
                      CVerifyCase{"ReEncoded",
                                  [] {
                                      CJpegRecipe recipe;
                                      recipe.quality = 40;
                                      return MakeJpeg(recipe);
                                  },
                                  "samples differ"},
                      CVerifyCase{"Narrower",
                                  [] {
                                      CJpegRecipe recipe;
                                      recipe.width = 32;
                                      return MakeJpeg(recipe);
                                  },
                                  "sizes differ"},
                      CVerifyCase{"GreyScale",
                                  [] {
                                      CJpegRecipe recipe;
                                      recipe.grayscale = true;
                                      return MakeJpeg(recipe);
                                  },
                                  "sizes differ"},
                      CVerifyCase{"NoJpeg", [] { return BytesFromHex("474946383961"); },
                                  "Not a JPEG file: starts with 0x47 0x49"},
                      CVerifyCase{"CutInItsHeader",
                                  [] {
                                      CBytes bytes = MakeJpeg({});
                                      bytes.resize(40);
                                      return bytes;
                                  },
                                  "JPEG datastream contains no image"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TheVerifyCommand, FindsACmykFileTheSameAsItselfInItsFourComponents) {
    CTempDir folder;
    const std::string a = folder.File("a.jpg");
    CJpegRecipe cmyk;
    cmyk.cmyk = true;
    WriteFile(a, MakeJpeg(cmyk));
    const CCliResult result = RunCli({"verify", a, a});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              a + " and " + a + " decode to the same samples (64 x 48, 4 components)\n");
}

TEST(TheVerifyCommand, RefusesAFolderWithoutReadingIt) {
    CTempDir folder;
    const std::string a = folder.File("a.jpg");
    WriteFile(a, MakeJpeg({}));
    const CCliResult result = RunCli({"verify", folder.Path().string(), a});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, folder.Path().string() + " does not decode: a folder, not a file\n");
}

TEST(TheVerifyCommand, AnswersHelpWithItsOwnUsage) {
    const CCliResult result = RunCli({"verify", "--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("Usage: kestrin-cli verify [--json] A B\n", 0), 0u) << result.out;
}

}  // namespace
