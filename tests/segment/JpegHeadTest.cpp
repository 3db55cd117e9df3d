#include "segment/JpegHead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exif/ReadableExif.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

// A camera-like file: Exif with a thumbnail (whose own scan must be stepped
// over), a comment and restart markers.
ByteVector CameraLikeFile() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "camera";
    recipe.restartRows = 1;
    return MakeJpeg(recipe);
}

size_t LastScanStart(const ByteVector& file) {
    for (size_t pos = file.size() - 2; pos > 0; --pos) {
        if (file[pos] == 0xFF && file[pos + 1] == 0xDA) {
            return pos;
        }
    }
    return 0;
}

struct CHeadCase {
    const char* name;
    ByteVector file;
    // Bytes read; the whole file when it does not lead to a scan.
    size_t head;
};

std::vector<CHeadCase> HeadCases() {
    const ByteVector camera = CameraLikeFile();
    const ByteVector filled = BytesFromHex("FFD8FFFFFFE00004AABBFFDA000C0102");
    const ByteVector tiff = BytesFromHex("4D4D002A00000008000100000000");
    const ByteVector overlong = BytesFromHex("FFD8FFE00104AABBFFDA000C");
    const ByteVector endFirst = BytesFromHex("FFD8FFFE0003AAFFD9FFDA0004");
    const ByteVector noMarker = BytesFromHex("FFD8FFFE0003AA00FFDA0004");
    const ByteVector shortLength = BytesFromHex("FFD8FFE10001FFDA0004");
    return {
        {"camera-like file", camera, LastScanStart(camera)},
        {"fill bytes before a marker", filled, 10},
        {"bare TIFF structure", tiff, tiff.size()},
        {"length past the end", overlong, overlong.size()},
        {"end marker before any scan", endFirst, endFirst.size()},
        {"bytes where a marker belongs", noMarker, noMarker.size()},
        {"length field below two", shortLength, shortLength.size()},
        {"empty file", {}, 0},
    };
}

TEST(AJpegHead, EndsAtThePicturesScanOrIsTheWholeFile) {
    const CTempDir folder;
    const std::string path = folder.File("a.jpg");
    for (const CHeadCase& c : HeadCases()) {
        WriteFile(path, c.file);
        const std::optional<ByteVector> head = ReadJpegHead(path);
        ASSERT_TRUE(head) << c.name;
        EXPECT_EQ(*head, ByteVector(c.file.begin(), c.file.begin() + static_cast<long>(c.head)))
            << c.name;
    }
    EXPECT_FALSE(ReadJpegHead(folder.File("missing.jpg")));
    EXPECT_FALSE(ReadJpegHead(folder.Path().string()));
}

// What exif show prints comes from the head alone; it must be what the whole
// file gave.
TEST(AJpegHead, HoldsTheSameExifAsTheWholeFile) {
    const CTempDir folder;
    std::vector<std::pair<std::string, ByteVector>> files = {{"made", CameraLikeFile()}};
    for (const CCameraLikeFile& camera : MakeCameraLikeFiles()) {
        files.push_back({camera.name, camera.bytes});
    }
    for (const std::filesystem::path& sample : SharedCameraFiles()) {
        files.push_back({sample.string(), ReadFile(sample.string())});
    }
    const std::string path = folder.File("a.jpg");
    for (const auto& [name, bytes] : files) {
        WriteFile(path, bytes);
        const std::optional<ByteVector> head = ReadJpegHead(path);
        ASSERT_TRUE(head) << name;
        EXPECT_LT(head->size(), bytes.size()) << name;
        const auto fromHead = ReadExifOfFile(*head);
        const auto fromFile = ReadExifOfFile(bytes);
        ASSERT_EQ(fromHead.has_value(), fromFile.has_value()) << name;
        if (fromFile) {
            ASSERT_EQ(fromHead->size(), fromFile->size()) << name;
            for (size_t i = 0; i < fromFile->size(); ++i) {
                EXPECT_EQ((*fromHead)[i].m_strText, (*fromFile)[i].m_strText) << name;
            }
        }
    }
}

}  // namespace
