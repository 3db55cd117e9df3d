#include "optimise/SegmentFilter.h"

#include <algorithm>
#include <utility>

#include "settings/SettingsStore.h"
#include "util/TextHelpers.h"

namespace {

const char kEndCode[] = "FFD9";
const char kApp0Code[] = "FFE0";
const char kStartOfScanCode[] = "FFDA";

bool IsKept(const std::vector<std::string>& keptCodes, const std::string& code) {
    return std::find(keptCodes.begin(), keptCodes.end(), code) != keptCodes.end();
}

// Stuffed bytes, TEM and restart markers only occur inside entropy-coded data.
// In front of the first scan, right after a dropped segment, such a "marker" is
// a piece of that segment's payload (an ICC profile often holds FF 00) and goes
// with it; kept, it would leave a stray piece of the profile in front of the
// picture's tables. Inside the scan they are the picture's own: a stray marker
// code there is dropped alone, or every restart after it would go too.
bool IsEntropyPiece(const std::string& code) {
    return code == "FF00" || code == "FF01" ||
           (code.size() == 4 && code.compare(0, 3, "FFD") == 0 && code[3] >= '0' && code[3] <= '7');
}

std::string DroppedLine(const CJpegSegment& segment) {
    return "ﾍｯﾀﾞ " + segment.m_strCode + " の次の情報を削除... " +
           HexToDisplayText(segment.m_strData) + "\r\n";
}

}  // namespace

std::string FilterSegments(CSegmentList source, CSegmentList& destination,
                           const std::vector<std::string>& keptCodes,
                           const CSettingsStore& settings, CFilterDrops* drops,
                           const std::vector<bool>& keptOnRequest) {
    ClearSegments(destination);
    CFilterDrops dropped;
    bool keepFirstApp0 = settings.Read(settings::kFfe0) != 0;
    std::string log;
    bool previousDropped = false;
    bool inScan = false;
    for (size_t i = 0; i < source.size(); ++i) {
        CJpegSegment& segment = source[i];
        const bool pieceOfDropped = !inScan && previousDropped && IsEntropyPiece(segment.m_strCode);
        previousDropped = false;
        if (i < keptOnRequest.size() && keptOnRequest[i]) {
            destination.push_back(std::move(segment));
        } else if (IsKept(keptCodes, segment.m_strCode) && !pieceOfDropped) {
            inScan = inScan || segment.m_strCode == kStartOfScanCode;
            if (segment.m_strCode == kEndCode) {
                destination.push_back(CJpegSegment{segment.m_strCode, ""});
                if (i + 1 < source.size()) {
                    log += "JPEG終了ﾍｯﾀﾞFFD9以降のすべての情報を削除\r\n";
                }
                dropped.m_end = i;
                if (drops != nullptr) {
                    *drops = std::move(dropped);
                }
                return log;
            }
            destination.push_back(std::move(segment));
        } else if (keepFirstApp0 && segment.m_strCode == kApp0Code) {
            destination.push_back(std::move(segment));
            keepFirstApp0 = false;
        } else {
            log += DroppedLine(segment);
            dropped.m_segments.push_back(i);
            previousDropped = true;
        }
    }
    if (drops != nullptr) {
        *drops = std::move(dropped);
    }
    return log +
           "JPEG終了ﾍｯﾀﾞFFD9が検出できません。正常なJPEGﾌｧｲﾙでないかもしれません。"
           "上級者ｳｨｻﾞｰﾄﾞで終了ﾍｯﾀﾞを書き込むか、[JPEG QUORVEL v2.1以降]で修復して下さい。\r\n";
}
