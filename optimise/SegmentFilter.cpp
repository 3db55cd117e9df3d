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

// The kept segments close up inside the source's own storage, which becomes
// destination: a list of millions of segments is never held twice. A kept
// segment only ever moves towards the front, onto one already handled.
std::string FilterSegments(CSegmentList source, CSegmentList& destination,
                           const std::vector<std::string>& keptCodes,
                           const CSettingsStore& settings, CFilterDrops* drops,
                           const std::vector<bool>& keptOnRequest) {
    destination = std::move(source);
    CSegmentList& list = destination;
    size_t kept = 0;
    const auto keep = [&list, &kept](size_t i) {
        if (kept != i) {
            list[kept] = std::move(list[i]);
        }
        ++kept;
    };
    CFilterDrops dropped;
    bool keepFirstApp0 = settings.Read(settings::kFfe0) != 0;
    std::string log;
    bool previousDropped = false;
    bool inScan = false;
    for (size_t i = 0; i < list.size(); ++i) {
        const CJpegSegment& segment = list[i];
        const bool pieceOfDropped = !inScan && previousDropped && IsEntropyPiece(segment.m_strCode);
        previousDropped = false;
        if (i < keptOnRequest.size() && keptOnRequest[i]) {
            keep(i);
        } else if (IsKept(keptCodes, segment.m_strCode) && !pieceOfDropped) {
            inScan = inScan || segment.m_strCode == kStartOfScanCode;
            if (segment.m_strCode == kEndCode) {
                const bool anythingBehind = i + 1 < list.size();
                list[kept++] = CJpegSegment{kEndCode, ""};
                list.erase(list.begin() + static_cast<long>(kept), list.end());
                if (anythingBehind) {
                    log += "JPEG終了ﾍｯﾀﾞFFD9以降のすべての情報を削除\r\n";
                }
                dropped.m_end = i;
                if (drops != nullptr) {
                    *drops = std::move(dropped);
                }
                return log;
            }
            keep(i);
        } else if (keepFirstApp0 && segment.m_strCode == kApp0Code) {
            keep(i);
            keepFirstApp0 = false;
        } else {
            log += DroppedLine(segment);
            dropped.m_segments.push_back(i);
            previousDropped = true;
        }
    }
    list.erase(list.begin() + static_cast<long>(kept), list.end());
    if (drops != nullptr) {
        *drops = std::move(dropped);
    }
    return log +
           "JPEG終了ﾍｯﾀﾞFFD9が検出できません。正常なJPEGﾌｧｲﾙでないかもしれません。"
           "上級者ｳｨｻﾞｰﾄﾞで終了ﾍｯﾀﾞを書き込むか、[JPEG QUORVEL v2.1以降]で修復して下さい。\r\n";
}

CJoinedMarkers PiecesJoinedBeforeFilter(const std::vector<std::string>& keptCodes) {
    CJoinedMarkers joined;
    if (!IsKept(keptCodes, kStartOfScanCode)) {
        return joined;
    }
    for (const char* code :
         {"FF00", "FFD0", "FFD1", "FFD2", "FFD3", "FFD4", "FFD5", "FFD6", "FFD7"}) {
        if (IsKept(keptCodes, code)) {
            joined.set(std::stoul(code + 2, nullptr, 16));
        }
    }
    return joined;
}
