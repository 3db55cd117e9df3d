#include "editor/SegmentDataForm.h"

#include <gtest/gtest.h>

#include "tests/support/RecordedMessages.h"

namespace {

struct CSizeCase {
    std::string data;
    std::string size;
};

TEST(ASegmentSizeField, CountsTheDataBytesAndItsOwnTwo) {
    const std::vector<CSizeCase> cases = {
        {"", "0002"},
        {"ABC", "不正"},
        {"AABB", "0004"},
        {std::string(600, 'A'), "012E"},
        {std::string(2 * 65533, 'A'), "FFFF"},
    };
    for (const CSizeCase& c : cases) {
        EXPECT_EQ(SegmentSizeField(c.data), c.size) << c.data.size();
    }
}

TEST(ASegmentSizeField, TellsTheUserWhenFourDigitsAreNotEnough) {
    const CRecordedMessages recorded;
    const std::vector<std::string>& messages = recorded.Texts();
    EXPECT_EQ(SegmentSizeField(std::string(2 * 65534, 'A')), "10000");
    EXPECT_EQ(messages, std::vector<std::string>{"文字数が長すぎて対応しておりません"});
}

struct CCheckCase {
    std::string marker;
    std::string data;
    ESegmentDataControl focus;
    std::string messageStart;
};

TEST(SegmentDataChecks, RefuseInTheirOrderWithTheirMessageAndFocus) {
    using enum ESegmentDataControl;
    const std::vector<CCheckCase> cases = {
        {"E", "zz", Marker, "半角で 2 文字記入して下さい"},
        {"e1", "AB", Marker, "E0 のように"},
        {"E1", "ABC", Data, "2の倍数で書き込むことが必要です"},
        {"E1", "ab", Data, "E0F00112 のように"},
        {"E1", "AB\nCD", Data, "2の倍数"},
        {"E1", "AB CD ", Data, "E0F00112 のように"},
        {"E1", std::string(2 * 65534, 'A'), Data, "文字数が長すぎて対応しておりません"},
        {"E1", "", None, ""},
        {"FE", "022B3704040A0B", None, ""},
    };
    for (const CCheckCase& c : cases) {
        CSegmentDataFields fields;
        fields.m_strMarker = c.marker;
        fields.m_strData = c.data;
        const CSegmentDataProblem problem = CheckSegmentData(fields);
        EXPECT_EQ(problem.m_control, c.focus) << c.marker << " " << c.data.substr(0, 8);
        EXPECT_TRUE(problem.m_strMessage.starts_with(c.messageStart)) << problem.m_strMessage;
    }
}

TEST(ATextToHexTool, GivesTheShiftJisBytesOfTypedText) {
    EXPECT_EQ(TypedTextToHex("abc"), "616263");
    EXPECT_EQ(TypedTextToHex("日本ｶﾒﾗ"), "93FA967BB6D2D7");
    EXPECT_EQ(TypedTextToHex(""), "");
}

TEST(SegmentDataFields, OpenOnASegmentWithItsMarkerLengthFieldAndData) {
    const CSegmentDataFields fields = FieldsForSegment({"FFFE", "0005414200"}, "AB.");
    EXPECT_EQ(fields.m_strMarker, "FE");
    EXPECT_EQ(fields.m_strSize, "0005");
    EXPECT_EQ(fields.m_strData, "414200");
    EXPECT_EQ(SegmentFromFields(fields), (CJpegSegment{"FFFE", "0005414200"}));
    EXPECT_EQ(FieldsForNewSegment().m_strMarker, "E1");
}

TEST(SegmentDataFields, ShowNoErrorTextAsDataOfASegmentTooShortForItsLengthField) {
    for (const CJpegSegment& segment : {CJpegSegment{"FFD8", ""}, CJpegSegment{"FFE1", "00"}}) {
        const CSegmentDataFields fields = FieldsForSegment(segment, "");
        EXPECT_EQ(fields.m_strData, "") << segment.m_strCode;
        EXPECT_EQ(SegmentFromFields(fields), segment);
    }
}

}  // namespace
