// Exif values as the command line shows them: typed, checked, never read
// outside the structure.
#include "exif/ReadableExif.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/CameraFiles.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TiffWriter.h"

namespace {

constexpr uint16_t kAscii = 2, kShort = 3, kLong = 4, kUndefined = 7, kDouble = 12;
constexpr double kNaN = NAN;

struct CReadableCase {
    const char* name;
    std::function<void(CTiffWriter&)> add;
    uint16_t tag;
    EReadableKind kind;
    std::string text;
    // The JSON string for Text; unused otherwise.
    std::string json;
    std::vector<double> numbers;
};

std::vector<uint8_t> Text(const std::string& text) {
    return {text.begin(), text.end()};
}

const CReadableExifEntry* Find(const std::vector<CReadableExifEntry>& entries, uint16_t tag) {
    for (const CReadableExifEntry& entry : entries) {
        if (entry.m_nTag == tag) {
            return &entry;
        }
    }
    return nullptr;
}

void ExpectSameNumbers(const std::vector<double>& actual, const std::vector<double>& expected,
                       const char* name) {
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (std::isnan(expected[i])) {
            EXPECT_TRUE(std::isnan(actual[i])) << name;
        } else {
            EXPECT_DOUBLE_EQ(actual[i], expected[i]) << name;
        }
    }
}

const std::vector<CReadableCase> kCases = {
    {"ascii with its NUL",
     [](CTiffWriter& w) { w.Ascii(EIfd::Ifd0, 0x0110, "Canon EOS 40D"); },
     0x0110,
     EReadableKind::Text,
     "Canon EOS 40D",
     "Canon EOS 40D",
     {}},
    {"ascii without NUL, padded",
     [](CTiffWriter& w) { w.Entry(EIfd::Ifd0, 0x010F, kAscii, 7, Text("NIKON  ")); },
     0x010F,
     EReadableKind::Text,
     "NIKON",
     "NIKON",
     {}},
    {"ascii with a line break",
     [](CTiffWriter& w) { w.Ascii(EIfd::Ifd0, 0x010E, "two\nlines"); },
     0x010E,
     EReadableKind::Text,
     "two?lines",
     "two?lines",
     {}},
    {"date",
     [](CTiffWriter& w) { w.Ascii(EIfd::Exif, 0x9003, "2008:05:30 15:56:01"); },
     0x9003,
     EReadableKind::Text,
     "2008-05-30 15:56:01",
     "2008-05-30T15:56:01",
     {}},
    {"date never set",
     [](CTiffWriter& w) { w.Ascii(EIfd::Ifd0, 0x0132, "0000:00:00 00:00:00"); },
     0x0132,
     EReadableKind::Text,
     "0000:00:00 00:00:00",
     "0000:00:00 00:00:00",
     {}},
    {"version",
     [](CTiffWriter& w) { w.Entry(EIfd::Exif, 0x9000, kUndefined, 4, Text("0221")); },
     0x9000,
     EReadableKind::Text,
     "0221",
     "0221",
     {}},
    {"interop version",
     [](CTiffWriter& w) { w.Entry(EIfd::Interop, 0x0002, kUndefined, 4, Text("0100")); },
     0x0002,
     EReadableKind::Text,
     "0100",
     "0100",
     {}},
    {"rational",
     [](CTiffWriter& w) { w.Rational(EIfd::Exif, 0x829A, 1, 200); },
     0x829A,
     EReadableKind::Numbers,
     "1/200",
     "",
     {0.005}},
    {"signed rational",
     [](CTiffWriter& w) { w.SignedRational(EIfd::Exif, 0x9204, -2, 3); },
     0x9204,
     EReadableKind::Numbers,
     "-2/3",
     "",
     {-2.0 / 3}},
    {"rational over zero",
     [](CTiffWriter& w) { w.Rational(EIfd::Exif, 0x829D, 7, 0); },
     0x829D,
     EReadableKind::Numbers,
     "7/0",
     "",
     {kNaN}},
    {"short array",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Ifd0, 0x0102, kShort, 3, {8, 0, 8, 0, 8, 0});
     },
     0x0102,
     EReadableKind::Numbers,
     "8, 8, 8",
     "",
     {8, 8, 8}},
    {"long",
     [](CTiffWriter& w) { w.Long(EIfd::Exif, 0xA002, 4000000000U); },
     0xA002,
     EReadableKind::Numbers,
     "4000000000",
     "",
     {4e9}},
    {"double",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Exif, 0x9999, kDouble, 1, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
     },
     0x9999,
     EReadableKind::Numbers,
     "1.5",
     "",
     {1.5}},
    {"short undefined as hex",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Exif, 0x9101, kUndefined, 4, {1, 2, 3, 0});
     },
     0x9101,
     EReadableKind::Text,
     "01020300",
     "01020300",
     {}},
    {"long undefined by its size",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Exif, 0x927C, kUndefined, 100, std::vector<uint8_t>(100, 0xAB));
     },
     0x927C,
     EReadableKind::Omitted,
     "(100 bytes)",
     "",
     {}},
    {"ascii user comment",
     [](CTiffWriter& w) {
         std::vector<uint8_t> bytes = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i', ' '};
         w.Entry(EIfd::Exif, 0x9286, kUndefined, 11, bytes);
     },
     0x9286,
     EReadableKind::Text,
     "hi",
     "hi",
     {}},
    {"count past the end",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Ifd0, 0x0111, kLong, 1000, {8, 0, 0, 0});
     },
     0x0111,
     EReadableKind::Omitted,
     "(values outside the Exif structure)",
     "",
     {}},
    {"offset past the end",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Ifd0, 0x8298, kAscii, 20, {0xFF, 0xFF, 0xFF, 0x7F});
     },
     0x8298,
     EReadableKind::Omitted,
     "(values outside the Exif structure)",
     "",
     {}},
    {"largest count",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Ifd0, 0x013E, kDouble, 0xFFFFFFFF, {8, 0, 0, 0});
     },
     0x013E,
     EReadableKind::Omitted,
     "(values outside the Exif structure)",
     "",
     {}},
    {"unknown type",
     [](CTiffWriter& w) {
         w.Entry(EIfd::Ifd0, 0x0100, 13, 1, {1, 0, 0, 0});
     },
     0x0100,
     EReadableKind::Omitted,
     "(unknown type 13)",
     "",
     {}},
    {"many numbers",
     [](CTiffWriter& w) { w.Entry(EIfd::Ifd0, 0x012D, kShort, 300, std::vector<uint8_t>(600, 1)); },
     0x012D,
     EReadableKind::Omitted,
     "(300 values)",
     "",
     {}},
};

TEST(ReadableExif, GivesEachKindOfValueAsACommandLineUserReadsIt) {
    for (const CReadableCase& c : kCases) {
        CTiffWriter writer(EByteOrder::Intel);
        c.add(writer);
        const std::vector<uint8_t> tiff = writer.Build();
        const auto entries = ReadExifTiff(tiff.data(), tiff.size());
        ASSERT_TRUE(entries) << c.name;
        const CReadableExifEntry* entry = Find(*entries, c.tag);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->m_kind, c.kind) << c.name;
        EXPECT_EQ(entry->m_strText, c.text) << c.name;
        if (c.kind == EReadableKind::Text) {
            EXPECT_EQ(entry->m_strJson, c.json) << c.name;
        }
        ExpectSameNumbers(entry->m_numbers, c.numbers, c.name);
    }
}

TEST(ReadableExif, ReadsBigEndianStructuresAndFollowsTheDirectoryChain) {
    CTiffWriter writer(EByteOrder::Motorola);
    writer.Ascii(EIfd::Ifd0, 0x010F, "Maker")
        .SignedRational(EIfd::Exif, 0x9204, -1, 3)
        .Short(EIfd::Interop, 0x1001, 640);
    const std::vector<uint8_t> tiff = writer.Build();
    const auto entries = ReadExifTiff(tiff.data(), tiff.size());
    ASSERT_TRUE(entries);
    std::string listed;
    for (const CReadableExifEntry& entry : *entries) {
        listed += std::string(DirectoryName(entry.m_directory)) + ":" + TypeName(entry.m_nType) +
                  "=" + entry.m_strText + " ";
    }
    EXPECT_EQ(listed,
              "ifd0:long=38 ifd0:ascii=Maker exif:long=68 exif:srational=-1/3 "
              "interop:short=640 ");
}

TEST(ReadableExif, RefusesWhatIsNoTiffStructureAndStopsAtItsEnd) {
    EXPECT_FALSE(ReadExifTiff(Text("II*").data(), 3));
    const std::vector<uint8_t> wrongMagic = {'M', 'M', 0, 0x2B, 0, 0, 0, 8};
    EXPECT_FALSE(ReadExifTiff(wrongMagic.data(), wrongMagic.size()));
    std::vector<uint8_t> tiff = CTiffWriter(EByteOrder::Intel)
                                    .Short(EIfd::Ifd0, 0x0112, 1)
                                    .Short(EIfd::Ifd0, 0x0128, 2)
                                    .Build();
    tiff.resize(8 + 2 + 12 + 5);
    const auto cut = ReadExifTiff(tiff.data(), tiff.size());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 1U);
    tiff[4] = 0xF0;
    EXPECT_EQ(ReadExifTiff(tiff.data(), tiff.size())->size(), 0U);
}

TEST(ReadableExif, FindsTheBlockInsideAJpegFile) {
    const auto entries = ReadExifOfFile(
        MakeJpegWithTiff(CTiffWriter(EByteOrder::Intel).Ascii(EIfd::Ifd0, 0x010F, "X").Build()));
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1U);
    EXPECT_EQ((*entries)[0].m_strText, "X");
    EXPECT_FALSE(ReadExifOfFile(MakeJpeg({})));
}

// A file made like one camera's, and that camera's own file where the
// checkout has the shared samples beside it.
TEST(ReadableExif, ReadsACameraFile) {
    std::vector<std::vector<uint8_t>> files = {MakeCanonLikeFile()};
    for (const std::filesystem::path& path : SharedCameraFiles()) {
        if (path.filename() == "Canon_40D.jpg") {
            files.push_back(ReadFile(path.string()));
        }
    }
    const std::vector<std::pair<uint16_t, std::string>> expected = {
        {0x010F, "Canon"}, {0x0110, "Canon EOS 40D"}, {0x9003, "2008-05-30 15:56:01"},
        {0x829A, "1/160"}, {0x829D, "71/10"},         {0x9000, "0221"},
        {0xA000, "0100"}};
    for (size_t i = 0; i < files.size(); ++i) {
        const auto entries = ReadExifOfFile(files[i]);
        ASSERT_TRUE(entries) << i;
        for (const auto& [tag, text] : expected) {
            const CReadableExifEntry* entry = Find(*entries, tag);
            ASSERT_NE(entry, nullptr) << i << " " << tag;
            EXPECT_EQ(entry->m_strText, text) << i << " " << tag;
        }
    }
}

}  // namespace
