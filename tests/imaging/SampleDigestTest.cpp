// The digest of the samples is what anyone recomputes from the decoder of the
// JPEG library's tools: SHA-256 of the bytes `djpeg -pnm` writes after its header.
#include "imaging/SampleDigest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "imaging/PictureCheck.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// What `djpeg -pnm path` writes after its header: "P5" or "P6", width,
// height, maximum value, one white-space byte, then the samples.
std::optional<std::vector<uint8_t>> DjpegSamples(const std::string& path) {
    std::FILE* pipe = ::popen(("djpeg -pnm '" + path + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::vector<uint8_t> out;
    uint8_t buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.insert(out.end(), buffer, buffer + got);
    }
    if (::pclose(pipe) != 0) {
        return std::nullopt;
    }
    size_t pos = 0;
    for (int fields = 0; fields < 4; ++fields) {
        while (pos < out.size() && std::isspace(out[pos]) == 0) {
            ++pos;
        }
        while (fields < 3 && pos < out.size() && std::isspace(out[pos]) != 0) {
            ++pos;
        }
    }
    return std::vector<uint8_t>(out.begin() + static_cast<long>(pos + 1), out.end());
}

std::string Sha256(const std::vector<uint8_t>& bytes) {
    CSampleDigest digest;
    digest.Start(3);
    digest.AddBytes(bytes.data(), bytes.size());
    return digest.Finish();
}

// The digest the batch takes as its original's bands pass.
std::string ReferenceDigest(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    CSampleDigest digest;
    if (!DecodePicture(CPictureSource::Bytes(bytes.data(), bytes.size()), ECheckThreads::Two,
                       &digest)) {
        return "does not decode";
    }
    return digest.Finish();
}

void ExpectDigestOfDjpeg(const std::string& path) {
    SCOPED_TRACE(path);
    const std::optional<std::vector<uint8_t>> samples = DjpegSamples(path);
    ASSERT_TRUE(samples);
    EXPECT_EQ(ReferenceDigest(path), Sha256(*samples));
}

class ASampleDigest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v djpeg >/dev/null") != 0) {
            GTEST_SKIP() << "djpeg is not installed";
        }
    }
    CTempDir folder;
};

TEST_F(ASampleDigest, IsTheDigestOfWhatDjpegWritesForMadeFiles) {
    struct CCase {
        const char* name;
        CJpegRecipe recipe;
    };
    CJpegRecipe grey;
    grey.grayscale = true;
    CJpegRecipe progressive;
    progressive.progressive = true;
    progressive.width = 333;
    progressive.height = 17;
    CJpegRecipe cmyk;
    cmyk.cmyk = true;
    for (const CCase& c : {CCase{"colour.jpg", CJpegRecipe()}, CCase{"grey.jpg", grey},
                           CCase{"progressive.jpg", progressive}, CCase{"cmyk.jpg", cmyk}}) {
        const std::string path = folder.File(c.name);
        WriteFile(path, MakeJpeg(c.recipe));
        ExpectDigestOfDjpeg(path);
    }
}

TEST_F(ASampleDigest, IsTheDigestOfWhatDjpegWritesForCameraFiles) {
    for (const std::string& path : CameraFilesIn(folder.Path())) {
        ExpectDigestOfDjpeg(path);
    }
}

}  // namespace
