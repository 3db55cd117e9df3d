#include "segment/SegmentList.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "settings/MemorySettingsStore.h"

namespace {

CSegmentList ListOf(const std::vector<std::string>& codes) {
    CSegmentList list;
    for (const std::string& code : codes) {
        const size_t colon = code.find(':');
        list.push_back(colon == std::string::npos
                           ? CJpegSegment{code, ""}
                           : CJpegSegment{code.substr(0, colon), code.substr(colon + 1)});
    }
    return list;
}

std::vector<std::string> CodesOf(const CSegmentList& list) {
    std::vector<std::string> codes;
    for (const CJpegSegment& segment : list) {
        codes.push_back(segment.m_strData.empty() ? segment.m_strCode
                                                  : segment.m_strCode + ":" + segment.m_strData);
    }
    return codes;
}

// A camera file with proprietary data and a complete picture nested in front
// of the real one.
const std::vector<std::string> kNestedFile = {"FFD8",    "FFE0:0A", "FFE1:0B",   "FFD8",
                                              "FFC4:01", "FFDA:02", "FFD9:EEEE", "FFDB:03",
                                              "FFC0:04", "FFDA:05", "FF00:06",   "FFD9"};

class AProprietaryImage : public ::testing::Test {
protected:
    CMemorySettingsStore settings;
    CSegmentList result{CJpegSegment{"STALE", ""}};
};

TEST_F(AProprietaryImage, IsCutAwayAndTheFirstApp0KeptWhenAsked) {
    settings.Write(settings::kFfe0, 1);
    EXPECT_TRUE(RemoveProprietaryImage(ListOf(kNestedFile), result, settings));
    EXPECT_EQ(CodesOf(result), (std::vector<std::string>{"FFD8", "FFE0:0A", "FFDB:03", "FFC0:04",
                                                         "FFDA:05", "FF00:06", "FFD9"}));
}

TEST_F(AProprietaryImage, IsCutAwayWithTheApp0ByDefault) {
    EXPECT_TRUE(RemoveProprietaryImage(ListOf(kNestedFile), result, settings));
    EXPECT_EQ(CodesOf(result), (std::vector<std::string>{"FFD8", "FFDB:03", "FFC0:04", "FFDA:05",
                                                         "FF00:06", "FFD9"}));
}

TEST_F(AProprietaryImage, WithoutASecondEndMarkerLeavesTheTailUnchangedAndFails) {
    settings.Write(settings::kFfe0, 1);
    EXPECT_FALSE(RemoveProprietaryImage(ListOf({"FFD8", "FFE0:0A", "FFD9:77", "FFDB:03"}), result,
                                        settings));
    EXPECT_EQ(CodesOf(result), (std::vector<std::string>{"FFD9:77", "FFDB:03"}));
    EXPECT_FALSE(RemoveProprietaryImage(ListOf({"FFD8", "FFE0:0A"}), result, settings));
    EXPECT_TRUE(result.empty());
}

TEST(ASegmentList, HasAnEmbeddedImageOnlyWithExactlyTwoStartAndTwoEndMarkers) {
    EXPECT_TRUE(HasEmbeddedImage(ListOf(kNestedFile)));
    EXPECT_FALSE(HasEmbeddedImage(ListOf({"FFD8", "FFD8", "FFD9", "FFD9", "FFD9"})));
    EXPECT_FALSE(HasEmbeddedImage(ListOf({"FFD8", "FFD9"})));
    EXPECT_FALSE(HasEmbeddedImage(ListOf({"FFD8", "ffd8", "FFD9", "FFD9"})));
}

TEST(ASegmentList, CountsEveryMarkerAsTwoBytes) {
    EXPECT_EQ(SegmentBytes(ListOf({"FFD8", "FFE0:" + std::string(10, 'A'), "FFD9"})),
              (12 + 10) / 2);
    EXPECT_EQ(SegmentBytes(ListOf({":0102", "FF", "FFFF"})), 8);
    EXPECT_EQ(SegmentBytes({}), 0);
}

TEST(ASegmentList, CopiesReplaceTheDestinationAndLeaveTheSourceAlone) {
    const CSegmentList source = ListOf({"FFD8", "FFE1:0102", "FFD9"});
    CSegmentList destination = ListOf({"FFFE:00"});
    CopySegments(source, destination);
    EXPECT_EQ(destination, source);
    destination[1].m_strData = "FFFF";
    EXPECT_EQ(source[1].m_strData, "0102");
    AppendSegmentCopy(destination, source[0]);
    EXPECT_EQ(destination.size(), 4u);
    ClearSegments(destination);
    EXPECT_TRUE(destination.empty());
}

// The copy keeps what both lists share at their head and tail: whatever
// they share, it must end as the source.
TEST(ASegmentList, CopiesOverAListSharingItsHeadOrTailOrNothing) {
    using Codes = std::vector<std::string>;
    const std::pair<Codes, Codes> cases[] = {
        {{"FFD8", "FFE1:0102", "FFDA:11", "FFD9"},
         {"FFD8", "FFFE:00", "FFE2:01", "FFDA:11", "FFD9"}},
        {{"FFD8", "FFFE:00", "FFE2:01", "FFDA:11", "FFD9"},
         {"FFD8", "FFE1:0102", "FFDA:11", "FFD9"}},
        {{"FFD8", "FFD9", "FFD8"}, {"FFD8"}},
        {{"FFD8"}, {"FFD8", "FFD9", "FFD8"}},
        {{"FFD8", "FFD8"}, {"FFD8", "FFD8", "FFD8"}},
        {{"FFE1:0102"}, {"FFE1:0103"}},
        {{}, {"FFD8"}},
        {{"FFD8"}, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CSegmentList copy = ListOf(cases[i].second);
        CopySegments(ListOf(cases[i].first), copy);
        EXPECT_EQ(copy, ListOf(cases[i].first)) << "case " << i;
    }
}

}  // namespace
