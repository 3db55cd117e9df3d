#include "tests/segment/ReferenceScanner.h"

#include <string>

namespace {

std::string ByteText(uint8_t b) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

}  // namespace

CReferenceScan ReferenceScan(const std::vector<uint8_t>& bytes, size_t cancelAtReport) {
    CReferenceScan result;
    const size_t length = bytes.size();
    size_t remaining = length;
    size_t next = 0;
    const size_t step = length / 21 > 0 ? length / 21 : 1;
    auto take = [&] {
        --remaining;
        return ByteText(bytes[next++]);
    };
    auto append = [&](const std::string& c, const std::string& d) {
        result.segments.push_back(CJpegSegment{c, d});
    };

    std::string code, data, token;
    int starts = 0, ends = 0;
    size_t passes = 0;
    while (remaining > 0) {
        token = take();
        ++passes;
        if (passes % step == 0) {
            result.percents.push_back(static_cast<int>((length - remaining) * 100 / length));
            if (result.percents.size() == cancelAtReport) {
                result.completed = false;
                return result;
            }
        }
        if (token != "FF") {
            data += token;
            token.clear();
            if (remaining == 0) {
                append(code, data);
                append("FFD9", "");
                break;
            }
            continue;
        }
        if (remaining == 0) {
            if (starts > 0) {
                append(code, data);
            }
            break;
        }
        token += take();
        if (token == "FFFF") {
            while (remaining > 0) {
                token = take();
                if (token == "FF") {
                    data += "FF";
                    continue;
                }
                token = "FF" + token;
                data += "FF";
                break;
            }
        }
        if (starts > 0) {
            append(code, data);
        }
        if (remaining == 0) {
            append(token, "");
            break;
        }
        if (token == "FFD8") {
            ++starts;
        }
        if (starts > 0 && token == "FFD9") {
            ++ends;
            if (ends == starts) {
                append(token, "");
                break;
            }
        }
        code = token;
        token.clear();
        data.clear();
    }
    return result;
}
