#include "editor/SegmentDataForm.h"

#include "util/ListFile.h"
#include "util/TextHelpers.h"

namespace {

constexpr size_t kMarkerCharacters = 2;
constexpr size_t kSizeCharacters = 4;
// The field counts its own two bytes.
constexpr size_t kSizeFieldBytes = 2;
// The largest length a two-byte length field can hold.
constexpr size_t kLargestSegmentLength = 0xFFFF;

const char kOddData[] = "不正";
const char kMarkerLength[] = "半角で 2 文字記入して下さい";
const char kMarkerNotHex[] =
    "E0 のように、2ﾊﾞｲﾄ文字（16進表記、0～9とA～Fで大文字）で記入して下さい";
const char kDataOdd[] = "2の倍数で書き込むことが必要です";
const char kDataNotHex[] = "E0F00112 のように、16進表記、0～9とA～Fで大文字で記入して下さい";
const char kDataTooLong[] = "文字数が長すぎて対応しておりません";

}  // namespace

CSegmentDataFields FieldsForNewSegment() {
    CSegmentDataFields fields;
    fields.m_strMarker = "E1";
    return fields;
}

CSegmentDataFields FieldsForSegment(const CJpegSegment& segment, const std::string& reference) {
    CSegmentDataFields fields;
    const std::string& code = segment.m_strCode;
    fields.m_strMarker =
        code.size() > kMarkerCharacters ? code.substr(code.size() - kMarkerCharacters) : code;
    fields.m_strReference = reference;
    // Data too short for a length field (a bare marker, a cut segment) is all
    // size field: the data field stays empty rather than showing other text.
    fields.m_strData = DropLeft(segment.m_strData, static_cast<int>(kSizeCharacters)).value_or("");
    fields.m_strSize = segment.m_strData.substr(0, kSizeCharacters);
    return fields;
}

CJpegSegment SegmentFromFields(const CSegmentDataFields& fields) {
    return CJpegSegment{"FF" + fields.m_strMarker, fields.m_strSize + fields.m_strData};
}

std::string SegmentSizeField(const std::string& data) {
    if (data.size() % 2 != 0) {
        return kOddData;
    }
    return FormatHex4(static_cast<int>(data.size() / 2 + kSizeFieldBytes));
}

std::string TypedTextToHex(const std::string& utf8) {
    return TextToHex(Utf8ToCp932(utf8));
}

CSegmentDataProblem CheckSegmentData(const CSegmentDataFields& fields) {
    if (fields.m_strMarker.size() != kMarkerCharacters) {
        return {ESegmentDataControl::Marker, kMarkerLength};
    }
    if (!IsHexText(fields.m_strMarker)) {
        return {ESegmentDataControl::Marker, kMarkerNotHex};
    }
    if (fields.m_strData.size() % 2 != 0) {
        return {ESegmentDataControl::Data, kDataOdd};
    }
    if (!IsHexText(fields.m_strData)) {
        return {ESegmentDataControl::Data, kDataNotHex};
    }
    // A length field of five digits would shift every later byte of the file
    // by half a byte.
    if (fields.m_strData.size() / 2 + kSizeFieldBytes > kLargestSegmentLength) {
        return {ESegmentDataControl::Data, kDataTooLong};
    }
    return {};
}
