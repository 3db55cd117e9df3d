#include "segment/SegmentList.h"

#include <algorithm>
#include <optional>
#include <string>

#include "settings/SettingsStore.h"

namespace {

const char kStartCode[] = "FFD8";
const char kEndCode[] = "FFD9";
const char kApp0Code[] = "FFE0";

std::optional<CSegmentData> FirstApp0Data(const CSegmentList& list) {
    const auto found = std::find_if(list.begin(), list.end(), [](const CJpegSegment& segment) {
        return segment.m_strCode == kApp0Code;
    });
    if (found == list.end()) {
        return std::nullopt;
    }
    return found->m_strData;
}

size_t CountCode(const CSegmentList& list, const char* code) {
    return static_cast<size_t>(
        std::count_if(list.begin(), list.end(),
                      [code](const CJpegSegment& segment) { return segment.m_strCode == code; }));
}

}  // namespace

void ClearSegments(CSegmentList& list) {
    list.clear();
}

void AppendSegmentCopy(CSegmentList& list, const CJpegSegment& segment) {
    list.push_back(segment);
}

// A list and the one it goes back to share most of a large file's pieces:
// only those between the common head and tail are copied, so a hundred
// thousand pieces are compared, not copied, for the few that differ.
void CopySegments(const CSegmentList& source, CSegmentList& destination) {
    const size_t shorter = std::min(source.size(), destination.size());
    size_t head = 0;
    while (head < shorter && source[head] == destination[head]) {
        ++head;
    }
    size_t tail = 0;
    while (tail < shorter - head &&
           source[source.size() - 1 - tail] == destination[destination.size() - 1 - tail]) {
        ++tail;
    }
    const auto sourceEnd = source.end() - static_cast<ptrdiff_t>(tail);
    const auto kept = destination.erase(destination.begin() + static_cast<ptrdiff_t>(head),
                                        destination.end() - static_cast<ptrdiff_t>(tail));
    destination.insert(kept, source.begin() + static_cast<ptrdiff_t>(head), sourceEnd);
}

bool HasEmbeddedImage(const CSegmentList& list) {
    return CountCode(list, kStartCode) == 2 && CountCode(list, kEndCode) == 2;
}

bool RemoveProprietaryImage(const CSegmentList& source, CSegmentList& destination,
                            const CSettingsStore& settings) {
    ClearSegments(destination);
    const int keepApp0 = settings.Read(settings::kFfe0);
    const std::optional<CSegmentData> app0Data =
        keepApp0 != 0 ? FirstApp0Data(source) : std::nullopt;

    auto segment = std::find_if(source.begin(), source.end(),
                                [](const CJpegSegment& s) { return s.m_strCode == kEndCode; });
    int endsSeen = 0;
    for (; segment != source.end() && endsSeen < 2; ++segment) {
        if (segment->m_strCode == kEndCode) {
            ++endsSeen;
        }
        destination.push_back(*segment);
    }
    if (endsSeen < 2) {
        return false;
    }
    // The inner end marker's segment becomes the new start marker; bytes that
    // followed the inner picture inside it go with it.
    destination.front() = CJpegSegment{kStartCode, ""};
    if (keepApp0 == 1 && app0Data) {
        destination.insert(destination.begin() + 1, CJpegSegment{kApp0Code, *app0Data});
    }
    return true;
}

int64_t SegmentBytes(const CSegmentList& list) {
    int64_t characters = 0;
    for (const CJpegSegment& segment : list) {
        characters += 4 + static_cast<int64_t>(segment.m_strData.size());
    }
    return characters / 2;
}
