#include "optimise/SegmentFilter.h"

#include <gtest/gtest.h>

#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"

namespace {

std::string CodesOf(const CSegmentList& list) {
    std::string codes;
    for (const CJpegSegment& segment : list) {
        codes +=
            segment.m_strCode + (segment.m_strData.empty() ? "" : ":" + segment.m_strData) + " ";
    }
    return codes;
}

const char kNoEndMarker[] =
    "JPEG終了ﾍｯﾀﾞFFD9が検出できません。正常なJPEGﾌｧｲﾙでないかもしれません。上級者ｳｨｻﾞｰﾄﾞで"
    "終了ﾍｯﾀﾞを書き込むか、[JPEG QUORVEL v2.1以降]で修復して下さい。\r\n";

class ASegmentFilter : public ::testing::Test {
protected:
    std::string Filter(const CSegmentList& source, const std::vector<std::string>& kept) {
        return FilterSegments(source, result, kept, settings);
    }
    CMemorySettingsStore settings;
    CSegmentList result{{"STALE", ""}};
};

TEST_F(ASegmentFilter, KeepsThePictureAndLogsEveryDroppedSegmentInPrintableForm) {
    const CSegmentList source = {
        {"FFD8", ""},     {"FFE0", "00104A464946"}, {"FFFE", "0007414243"}, {"FFDB", "0043"},
        {"FFDA", "0C01"}, {"FF00", "12"},           {"FFD9", "AABBCC"}};
    EXPECT_EQ(Filter(source, DefaultKeptHeaderCodes()),
              "ﾍｯﾀﾞ FFE0 の次の情報を削除... ..JFIF\r\n"
              "ﾍｯﾀﾞ FFFE の次の情報を削除... ..ABC\r\n");
    EXPECT_EQ(CodesOf(result), "FFD8 FFDB:0043 FFDA:0C01 FF00:12 FFD9 ")
        << "bytes after the end marker go with its data";
}

TEST_F(ASegmentFilter, DropsEverythingAfterAKeptEndMarkerAndSaysSo) {
    const CSegmentList source = {{"FFD8", ""}, {"FFD9", ""}, {"FFD8", ""}, {"FFD9", ""}};
    EXPECT_EQ(Filter(source, DefaultKeptHeaderCodes()),
              "JPEG終了ﾍｯﾀﾞFFD9以降のすべての情報を削除\r\n");
    EXPECT_EQ(CodesOf(result), "FFD8 FFD9 ");
}

TEST_F(ASegmentFilter, DropsMarkerLikePiecesOfADroppedSegmentButKeepsThoseOfAScan) {
    // An ICC profile holding FF 00 and FF D3 looks to the scanner like an
    // APP2 segment followed by a stuffed byte and a restart marker.
    const CSegmentList source = {{"FFD8", ""},   {"FFE2", "0010"}, {"FF00", "0102"},
                                 {"FFD3", "03"}, {"FFDB", "0043"}, {"FFDA", "0C"},
                                 {"FF00", "04"}, {"FFD0", "05"},   {"FFD9", ""}};
    EXPECT_EQ(Filter(source, DefaultKeptHeaderCodes()),
              "ﾍｯﾀﾞ FFE2 の次の情報を削除... ..\r\n"
              "ﾍｯﾀﾞ FF00 の次の情報を削除... ..\r\n"
              "ﾍｯﾀﾞ FFD3 の次の情報を削除... .\r\n");
    EXPECT_EQ(CodesOf(result), "FFD8 FFDB:0043 FFDA:0C FF00:04 FFD0:05 FFD9 ");
}

TEST_F(ASegmentFilter, DropsAStrayMarkerInsideTheScanAloneAndKeepsThePiecesBehindIt) {
    const CSegmentList source = {{"FFD8", ""},   {"FFDA", "0C"}, {"FF00", "01"}, {"FF9F", ""},
                                 {"FFD0", "02"}, {"FF00", "03"}, {"FFD1", "04"}, {"FFD9", ""}};
    EXPECT_EQ(Filter(source, DefaultKeptHeaderCodes()), "ﾍｯﾀﾞ FF9F の次の情報を削除... \r\n");
    EXPECT_EQ(CodesOf(result), "FFD8 FFDA:0C FF00:01 FFD0:02 FF00:03 FFD1:04 FFD9 ");
}

TEST_F(ASegmentFilter, KeepsOnlyTheFirstApp0WhenAsked) {
    settings.Write(settings::kFfe0, 1);
    const CSegmentList source = {{"FFD8", ""}, {"FFE0", "01"}, {"FFE0", "02"}, {"FFD9", ""}};
    EXPECT_EQ(Filter(source, DefaultKeptHeaderCodes()), "ﾍｯﾀﾞ FFE0 の次の情報を削除... .\r\n");
    EXPECT_EQ(CodesOf(result), "FFD8 FFE0:01 FFD9 ");
}

TEST_F(ASegmentFilter, WithoutAKeptEndMarkerRemovesItAndWarns) {
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
    std::erase(kept, "FFD9");
    const CSegmentList source = {{"FFD8", ""}, {"FFD9", ""}};
    EXPECT_EQ(Filter(source, kept),
              std::string("ﾍｯﾀﾞ FFD9 の次の情報を削除... \r\n") + kNoEndMarker);
    EXPECT_EQ(CodesOf(result), "FFD8 ");
}

TEST_F(ASegmentFilter, WithAnEmptyKeptListRemovesEverySegment) {
    const CSegmentList source = {{"FFD8", ""}, {"FFD9", ""}};
    Filter(source, {});
    EXPECT_TRUE(result.empty());
}

TEST_F(ASegmentFilter, MatchesCodesExactly) {
    const CSegmentList source = {{"FFD8", ""}, {"FFE0", "01"}, {"FFD9", ""}};
    Filter(source, {"FFD8", "ffe0", "FFD9"});
    EXPECT_EQ(CodesOf(result), "FFD8 FFD9 ");
}

}  // namespace
