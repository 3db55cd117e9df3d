// The Exif decoder: display texts of IFD0, the Exif IFD and the
// Interoperability IFD, written into the dictionary's data column.
#include "exif/ExifDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exif/TagDictionary.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TiffWriter.h"
#include "util/ListFile.h"

namespace {

const std::vector<std::string> kDictionaryLines = {
    "010F,メーカー,機器のメーカー", "0110,モデル,機種",       "011A,X解像度,横",
    "0112,向き,画像の向き",         "829A,露出時間,秒",       "829D,F値,絞り",
    "8769,Exif IFD,位置",           "8827,ISO感度,感度",      "9000,Exifバージョン,版",
    "A005,互換性IFD,位置",          "0001,互換性識別子,規則", "1001,関連画像の幅,幅"};

constexpr uint16_t kMake = 0x010F;
constexpr uint16_t kModel = 0x0110;
constexpr uint16_t kXResolution = 0x011A;
constexpr uint16_t kOrientation = 0x0112;
constexpr uint16_t kExposureTime = 0x829A;
constexpr uint16_t kFNumber = 0x829D;
constexpr uint16_t kIsoSpeed = 0x8827;
constexpr uint16_t kExifVersion = 0x9000;
constexpr uint16_t kInteropIndex = 0x0001;
constexpr uint16_t kRelatedImageWidth = 0x1001;
constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr uint16_t kTypeUndefined = 7;
constexpr uint16_t kTypeSignedShort = 8;

std::string TagTextOf(uint16_t tag) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", tag);
    return text;
}

class AnExifDecoder : public ::testing::Test {
protected:
    AnExifDecoder() { LoadDictionary(kDictionaryLines); }

    void LoadDictionary(const std::vector<std::string>& lines) {
        const std::string path = folder.File("exif_inf.pdt");
        WriteListFile(path, lines);
        dictionary.Load(path);
    }

    int Decode(const std::vector<uint8_t>& tiff) {
        return DecodeExifTiff(tiff.data(), tiff.size(), dictionary);
    }

    std::string Data(const std::string& tag) const {
        std::string data;
        dictionary.LookupData(tag, data);
        return data;
    }

    // Every entry with data as "tag=data", space-separated, in dictionary order.
    std::string AllData() const {
        std::string all;
        for (const CExifTagEntry& entry : dictionary.Entries()) {
            if (!entry.m_strData.empty()) {
                all += (all.empty() ? "" : " ") + entry.m_strTag + "=" + entry.m_strData;
            }
        }
        return all;
    }

    CTempDir folder;
    CTagDictionary dictionary;
};

CTiffWriter CameraLikeWriter(EByteOrder order) {
    CTiffWriter writer(order);
    writer.Ascii(EIfd::Ifd0, kMake, "ABCDE")
        .Ascii(EIfd::Ifd0, kModel, "AB CD")
        .Rational(EIfd::Ifd0, kXResolution, 72, 1)
        .Short(EIfd::Ifd0, kOrientation, 1)
        .Rational(EIfd::Exif, kExposureTime, 10, 600)
        .Rational(EIfd::Exif, kFNumber, 28, 10)
        .Short(EIfd::Exif, kIsoSpeed, 200)
        .Long(EIfd::Interop, kRelatedImageWidth, 640);
    return writer;
}

// The pointers are the offsets the writer lays the directories out at.
const char kCameraLikeTexts[] =
    "010F=ABCDE. 0110=AB.CD. 011A=72/1 0112=1 829A=1/60 829D=F2.8 8769=74 8827=200 A005=128 "
    "1001=640";

class ACameraLikeStructure : public AnExifDecoder,
                             public ::testing::WithParamInterface<EByteOrder> {};

TEST_P(ACameraLikeStructure, GivesTheSameTextsInEitherByteOrder) {
    EXPECT_EQ(Decode(CameraLikeWriter(GetParam()).Build()), 1);
    EXPECT_EQ(AllData(), kCameraLikeTexts);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, ACameraLikeStructure,
                         ::testing::Values(EByteOrder::Intel, EByteOrder::Motorola),
                         [](const auto& info) {
                             return info.param == EByteOrder::Intel ? "Intel" : "Motorola";
                         });

struct CRationalCase {
    EIfd ifd;
    uint16_t tag;
    int32_t numerator;
    int32_t denominator;
    const char* text;
};

TEST_F(AnExifDecoder, WritesRationalsByTheRuleOfTheirDirectoryAndTag) {
    const std::vector<CRationalCase> cases = {
        {EIfd::Exif, kExposureTime, 10, 600, "1/60"},
        {EIfd::Exif, kExposureTime, 10, 1255, "1/126"},
        {EIfd::Exif, kExposureTime, 1, 160, "1/160"},  // a numerator other than 10
        {EIfd::Exif, kExposureTime, 2, 3, "1/2"},      // 1.5 rounds half up
        {EIfd::Exif, kExposureTime, 20, 10, "2.0"},
        {EIfd::Exif, kExposureTime, 15, 10, "1.5"},
        {EIfd::Exif, kExposureTime, -15, 10, "-1.5"},
        {EIfd::Exif, kExposureTime, 5, 0, "5/0"},
        {EIfd::Exif, kExposureTime, 0, 10, "0/10"},
        {EIfd::Exif, kExposureTime, -1, 160, "-1/160"},
        {EIfd::Exif, kExposureTime, 1, -160, "1/-160"},
        {EIfd::Exif, kExposureTime, 1, INT_MAX, "1/2147483647"},
        {EIfd::Exif, kExposureTime, INT_MIN, -1, "2147483648.0"},
        {EIfd::Exif, kExposureTime, INT_MIN, 1, "-2147483648.0"},
        {EIfd::Interop, kExposureTime, 10, 600, "1/60"},
        {EIfd::Ifd0, kExposureTime, 10, 600, "10/600"},
        {EIfd::Exif, kFNumber, 28, 10, "F2.8"},
        {EIfd::Exif, kFNumber, 35, 10, "F3.5"},
        {EIfd::Exif, kFNumber, 28, 0, "0"},
        {EIfd::Interop, kFNumber, 28, 10, "28/10"},
        {EIfd::Ifd0, kFNumber, 28, 10, "28/10"},
        {EIfd::Ifd0, kXResolution, 72, 1, "72/1"},
        {EIfd::Exif, kXResolution, -300, 0, "-300/0"},
    };
    for (const CRationalCase& c : cases) {
        CTiffWriter writer(EByteOrder::Intel);
        writer.SignedRational(c.ifd, c.tag, c.numerator, c.denominator);
        ASSERT_EQ(Decode(writer.Build()), 1);
        EXPECT_EQ(Data(TagTextOf(c.tag)), c.text) << c.numerator << "/" << c.denominator;
    }
}

struct CInlineCase {
    const char* name;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> field;
    const char* intelText;
    const char* motorolaText;
};

TEST_F(AnExifDecoder, ReadsValuesOfUpToFourBytesAsOneNumberInTheByteOrder) {
    const std::vector<CInlineCase> cases = {
        {"three ASCII bytes", kTypeAscii, 3, {'A', 'B', 0, 0}, "16961", "4276736"},
        {"a short", kTypeShort, 1, {1, 0, 0, 0}, "1", "256"},
        {"a short ignores the rest of the field", kTypeShort, 1, {1, 0, 0xFF, 0xFF}, "1", "256"},
        {"two bytes", kTypeByte, 2, {1, 2, 0, 0}, "513", "258"},
        {"two signed shorts", kTypeSignedShort, 2, {1, 0, 2, 0}, "131073", "16777728"},
        {"a long with every bit set", kTypeLong, 1, {0xFF, 0xFF, 0xFF, 0xFF}, "-1", "-1"},
        {"a long with the top bit", kTypeLong, 1, {0, 0, 0, 0x80}, "-2147483648", "128"},
        {"a version", kTypeUndefined, 4, {'0', '2', '3', '2'}, "842215984", "808596274"},
        {"no value at all", kTypeAscii, 0, {'A', 'B', 'C', 'D'}, "0", "0"},
    };
    for (const CInlineCase& c : cases) {
        for (EByteOrder order : {EByteOrder::Intel, EByteOrder::Motorola}) {
            CTiffWriter writer(order);
            writer.Entry(EIfd::Ifd0, kExifVersion, c.type, c.count, c.field);
            ASSERT_EQ(Decode(writer.Build()), 1);
            EXPECT_EQ(Data("9000"), order == EByteOrder::Intel ? c.intelText : c.motorolaText)
                << c.name;
        }
    }
}

struct COffsetCase {
    const char* name;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> bytes;
    const char* text;
};

TEST_F(AnExifDecoder, ShowsLongerValuesByteByByteWithOnlyLettersAndDigitsKept) {
    const std::vector<COffsetCase> cases = {
        {"ASCII with its zero", kTypeAscii, 6, {'A', 'B', 'C', 'D', 'E', 0}, "ABCDE."},
        {"space and punctuation", kTypeAscii, 6, {'a', ' ', 'z', ',', '9', 0}, "a.z.9."},
        {"bytes from 0x80 up", kTypeUndefined, 5, {0x80, 0xC3, 0xA9, 0xFF, 'Q'}, "....Q"},
        {"an array of shorts", kTypeShort, 3, {'A', 0, 'B', 0, 'C', 0}, "A.B.C."},
        {"only the first rational",
         kTypeRational,
         2,
         {3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0},
         "3/4"},
    };
    for (const COffsetCase& c : cases) {
        CTiffWriter writer(EByteOrder::Intel);
        writer.Entry(EIfd::Ifd0, kModel, c.type, c.count, c.bytes);
        ASSERT_EQ(Decode(writer.Build()), 1);
        EXPECT_EQ(Data("0110"), c.text) << c.name;
    }
}

TEST_F(AnExifDecoder, StopsEverythingAtATypeThatDoesNotExist) {
    for (uint16_t type : {0, 13, 0xFFFF}) {
        CTiffWriter writer(EByteOrder::Intel);
        writer.Ascii(EIfd::Ifd0, kMake, "ABCDE")
            .Entry(EIfd::Ifd0, kOrientation, type, 1, {1, 0, 0, 0})
            .Ascii(EIfd::Ifd0, kModel, "XYZ12")
            .Short(EIfd::Exif, kIsoSpeed, 200);
        EXPECT_EQ(Decode(writer.Build()), 1) << type;
        EXPECT_EQ(AllData(), "010F=ABCDE. 8769=62") << "the Exif IFD is not walked; type " << type;
    }
}

TEST_F(AnExifDecoder, WalksTheInteroperabilityIfdOnlyWhenTheDictionaryKnowsA005) {
    CTiffWriter writer(EByteOrder::Motorola);
    writer.Short(EIfd::Exif, kIsoSpeed, 400).Long(EIfd::Interop, kRelatedImageWidth, 1024);
    const std::vector<uint8_t> tiff = writer.Build();
    ASSERT_EQ(Decode(tiff), 1);
    EXPECT_EQ(Data("1001"), "1024");

    LoadDictionary({"8827,ISO感度,感度", "1001,関連画像の幅,幅"});
    ASSERT_EQ(Decode(tiff), 1);
    EXPECT_EQ(AllData(), "8827=400");
}

TEST_F(AnExifDecoder, LeavesNoValueOfAnEarlierStructureBehind) {
    ASSERT_EQ(Decode(CameraLikeWriter(EByteOrder::Intel).Build()), 1);
    CTiffWriter withoutIso(EByteOrder::Intel);
    withoutIso.Ascii(EIfd::Ifd0, kMake, "OTHER");
    ASSERT_EQ(Decode(withoutIso.Build()), 1);
    EXPECT_EQ(AllData(), "010F=OTHER.");
}

struct CHeaderCase {
    const char* name;
    std::string hex;
};

TEST_F(AnExifDecoder, RefusesWhatIsNoTiffHeaderAndClearsEveryValue) {
    const std::vector<CHeaderCase> cases = {
        {"Intel order with a wrong magic number", "49492A01080000000000"},
        {"Intel magic in Motorola order", "4D4D2A0000000008"},
        {"a JPEG file", "FFD8FFE1001845786966000049492A0008000000"},
        {"one byte short of the IFD0 offset", "49492A00080000"},
        {"nothing", ""},
    };
    for (const CHeaderCase& c : cases) {
        ASSERT_EQ(Decode(CameraLikeWriter(EByteOrder::Intel).Build()), 1);
        EXPECT_EQ(Decode(BytesFromHex(c.hex)), 0) << c.name;
        EXPECT_EQ(AllData(), "") << c.name;
        ASSERT_EQ(Decode(CameraLikeWriter(EByteOrder::Intel).Build()), 1);
        EXPECT_EQ(DecodeExifHex(c.hex, c.hex.size(), dictionary), 0) << c.name;
        EXPECT_EQ(AllData(), "") << c.name;
    }
}

TEST_F(AnExifDecoder, AcceptsAnyFirstTwoBytesAsMotorolaOrder) {
    // Header with zeros for the order mark, then IFD0 with one SHORT 7 for 010F.
    EXPECT_EQ(Decode(BytesFromHex("0000002A000000080001010F00030000000100070000")), 1);
    EXPECT_EQ(AllData(), "010F=7");
}

struct CHostileCase {
    const char* name;
    std::string hex;
    const char* texts;
};

// Intel structures with the damage written out byte by byte: header, then
// IFD0 at 8 with its entry count and entries of tag, type, count and value.
TEST_F(AnExifDecoder, ReadsNothingOutsideAHostileStructure) {
    const std::vector<CHostileCase> cases = {
        {"IFD0 offset past the end", "49492A00 FFFFFF7F  0100 0F01 0300 01000000 07000000", ""},
        {"IFD0 offset negative", "49492A00 00000080  0100 0F01 0300 01000000 07000000", ""},
        {"entry count past the end", "49492A00 08000000  FFFF 0F01 0300 01000000 07000000",
         "010F=7"},
        {"value offset past the end ends the directory",
         "49492A00 08000000  0200 0F01 0200 08000000 40000000  1001 0300 01000000 05000000", ""},
        {"negative value offset",
         "49492A00 08000000  0200 0F01 0200 08000000 00000080  1201 0300 01000000 01000000", ""},
        {"count times unit wraps to 0 in 32 bits",
         "49492A00 08000000  0200 1A01 0500 00000020 00000000  1201 0300 01000000 01000000", ""},
        {"count times unit wraps to 4 in 32 bits",
         "49492A00 08000000  0200 1A01 0400 01000040 01000000  1201 0300 01000000 01000000", ""},
        {"negative count",
         "49492A00 08000000  0200 0F01 0200 FFFFFFFF 08000000  1201 0300 01000000 01000000", ""},
        {"Exif IFD pointing back to IFD0",
         "49492A00 08000000  0200 6987 0400 01000000 08000000  1201 0300 01000000 03000000",
         "0112=3 8769=8"},
        {"both pointers back to IFD0",
         "49492A00 08000000  0300 6987 0400 01000000 08000000  05A0 0400 01000000 08000000"
         "  1201 0300 01000000 06000000",
         "0112=6 8769=8 A005=8"},
    };
    for (const CHostileCase& c : cases) {
        std::string hex = c.hex;
        std::erase(hex, ' ');
        EXPECT_EQ(Decode(BytesFromHex(hex)), 1) << c.name;
        EXPECT_EQ(AllData(), c.texts) << c.name;
    }
}

TEST_F(AnExifDecoder, EndsOnlyTheDamagedDirectory) {
    CTiffWriter writer(EByteOrder::Intel);
    writer.Entry(EIfd::Ifd0, kMake, kTypeAscii, 0x1000, {'A', 'B', 'C', 'D', 'E', 0})
        .Ascii(EIfd::Ifd0, kModel, "NEVER")
        .Short(EIfd::Exif, kIsoSpeed, 100)
        .Entry(EIfd::Exif, kModel, kTypeAscii, 0xFFFFFFFF, {'A', 'B', 'C', 'D', 'E', 0})
        .Short(EIfd::Exif, kOrientation, 8)
        .Short(EIfd::Interop, kInteropIndex, 2);
    EXPECT_EQ(Decode(writer.Build()), 1);
    EXPECT_EQ(AllData(), "8769=50 8827=100 A005=104 0001=2");
}

TEST_F(AnExifDecoder, NeverReadsPastTheEndOfATruncatedStructure) {
    const std::vector<uint8_t> whole = CameraLikeWriter(EByteOrder::Motorola).Build();
    for (size_t length = 0; length <= whole.size(); ++length) {
        // An exact-size copy, so that the address sanitizer sees any overread.
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + length);
        EXPECT_EQ(Decode(prefix), length >= 8 ? 1 : 0) << length;
    }
    EXPECT_EQ(AllData(), kCameraLikeTexts);
}

TEST_F(AnExifDecoder, ReadsHexTextUpToItsGivenLengthAndItsFirstNonHexCharacter) {
    const std::vector<uint8_t> tiff = CameraLikeWriter(EByteOrder::Intel).Build();
    const std::string hex = HexFromBytes(tiff);
    const size_t ifd0End = 2 * (8 + 66);
    const std::vector<uint8_t> shortTiff(tiff.begin(), tiff.begin() + ifd0End / 2);
    ASSERT_EQ(Decode(shortTiff), 1);
    const std::string shortTexts = AllData();
    ASSERT_NE(shortTexts, kCameraLikeTexts);

    struct CHexCase {
        const char* name;
        std::string text;
        size_t length;
        const char* texts;
    };
    const std::vector<CHexCase> cases = {
        {"whole text", hex, hex.size(), kCameraLikeTexts},
        {"a last unpaired character", hex + "4", hex.size() + 1, kCameraLikeTexts},
        {"a length that cuts the text", hex, ifd0End, shortTexts.c_str()},
        {"a length past the text", hex, hex.size() + 100, kCameraLikeTexts},
        {"a character that is no hex", hex.substr(0, ifd0End) + "G" + hex.substr(ifd0End),
         hex.size() + 1, shortTexts.c_str()},
        {"lower-case hex", hex.substr(0, ifd0End) + "a" + hex.substr(ifd0End), hex.size() + 1,
         shortTexts.c_str()},
    };
    for (const CHexCase& c : cases) {
        EXPECT_EQ(DecodeExifHex(c.text, c.length, dictionary), 1) << c.name;
        EXPECT_EQ(AllData(), c.texts) << c.name;
    }
}

struct CCameraFile {
    std::string name;
    std::string make;
    std::string model;
};

// The TIFF structure of the first Exif block: after the signature, to the end
// of its segment as the length field before the signature gives it.
std::vector<uint8_t> ExifTiffOf(const std::vector<uint8_t>& file) {
    const std::vector<uint8_t> signature = {'E', 'x', 'i', 'f', 0, 0};
    const auto match = std::search(file.begin(), file.end(), signature.begin(), signature.end());
    if (match == file.end() || match - file.begin() < 2) {
        return {};
    }
    const size_t at = static_cast<size_t>(match - file.begin());
    const size_t segmentLength = size_t{file[at - 2]} << 8 | file[at - 1];
    const size_t end = std::min(file.size(), at - 2 + segmentLength);
    return end > at + 6 ? std::vector<uint8_t>(file.begin() + static_cast<long>(at) + 6,
                                               file.begin() + static_cast<long>(end))
                        : std::vector<uint8_t>{};
}

// The text as the decoder shows it: every byte that is no letter or digit,
// the terminating zero too, as '.'.
std::string Dotted(const std::string& text) {
    std::string dotted = text.empty() ? "" : text + '\0';
    for (char& c : dotted) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '.';
    }
    return dotted;
}

// Make and Model as the files' own bytes hold them: camera-like files made
// here, and the real cameras' files beside the checkout where there are some
// (their texts read with a hex dump).
TEST_F(AnExifDecoder, ShowsMakeAndModelOfCameraFiles) {
    std::vector<std::pair<CCameraFile, std::vector<uint8_t>>> files;
    for (const CCameraLikeFile& file : MakeCameraLikeFiles()) {
        files.push_back({{file.name, Dotted(file.make), Dotted(file.model)}, file.bytes});
    }
    const std::vector<CCameraFile> real = {
        {"Canon_40D.jpg", "Canon.", "Canon.EOS.40D."},
        {"DSCN0010.jpg", "NIKON.", "COOLPIX.P6000."},
        {"Fujifilm_FinePix6900ZOOM.jpg", "FUJIFILM.", "FinePix6900ZOOM."},
        {"kodak-dc240.jpg", "EASTMAN.KODAK.COMPANY.", "KODAK.DC240.ZOOM.DIGITAL.CAMERA."},
        {"nikon-e950.jpg", "NIKON.", "E950."},
        {"PaintTool_sample.jpg", "", ""},
    };
    for (const std::filesystem::path& path : SharedCameraFiles()) {
        for (const CCameraFile& file : real) {
            if (path.filename() == file.name) {
                files.push_back({file, ReadFile(path.string())});
            }
        }
    }
    for (const auto& [file, bytes] : files) {
        EXPECT_EQ(Decode(ExifTiffOf(bytes)), 1) << file.name;
        EXPECT_EQ(Data("010F"), file.make) << file.name;
        EXPECT_EQ(Data("0110"), file.model) << file.name;
        EXPECT_NE(Data("8769"), "") << file.name;
    }
}

}  // namespace
