#include "optimise/SegmentFilter.h"

#include <algorithm>

#include "app/SettingsStore.h"
#include "util/TextHelpers.h"

namespace {

const char kEndCode[] = "FFD9";
const char kApp0Code[] = "FFE0";

bool IsKept(const std::vector<std::string>& keptCodes, const std::string& code) {
    return std::find(keptCodes.begin(), keptCodes.end(), code) != keptCodes.end();
}

std::string DroppedLine(const CJpegSegment& segment) {
    return "ﾍｯﾀﾞ " + segment.m_strCode + " の次の情報を削除... " +
           HexToDisplayText(segment.m_strData) + "\r\n";
}

}  // namespace

std::string FilterSegments(const CSegmentList& source, CSegmentList& destination,
                           const std::vector<std::string>& keptCodes,
                           const CSettingsStore& settings) {
    ClearSegments(destination);
    bool keepFirstApp0 = settings.Read(settings::kFfe0) != 0;
    std::string log;
    for (size_t i = 0; i < source.size(); ++i) {
        const CJpegSegment& segment = source[i];
        if (IsKept(keptCodes, segment.m_strCode)) {
            if (segment.m_strCode == kEndCode) {
                destination.push_back(CJpegSegment{segment.m_strCode, ""});
                if (i + 1 < source.size()) {
                    log += "JPEG終了ﾍｯﾀﾞFFD9以降のすべての情報を削除\r\n";
                }
                return log;
            }
            destination.push_back(segment);
        } else if (keepFirstApp0 && segment.m_strCode == kApp0Code) {
            destination.push_back(segment);
            keepFirstApp0 = false;
        } else {
            log += DroppedLine(segment);
        }
    }
    return log +
           "JPEG終了ﾍｯﾀﾞFFD9が検出できません。正常なJPEGﾌｧｲﾙでないかもしれません。"
           "上級者ｳｨｻﾞｰﾄﾞで終了ﾍｯﾀﾞを書き込むか、[JPEG QUORVEL v2.1以降]で修復して下さい。\r\n";
}
