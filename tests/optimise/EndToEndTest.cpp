// The batch optimiser end to end on camera-like files of every kind it meets
// and on every shared sample file: whatever it writes must decode to exactly
// the pixels of its source, by the test's own decode.
#include "optimise/BatchOptimiser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "dates/FileTimes.h"
#include "imaging/JpegDecoder.h"
#include "tests/support/BatchFixture.h"
#include "tests/support/BatchTranscript.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Number(int64_t value) {
    return std::to_string(value);
}

std::string Printable(const Bytes& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        const bool letterOrDigit =
            (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        text += letterOrDigit ? static_cast<char>(b) : '.';
    }
    return text;
}

std::string DroppedLine(uint8_t code, const Bytes& data) {
    return "ﾍｯﾀﾞ FF" + HexFromBytes({code}) + " の次の情報を削除... " + Printable(data) + "\r\n";
}

// The filter's lines for one dropped segment. The scanner reads no length
// field: it cuts the segment before every FF that is followed by a byte other
// than FF (the other FF bytes of a run stay with the piece in front), and
// the filter writes one line per piece.
std::vector<std::string> DroppedLines(const Bytes& segment) {
    std::vector<std::string> lines;
    uint8_t code = segment.at(1);
    Bytes data;
    for (size_t i = 2; i < segment.size(); ++i) {
        const bool marker = segment[i] == 0xFF && i + 1 < segment.size() && segment[i + 1] != 0xFF;
        if (!marker) {
            data.push_back(segment[i]);
            continue;
        }
        lines.push_back(DroppedLine(code, data));
        code = segment[++i];
        data.clear();
    }
    lines.push_back(DroppedLine(code, data));
    return lines;
}

// One kind of file and everything the batch must make of it.
struct CFileKind {
    Bytes file;
    // The picture's own segments: exactly what the optimised file must be.
    Bytes picture;
    // The Exif APP1 segment, empty when the file has none.
    Bytes exifSegment;
    // The work copy's size once the Exif cut took the Exif segment and
    // everything between the start marker and it.
    int64_t bytesAfterExifCut = 0;
    bool nestedPicture = false;
    std::vector<std::string> droppedLines;
    // What the log says of the kinds of data removed, after the dropped lines.
    std::vector<std::string> kindLines;
};

const std::string kIccRemoved =
    "ｶﾗｰﾌﾟﾛﾌｧｲﾙ(ICC)を削除しました。色を管理するﾋﾞｭｰｱｰでは色が変わって見えることがあります。\r\n";
const std::string kXmpRemoved = "XMP情報を削除しました。\r\n";

CFileKind Telling(CFileKind kind, std::vector<std::string> kindLines) {
    kind.kindLines = std::move(kindLines);
    return kind;
}

Bytes PictureOf(CJpegRecipe recipe) {
    recipe.jfif = false;
    return MakeJpeg(recipe);
}

// picture with front segments after its start marker: those before the Exif
// segment, the Exif segment (when not empty), those after it; then trailer.
CFileKind Spliced(const Bytes& picture, const std::vector<Bytes>& beforeExif, const Bytes& exif,
                  const std::vector<Bytes>& afterExif, const Bytes& trailer = {}) {
    std::vector<Bytes> front = beforeExif;
    if (!exif.empty()) {
        front.push_back(exif);
    }
    front.insert(front.end(), afterExif.begin(), afterExif.end());
    CFileKind kind;
    kind.file = Concatenate(InsertAfterStart(picture, front), trailer);
    kind.picture = picture;
    kind.exifSegment = exif;
    kind.bytesAfterExifCut = static_cast<int64_t>(kind.file.size());
    std::vector<Bytes> dropped = afterExif;
    if (exif.empty()) {
        dropped.insert(dropped.begin(), beforeExif.begin(), beforeExif.end());
    } else {
        kind.bytesAfterExifCut -= static_cast<int64_t>(exif.size());
        for (const Bytes& segment : beforeExif) {
            kind.bytesAfterExifCut -= static_cast<int64_t>(segment.size());
        }
    }
    for (const Bytes& segment : dropped) {
        const std::vector<std::string> lines = DroppedLines(segment);
        kind.droppedLines.insert(kind.droppedLines.end(), lines.begin(), lines.end());
    }
    return kind;
}

Bytes Preview() {
    CJpegRecipe preview;
    preview.width = 24;
    preview.height = 16;
    return MakeJpeg(preview);
}

// A preview picture wrapped in an APP8 segment in front of the real picture,
// which has a JFIF segment of its own.
CFileKind WithWrappedPreview() {
    CFileKind kind = Spliced(PictureOf({}), {}, {}, {MakeJfifSegment()});
    kind.file = NestPictureInFront(kind.file, Preview(), 0xE8);
    kind.bytesAfterExifCut = static_cast<int64_t>(kind.file.size());
    kind.nestedPicture = true;
    return kind;
}

// The same preview behind an Exif segment: what the Exif cut leaves holds it.
CFileKind WithPreviewBehindExif() {
    CFileKind kind =
        Spliced(PictureOf({}), {}, MakeCameraExifSegment(), {MakeSegment(0xE8, Preview())});
    kind.droppedLines.clear();
    kind.nestedPicture = true;
    return kind;
}

struct CFileKindRow {
    const char* name;
    CFileKind (*make)();
};

void PrintTo(const CFileKindRow& row, std::ostream* out) {
    *out << row.name;
}

CJpegRecipe WithRestarts() {
    CJpegRecipe recipe;
    recipe.restartRows = 1;
    return recipe;
}
CJpegRecipe Progressive() {
    CJpegRecipe recipe;
    recipe.progressive = true;
    return recipe;
}
CJpegRecipe Grey() {
    CJpegRecipe recipe;
    recipe.grayscale = true;
    return recipe;
}

// A transmission error: a marker code no encoder writes, in front of the
// scan's first restart marker. A decoder looking for that restart skips it,
// so the picture shows the same pixels with it and without it; the restarts
// and stuffed bytes behind it are the picture's own and stay.
CFileKind WithStrayMarkerInItsScan() {
    CFileKind kind = Spliced(PictureOf(WithRestarts()), {}, {}, {});
    const Bytes startOfScan = {0xFF, 0xDA};
    const Bytes firstRestart = {0xFF, 0xD0};
    const auto scan = std::search(kind.picture.begin(), kind.picture.end(), startOfScan.begin(),
                                  startOfScan.end());
    const auto restart =
        std::search(scan, kind.picture.end(), firstRestart.begin(), firstRestart.end());
    const size_t at = static_cast<size_t>(restart - kind.picture.begin());
    kind.file.insert(kind.file.begin() + static_cast<std::ptrdiff_t>(at), {0xFF, 0x9F});
    kind.bytesAfterExifCut = static_cast<int64_t>(kind.file.size());
    kind.droppedLines = {DroppedLine(0x9F, {})};
    return kind;
}

const CFileKindRow kFileKinds[] = {
    {"CameraFileWithThumbnailAndComment",
     [] {
         return Spliced(PictureOf({}), {MakeJfifSegment()}, MakeCameraExifSegment(),
                        {MakeCommentSegment("Camera 1")});
     }},
    {"CameraFileWhoseOnlyExtraIsItsExif",
     [] { return Spliced(PictureOf({}), {MakeJfifSegment()}, MakeCameraExifSegment(), {}); }},
    {"PhoneFileWithExifXmpAndIcc",
     [] {
         return Telling(Spliced(PictureOf({}), {}, MakeCameraExifSegment(),
                                {MakeXmpSegment(), MakeIccSegment(IccProfileWithFfBytes())}),
                        {kIccRemoved, kXmpRemoved});
     }},
    {"EditedFileWithXmp",
     [] {
         return Telling(Spliced(PictureOf({}), {MakeJfifSegment(), MakeXmpSegment()}, {}, {}),
                        {kXmpRemoved});
     }},
    {"FileWithIccProfileHoldingFfBytes",
     [] {
         return Telling(
             Spliced(PictureOf({}), {MakeJfifSegment(), MakeIccSegment(IccProfileWithFfBytes())},
                     {}, {}),
             {kIccRemoved});
     }},
    {"FileWithAdobeSegmentThatKeepsYCbCr",
     [] { return Spliced(PictureOf({}), {MakeAdobeSegment(1)}, {}, {}); }},
    {"FileWithPreviewWrappedInAnApplicationSegment", WithWrappedPreview},
    {"CameraFileWithPreviewBehindItsExif", WithPreviewBehindExif},
    {"FileWithGarbageAfterTheEndMarker",
     [] {
         return Spliced(PictureOf({}), {MakeJfifSegment()}, {}, {},
                        {0x00, 'G', 'A', 'R', 'B', 0xFF, 0xD8, 0xFF, 0xE0, 0x12, 0x34, 0xFF});
     }},
    {"FileWithAStrayMarkerInItsScan", WithStrayMarkerInItsScan},
    {"FileWithRestartMarkers",
     [] {
         return Spliced(PictureOf(WithRestarts()), {MakeJfifSegment(), MakeCommentSegment("rst")},
                        {}, {});
     }},
    {"ProgressiveFile",
     [] {
         return Spliced(PictureOf(Progressive()), {MakeJfifSegment(), MakeCommentSegment("prog")},
                        {}, {});
     }},
    {"GreyScaleFile",
     [] {
         return Spliced(PictureOf(Grey()), {MakeJfifSegment(), MakeCommentSegment("grey")}, {}, {});
     }},
    {"AlreadyMinimalFile", [] { return Spliced(PictureOf({}), {}, {}, {}); }},
};

std::string SizesLine(int64_t before, int64_t after) {
    return Number(before) + " ﾊﾞｲﾄが " + Number(after) + " ﾊﾞｲﾄになりました...\r\n";
}

// The whole log of one file with the default settings, step by step.
std::string ExpectedLog(const CFileKind& kind, const std::string& dropped,
                        const std::string& exifName, const std::string& output) {
    std::string log;
    const int64_t size = static_cast<int64_t>(kind.file.size());
    const int64_t afterCut = kind.bytesAfterExifCut;
    if (!kind.exifSegment.empty()) {
        log += dropped + "の調査を完了しました。\r\nExif情報を見つけたので削除しました。\r\n" +
               SizesLine(size, afterCut) + Number(size - afterCut) +
               " ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。\r\n"
               "続いてJPEGの検査を行います...\r\n"
               "Exif情報を削除したJPEGは処理前と同様に表示されます。\r\n" +
               exifName + "へExif情報を保存しました。\r\n" + output +
               "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n";
    }
    log += dropped + "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n";
    log += kind.nestedPicture
               ? "不明な独自情報を見つけました...\r\n不明な独自情報の削除に成功しました。\r\n"
               : "不明な独自情報は見つかりませんでした...\r\n";
    for (const std::string& line : kind.droppedLines) {
        log += line;
    }
    for (const std::string& line : kind.kindLines) {
        log += line;
    }
    log += "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n";
    const int64_t after = static_cast<int64_t>(kind.picture.size());
    log += SizesLine(afterCut, after);
    if (afterCut == after) {
        return log +
               "このJPEGには不必要なﾃﾞｰﾀは見つかりませんでした。優秀なJPEG画像です。"
               "終了します。\r\n\r\n";
    }
    return log + Number(afterCut - after) +
           " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n"
           "続いて最適化したJPEGの検査を行います...\r\n"
           "最適化したJPEGは処理前と同様に表示されます。\r\n" +
           output + "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n";
}

bool SomethingToWrite(const CFileKind& kind) {
    return kind.file.size() != kind.picture.size();
}

// The first APP1 segment that starts "Exif\0\0", found by walking the
// segments by their length fields up to the first scan; empty when none.
Bytes ExifSegmentByLengths(const Bytes& file) {
    const Bytes signature = {'E', 'x', 'i', 'f', 0, 0};
    size_t pos = 2;
    while (pos + 4 <= file.size() && file[pos] == 0xFF) {
        const uint8_t code = file[pos + 1];
        if (code == 0xFF) {
            ++pos;
            continue;
        }
        if (code == 0xDA || code == 0xD9) {
            break;
        }
        const size_t end = pos + 2 + (size_t{file[pos + 2]} << 8 | file[pos + 3]);
        if (end > file.size()) {
            break;
        }
        if (code == 0xE1 && end - pos >= 10 &&
            std::equal(signature.begin(), signature.end(), file.begin() + pos + 4)) {
            return {file.begin() + pos, file.begin() + end};
        }
        pos = end;
    }
    return {};
}

class ABatchOverCameraFiles : public CBatchFixture {
protected:
    CBatchOptimiser& Run(const std::vector<std::string>& paths) {
        batch = std::make_unique<CBatchOptimiser>(work, settings, keptCodes);
        transcript.Follow(*batch);
        batch->Drop(paths);
        batch->RunQueue();
        return *batch;
    }

    // The test's own decode of the source against the file the batch wrote.
    static ::testing::AssertionResult ShowsThePictureOf(const std::string& written,
                                                        const std::string& source) {
        CPackedPicture reference;
        if (!DecodeJpegToPacked(source, reference)) {
            return ::testing::AssertionFailure() << source << " does not decode";
        }
        if (!VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize, written)) {
            return ::testing::AssertionFailure() << written << " differs from " << source;
        }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<CBatchOptimiser> batch;
    CBatchTranscript transcript;
};

class AFileKindThroughTheBatch : public ABatchOverCameraFiles,
                                 public ::testing::WithParamInterface<CFileKindRow> {};

TEST_P(AFileKindThroughTheBatch, BecomesItsPictureAloneWithTheLogAndTotalsOfEachStep) {
    const CFileKind kind = GetParam().make();
    const std::string dropped = Place("photo.jpg", kind.file);
    const std::string output = folder.File("photo_kestrin100.jpg");
    const std::string exifName = folder.File("photo_kestrin100.exif");

    Run({dropped});

    EXPECT_EQ(transcript.log, ExpectedLog(kind, dropped, exifName, output));
    if (SomethingToWrite(kind)) {
        ASSERT_TRUE(std::filesystem::exists(output));
        EXPECT_TRUE(ShowsThePictureOf(output, dropped));
        EXPECT_EQ(ReadFile(output), kind.picture) << "every segment the picture needs, no other";
    } else {
        EXPECT_FALSE(std::filesystem::exists(output));
    }
    if (kind.exifSegment.empty()) {
        EXPECT_FALSE(std::filesystem::exists(exifName));
    } else {
        EXPECT_EQ(ReadFile(exifName), kind.exifSegment) << "the APP1 segment byte for byte";
    }
    EXPECT_EQ(ReadFile(dropped), kind.file) << "the dropped file is only read";
    EXPECT_EQ(batch->BytesBefore(), kind.bytesAfterExifCut);
    EXPECT_EQ(batch->BytesAfter(), static_cast<int64_t>(kind.picture.size()));
    EXPECT_EQ(transcript.outcomes,
              std::vector<EFileOutcome>{SomethingToWrite(kind) ? EFileOutcome::Optimised
                                                               : EFileOutcome::NothingToRemove});
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, AFileKindThroughTheBatch, ::testing::ValuesIn(kFileKinds),
                         [](const ::testing::TestParamInfo<CFileKindRow>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ABatchOverCameraFiles, WritesEveryKindInDropOrderAndAddsUpTheTotals) {
    std::vector<std::string> paths;
    std::string expectedLog;
    int64_t before = 0;
    int64_t after = 0;
    std::vector<CFileKind> kinds;
    for (const CFileKindRow& row : kFileKinds) {
        kinds.push_back(row.make());
        const std::string base = folder.File(row.name);
        paths.push_back(Place(std::string(row.name) + ".jpg", kinds.back().file));
        expectedLog += ExpectedLog(kinds.back(), paths.back(), base + "_kestrin100.exif",
                                   base + "_kestrin100.jpg");
        before += kinds.back().bytesAfterExifCut;
        after += static_cast<int64_t>(kinds.back().picture.size());
    }

    Run(paths);

    EXPECT_EQ(transcript.log, expectedLog);
    EXPECT_EQ(batch->BytesBefore(), before);
    EXPECT_EQ(batch->BytesAfter(), after);
    ASSERT_EQ(transcript.outcomes.size(), kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) {
        const std::string output = folder.File(std::string(kFileKinds[i].name) + "_kestrin100.jpg");
        if (SomethingToWrite(kinds[i])) {
            EXPECT_EQ(ReadFile(output), kinds[i].picture) << kFileKinds[i].name;
        }
    }
}

// A picture stored as untransformed RGB whose Adobe segment says so: without
// that segment a decoder reads the samples as YCbCr and shows other colours.
// The segment is not in the kept list, so the filter removes it; only the
// pixel check stands between the user and a discoloured photo.
struct CAdobeCase {
    const char* name;
    const char* fileNameSetting;
};

void PrintTo(const CAdobeCase& row, std::ostream* out) {
    *out << row.name;
}

class AFileWhoseAdobeSegmentMatters : public ABatchOverCameraFiles,
                                      public ::testing::WithParamInterface<CAdobeCase> {};

TEST_P(AFileWhoseAdobeSegmentMatters, IsRefusedByThePixelCheckAndLeftUntouched) {
    settings.Write(settings::kFileName, GetParam().fileNameSetting);
    const Bytes picture = MakeUntransformedRgbPicture(48, 32);
    const Bytes file = InsertAfterStart(picture, {MakeAdobeSegment(0)});
    const std::string dropped = Place("rgb.jpg", file);
    const CFileTimes old = *TimesAtLocalMoment(2003, 4, 5, 6, 7);
    ASSERT_TRUE(WriteFileTimes(dropped, old));
    {
        // The premise: the segment decides the colours.
        const std::string stripped = Place("stripped.jpg", picture);
        ASSERT_FALSE(ShowsThePictureOf(stripped, dropped));
        std::filesystem::remove(stripped);
    }

    Run({dropped});

    const int64_t size = static_cast<int64_t>(file.size());
    const int64_t optimised = static_cast<int64_t>(picture.size());
    EXPECT_EQ(transcript.log,
              dropped +
                  "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n"
                  "不明な独自情報は見つかりませんでした...\r\n" +
                  DroppedLines(MakeAdobeSegment(0)).front() +
                  "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n" + SizesLine(size, optimised) +
                  Number(size - optimised) +
                  " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n"
                  "続いて最適化したJPEGの検査を行います...\r\n" +
                  dropped + "は正常に最適化できませんでした。終了します。\r\n\r\n");
    EXPECT_EQ(ReadFile(dropped), file);
    EXPECT_EQ(ReadFileTimes(dropped)->modification.tv_sec, old.modification.tv_sec);
    EXPECT_FALSE(std::filesystem::exists(folder.File("rgb_kestrin100.jpg")));
    EXPECT_EQ(transcript.outcomes, std::vector<EFileOutcome>{EFileOutcome::CheckFailed});
    EXPECT_EQ(batch->BytesBefore(), size) << "a scanned file counts even when nothing was saved";
}

INSTANTIATE_TEST_SUITE_P(WhetherWrittenBesideOrOver, AFileWhoseAdobeSegmentMatters,
                         ::testing::Values(CAdobeCase{"BesideTheFile", "_kestrin100"},
                                           CAdobeCase{"OverTheFile", ""}),
                         [](const ::testing::TestParamInfo<CAdobeCase>& info) {
                             return std::string(info.param.name);
                         });

// With an Exif segment in front, the Exif-free copy is saved only when the
// optimised result cannot be, and only after its own pixel check: behind the
// Exif segment the Adobe segment stays in the copy (checked, written, then
// the result is refused); in front of it the Exif cut takes it too (the copy
// is refused and nothing is written).
struct CExifAdobeCase {
    const char* name;
    const char* fileNameSetting;
    bool adobeInFrontOfExif;
};

void PrintTo(const CExifAdobeCase& row, std::ostream* out) {
    *out << row.name;
}

class AnExifFileWhoseAdobeSegmentMatters : public ABatchOverCameraFiles,
                                           public ::testing::WithParamInterface<CExifAdobeCase> {};

TEST_P(AnExifFileWhoseAdobeSegmentMatters, HasItsExifFreeCopyCheckedBeforeItIsWritten) {
    const CExifAdobeCase& row = GetParam();
    const bool overDropped = std::string(row.fileNameSetting).empty();
    settings.Write(settings::kFileName, row.fileNameSetting);
    const Bytes picture = MakeUntransformedRgbPicture(48, 32);
    const Bytes exifSegment = MakeCameraExifSegment();
    const Bytes adobe = MakeAdobeSegment(0);
    const Bytes file = row.adobeInFrontOfExif ? InsertAfterStart(picture, {adobe, exifSegment})
                                              : InsertAfterStart(picture, {exifSegment, adobe});
    const Bytes exifFree = row.adobeInFrontOfExif ? picture : InsertAfterStart(picture, {adobe});
    const std::string dropped = Place("rgb.jpg", file);
    const std::string output = overDropped ? dropped : folder.File("rgb_kestrin100.jpg");
    const std::string exifName = folder.File("rgb_kestrin100.exif");
    const CFileTimes old = *TimesAtLocalMoment(2003, 4, 5, 6, 7);
    ASSERT_TRUE(WriteFileTimes(dropped, old));

    Run({dropped});

    const int64_t size = static_cast<int64_t>(file.size());
    const int64_t afterCut = static_cast<int64_t>(exifFree.size());
    const int64_t optimised = static_cast<int64_t>(picture.size());
    std::string log = dropped +
                      "の調査を完了しました。\r\nExif情報を見つけたので削除しました。\r\n" +
                      SizesLine(size, afterCut) + Number(size - afterCut) +
                      " ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。\r\n"
                      "続いてJPEGの検査を行います...\r\n";
    if (row.adobeInFrontOfExif) {
        log += dropped +
               "はExif情報を正常に削除できませんでした。\r\n\r\n"
               "この画像は上級者 - ｳｨｻﾞｰﾄﾞをご利用下さい。\r\n";
    } else {
        log += "Exif情報を削除したJPEGは処理前と同様に表示されます。\r\n" + exifName +
               "へExif情報を保存しました。\r\n" + output +
               (overDropped ? "へ上書きしました。\r\n\r\n"
                            : "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n");
    }
    log += dropped +
           "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n"
           "不明な独自情報は見つかりませんでした...\r\n";
    if (row.adobeInFrontOfExif) {
        log += "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n" + SizesLine(afterCut, optimised) +
               "このJPEGには不必要なﾃﾞｰﾀは見つかりませんでした。優秀なJPEG画像です。"
               "終了します。\r\n\r\n";
    } else {
        log += DroppedLines(adobe).front() + "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n" +
               SizesLine(afterCut, optimised) + Number(afterCut - optimised) +
               " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。\r\n"
               "続いて最適化したJPEGの検査を行います...\r\n" +
               dropped + "は正常に最適化できませんでした。終了します。\r\n\r\n";
    }
    EXPECT_EQ(transcript.log, log);
    if (row.adobeInFrontOfExif) {
        EXPECT_EQ(ReadFile(dropped), file);
        EXPECT_FALSE(std::filesystem::exists(folder.File("rgb_kestrin100.jpg")));
        EXPECT_FALSE(std::filesystem::exists(exifName));
    } else {
        EXPECT_EQ(ReadFile(output), exifFree) << "the checked Exif-free copy, not the result";
        EXPECT_TRUE(ShowsThePictureOf(output, Place("source.jpg", file)));
        EXPECT_EQ(ReadFile(exifName), exifSegment);
    }
    EXPECT_EQ(ReadFileTimes(dropped)->modification.tv_sec, old.modification.tv_sec);
    // Either check failing fails the file, also when nothing else was to remove.
    EXPECT_EQ(transcript.outcomes, std::vector<EFileOutcome>{EFileOutcome::CheckFailed});
    EXPECT_EQ(batch->BytesBefore(), afterCut);
    EXPECT_EQ(batch->BytesAfter(), optimised);
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    WhereTheAdobeSegmentStandsAndWhereTheResultGoes, AnExifFileWhoseAdobeSegmentMatters,
    ::testing::Values(CExifAdobeCase{"BehindExifBesideTheFile", "_kestrin100", false},
                      CExifAdobeCase{"BehindExifOverTheFile", "", false},
                      CExifAdobeCase{"InFrontOfExifBesideTheFile", "_kestrin100", true},
                      CExifAdobeCase{"InFrontOfExifOverTheFile", "", true}),
    [](const ::testing::TestParamInfo<CExifAdobeCase>& info) {
        return std::string(info.param.name);
    });

// Profile bytes that read as a marker the kept list holds: the scanner cuts
// the profile there and the filter keeps that piece, so part of the profile
// would stay in front of the picture's tables. A decoder steps over such
// bytes with a corrupt-data warning and shows the same pixels, so the pixel
// comparison alone lets the damaged file through.
struct CMarkerLikeBytes {
    const char* name;
    uint8_t code;
};

void PrintTo(const CMarkerLikeBytes& row, std::ostream* out) {
    *out << row.name;
}

class AnIccProfileWithMarkerLikeBytes : public ABatchOverCameraFiles,
                                        public ::testing::WithParamInterface<CMarkerLikeBytes> {};

TEST_P(AnIccProfileWithMarkerLikeBytes, LeavesNoPieceOfItselfInTheWrittenFile) {
    Bytes profile = IccProfileWithFfBytes();
    for (uint8_t b : {uint8_t{0xFF}, GetParam().code, uint8_t{0x01}, uint8_t{0x02}}) {
        profile.push_back(b);
    }
    const Bytes picture = PictureOf({});
    const std::string dropped =
        Place("icc.jpg", InsertAfterStart(picture, {MakeIccSegment(profile)}));
    CPackedPicture source;
    ASSERT_TRUE(DecodeJpegToPacked(dropped, source));
    ASSERT_EQ(source.m_nWarnings, 0);

    Run({dropped});

    const std::string output = folder.File("icc_kestrin100.jpg");
    if (!std::filesystem::exists(output)) {
        SUCCEED() << "refused: nothing written";
        return;
    }
    CPackedPicture written;
    ASSERT_TRUE(DecodeJpegToPacked(output, written));
    EXPECT_EQ(written.m_nWarnings, source.m_nWarnings)
        << "the written file holds bytes a decoder has to step over";
}

INSTANTIATE_TEST_SUITE_P(KeptCodes, AnIccProfileWithMarkerLikeBytes,
                         ::testing::Values(CMarkerLikeBytes{"StuffedZero", 0x00},
                                           CMarkerLikeBytes{"Temporary", 0x01},
                                           CMarkerLikeBytes{"Restart", 0xD3}),
                         [](const ::testing::TestParamInfo<CMarkerLikeBytes>& info) {
                             return std::string(info.param.name);
                         });

// Appended rather than "s" + number: GCC 12 at -O3 misreads the insert at the
// front of a temporary as an overlapping copy (-Wrestrict).
std::string SampleCopyName(size_t index) {
    std::string name = "s";
    name += std::to_string(index);
    return name;
}

// Every shared sample, copied to a private folder and run through one batch.
TEST_F(ABatchOverCameraFiles, WritesOnlyFilesThatShowTheirSamplesPixels) {
    const std::vector<std::filesystem::path> samples = SampleJpegFiles();
    ASSERT_FALSE(samples.empty());
    std::vector<std::string> paths;
    for (size_t i = 0; i < samples.size(); ++i) {
        const std::string name = SampleCopyName(i) + ".jpg";
        paths.push_back(Place(name, ReadFile(samples[i].string())));
    }

    Run(paths);

    ASSERT_EQ(transcript.outcomes.size(), samples.size());
    int written = 0;
    int unreadable = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(samples[i].string());
        const std::string base = folder.File(SampleCopyName(i));
        const std::string output = base + "_kestrin100.jpg";
        const std::string exifName = base + "_kestrin100.exif";
        const Bytes source = ReadFile(samples[i].string());
        EXPECT_EQ(ReadFile(paths[i]), source);
        CPackedPicture reference;
        if (!DecodeJpegToPacked(paths[i], reference)) {
            ++unreadable;
            EXPECT_NE(transcript.log.find(paths[i] + "は読み込めません...\r\n\r\n"),
                      std::string::npos);
            EXPECT_FALSE(std::filesystem::exists(output));
            EXPECT_EQ(transcript.outcomes[i], EFileOutcome::Failed);
            continue;
        }
        if (std::filesystem::exists(output)) {
            ++written;
            int warnings = 0;
            EXPECT_TRUE(VerifyJpegAgainstReference(reference.m_pBits.data(), reference.m_nSize,
                                                   output, &warnings));
            EXPECT_LE(warnings, reference.m_nWarnings) << "no new corrupt data";
            EXPECT_LT(std::filesystem::file_size(output), source.size());
        }
        if (std::filesystem::exists(exifName)) {
            EXPECT_EQ(ReadFile(exifName), ExifSegmentByLengths(source));
        }
    }
    EXPECT_LE(batch->BytesAfter(), batch->BytesBefore());
    RecordProperty("samples", static_cast<int>(samples.size()));
    RecordProperty("written", written);
    RecordProperty("unreadable", unreadable);
}

}  // namespace
