#include "segment/SegmentData.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "tests/support/TestFiles.h"

namespace {

// Every byte value in turn, so that every digit pair is met.
std::shared_ptr<const ByteVector> Counting(size_t count) {
    auto bytes = std::make_shared<ByteVector>(count);
    for (size_t i = 0; i < count; ++i) {
        (*bytes)[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return bytes;
}

std::string HexOf(const ByteVector& file, size_t offset, size_t length) {
    return HexFromBytes({file.begin() + static_cast<long>(offset),
                         file.begin() + static_cast<long>(offset + length)});
}

// Bytes of a file seen from inside it, as the scanner hands them out, against
// the text that was built eagerly before.
class ASegmentDataView : public ::testing::Test {
protected:
    std::shared_ptr<const ByteVector> file = Counting(300);
    CSegmentData view = CSegmentData::OfBytes(file, 3, 260);
    std::string text = HexOf(*file, 3, 260);
};

TEST_F(ASegmentDataView, AnswersEveryPieceAsItsTextDoes) {
    ASSERT_EQ(view.size(), text.size());
    EXPECT_EQ(view.Text(), text);
    EXPECT_EQ(static_cast<std::string>(view), text);
    for (size_t pos = 0; pos <= text.size(); ++pos) {
        for (const size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{517},
                                   text.size(), std::string::npos}) {
            ASSERT_EQ(view.substr(pos, count), text.substr(pos, count)) << pos << "+" << count;
            ASSERT_EQ(view.compare(pos, count, "B8BF"), text.compare(pos, count, "B8BF"))
                << pos << "+" << count;
        }
    }
    EXPECT_THROW(view.substr(text.size() + 1), std::out_of_range);
    EXPECT_THROW(view.compare(text.size() + 1, 1, ""), std::out_of_range);
}

TEST_F(ASegmentDataView, EqualsWhatHoldsTheSameTextAndNothingElse) {
    const ByteVector copy(file->begin() + 3, file->begin() + 263);
    EXPECT_EQ(view, CSegmentData(text));
    EXPECT_EQ(CSegmentData(text), view);
    EXPECT_EQ(view, CSegmentData::OfBytes(std::make_shared<const ByteVector>(copy), 0, 260));
    EXPECT_NE(view, CSegmentData::OfBytes(file, 4, 260));
    EXPECT_NE(view, CSegmentData(text.substr(1)));
    EXPECT_EQ(CSegmentData::OfBytes(file, 300, 0), CSegmentData(""));
    EXPECT_THROW(CSegmentData::OfBytes(file, 299, 2), std::out_of_range);
}

// Long data is made text a chunk at a time; pieces across the chunks' seams
// must come out whole.
TEST(ALongSegmentDataView, GivesItsTextAndAppendsPiecesAcrossChunks) {
    const std::shared_ptr<const ByteVector> file = Counting(200001);
    const CSegmentData view = CSegmentData::OfBytes(file, 1, 200000);
    const std::string text = HexOf(*file, 1, 200000);
    EXPECT_EQ(view.Text(), text);
    for (const size_t pos : {size_t{65535}, size_t{65536}, size_t{131071}, text.size() - 3}) {
        std::string piece = "x";
        view.AppendTextTo(piece, pos, 3);
        EXPECT_EQ(piece, "x" + text.substr(pos, 3)) << pos;
    }
    const auto bytes = view.Bytes();
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 200000U);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), file->begin() + 1));
    EXPECT_FALSE(CSegmentData(text).Bytes());
}

}  // namespace
