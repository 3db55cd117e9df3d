#include "optimise/RemovedSegments.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace {

constexpr int64_t kStartMarkerBytes = 2;

struct CSignature {
    const char* code;
    // The payload's first bytes as upper-case hex, after the length field.
    const char* payload;
    const char* kind;
};

constexpr std::array<CSignature, 3> kSignatures{{
    {"FFE1", "457869660000", "exif"},
    // "http://ns.adobe.com/xap/1.0/" and its NUL.
    {"FFE1", "687474703A2F2F6E732E61646F62652E636F6D2F7861702F312E302F00", "xmp"},
    {"FFE2", "4943435F50524F46494C4500", "icc-profile"},
}};

constexpr size_t kLengthFieldChars = 4;

std::string KindOf(const CJpegSegment& segment) {
    if (segment.m_strCode == "FFFE") {
        return "comment";
    }
    if (segment.m_strCode.empty()) {
        return "before-picture";
    }
    for (const CSignature& signature : kSignatures) {
        const std::string_view payload(signature.payload);
        if (segment.m_strCode == signature.code &&
            segment.m_strData.size() >= kLengthFieldChars + payload.size() &&
            segment.m_strData.compare(kLengthFieldChars, payload.size(), payload) == 0) {
            return signature.kind;
        }
    }
    return "";
}

uint16_t MarkerOf(const std::string& code) {
    uint16_t marker = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), marker, 16);
    return code.size() == 4 && error == std::errc() && end == code.data() + code.size() ? marker
                                                                                        : 0;
}

// The marker and length field and what the field counts, for a segment
// that has one (not a start, end, restart or TEM marker); 0 otherwise.
int64_t DeclaredBytes(const CJpegSegment& segment) {
    const uint16_t marker = MarkerOf(segment.m_strCode);
    const bool hasLength = marker >= 0xFFC0 && marker != 0xFFD8 && marker != 0xFFD9 &&
                           (marker < 0xFFD0 || marker > 0xFFD7);
    if (!hasLength || segment.m_strData.size() < kLengthFieldChars) {
        return 0;
    }
    const std::string field = segment.m_strData.substr(0, kLengthFieldChars);
    uint16_t length = 0;
    if (std::from_chars(field.data(), field.data() + field.size(), length, 16).ptr !=
        field.data() + field.size()) {
        return 0;
    }
    return 2 + int64_t{length};
}

}  // namespace

std::vector<int64_t> SegmentOffsets(const CSegmentList& list) {
    std::vector<int64_t> offsets;
    offsets.reserve(list.size() + 1);
    int64_t characters = 0;
    for (const CJpegSegment& segment : list) {
        offsets.push_back(characters / 2);
        characters += static_cast<int64_t>(segment.m_strCode.size() + segment.m_strData.size());
    }
    offsets.push_back(characters / 2);
    return offsets;
}

CRemovedSegment RemovedSegment(const CJpegSegment& segment, int64_t offset, int64_t bytes) {
    return {MarkerOf(segment.m_strCode), offset, bytes, KindOf(segment)};
}

std::vector<CRemovedSegment> RemovedByExifCut(uint16_t markerAfterStart, int64_t cutBytes,
                                              int64_t blockBytes) {
    std::vector<CRemovedSegment> removed;
    const int64_t blockStart = kStartMarkerBytes + cutBytes - blockBytes;
    if (blockStart > kStartMarkerBytes) {
        removed.push_back(
            {markerAfterStart, kStartMarkerBytes, blockStart - kStartMarkerBytes, ""});
    }
    removed.push_back({0xFFE1, blockStart, blockBytes, "exif"});
    return removed;
}

void ShiftBehindStartMarker(std::vector<CRemovedSegment>& removed, int64_t shift) {
    for (CRemovedSegment& piece : removed) {
        if (piece.m_nOffset >= kStartMarkerBytes) {
            piece.m_nOffset += shift;
        }
    }
}

std::vector<CDescribedSegment> DescribeSegments(const CSegmentList& list,
                                                const std::vector<int64_t>& offsets) {
    std::vector<CDescribedSegment> described;
    described.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const CJpegSegment& segment = list[i];
        const int64_t bytes =
            static_cast<int64_t>(segment.m_strCode.size() + segment.m_strData.size()) / 2;
        described.push_back({RemovedSegment(segment, offsets[i], bytes),
                             offsets[i] + std::max(bytes, DeclaredBytes(segment))});
    }
    return described;
}

void AppendRemoved(std::vector<CRemovedSegment>& removed, const CDescribedSegment& piece,
                   int64_t& declaredEnd) {
    const CRemovedSegment& record = piece.m_record;
    if (!removed.empty() &&
        record.m_nOffset == removed.back().m_nOffset + removed.back().m_nBytes &&
        record.m_nOffset + record.m_nBytes <= declaredEnd) {
        removed.back().m_nBytes += record.m_nBytes;
        return;
    }
    removed.push_back(record);
    declaredEnd = piece.m_nDeclaredEnd;
}

const char* TrailerKindName(ETrailerKind kind) {
    switch (kind) {
        case ETrailerKind::MotionPhoto:
            return "motion-photo";
        case ETrailerKind::GainMap:
            return "gain-map";
        case ETrailerKind::MpfImage:
            return "mpf-image";
    }
    return "";
}

std::vector<CRemovedSegment> RemovedAfterEnd(int64_t afterEnd, int64_t endOfFile,
                                             const std::vector<CTrailerItem>& trailer) {
    std::vector<CRemovedSegment> removed;
    int64_t at = afterEnd;
    for (const CTrailerItem& item : trailer) {
        const CByteRange& range = item.m_range;
        if (range.m_nOffset < at || range.End() > endOfFile) {
            continue;
        }
        if (range.m_nOffset > at) {
            removed.push_back({0xFFD9, at, range.m_nOffset - at, "after-end"});
        }
        removed.push_back({0xFFD9, range.m_nOffset, range.m_nBytes, TrailerKindName(item.m_eKind)});
        at = range.End();
    }
    if (at < endOfFile) {
        removed.push_back({0xFFD9, at, endOfFile - at, "after-end"});
    }
    return removed;
}

std::string RemovedKindLines(const std::vector<CRemovedSegment>& removed) {
    static constexpr std::array<std::pair<const char*, const char*>, 5> kLines{{
        {"icc-profile",
         "ｶﾗｰﾌﾟﾛﾌｧｲﾙ(ICC)を削除しました。色を管理するﾋﾞｭｰｱｰでは色が変わって見えることがあります。"},
        {"xmp", "XMP情報を削除しました。"},
        {"motion-photo", "ﾓｰｼｮﾝﾌｫﾄの動画を削除しました。"},
        {"gain-map", "HDR表示のためのｹﾞｲﾝﾏｯﾌﾟ画像を削除しました。"},
        {"mpf-image", "MPF形式の追加画像を削除しました。"},
    }};
    std::string lines;
    for (const auto& [kind, line] : kLines) {
        const bool found = std::any_of(
            removed.begin(), removed.end(),
            [kind = kind](const CRemovedSegment& piece) { return piece.m_strKind == kind; });
        if (found) {
            lines += std::string(line) + "\r\n";
        }
    }
    return lines;
}
