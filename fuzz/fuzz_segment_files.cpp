// The conversions of a segment list: into its hex work file, from there into
// the binary work copy, and straight into bytes in memory, which must agree
// with the files' way whatever the texts hold; the binary file read back as
// hex; and the removal of a nested picture. The list is either the scan of
// the input's bytes, which must be a piece of that file (closed if cut short), or made of texts the
// input spells, now and then with characters that are not hex.
//
// Input: a flags byte (scan the rest, keep APP0), then the file or the list.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "hexcodec/Cipher.h"
#include "segment/HedThread.h"
#include "segment/SegmentFiles.h"
#include "settings/MemorySettingsStore.h"

namespace {

enum EFlag : uint8_t { kScan = 1, kKeepApp0 = 2 };

struct CSegmentFiles {
    CFuzzFolder folder;
    std::string hex = folder.File("list.pdt");
    std::string binary = folder.File("list.jpg");
};

// Mostly upper-case hex digits, sometimes one of the characters a damaged
// work file could hold instead.
std::string SpelledText(const ByteVector& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    static const char kOthers[] = "abcdefGZ \n-+xX_/";
    std::string text;
    for (const uint8_t byte : bytes) {
        text += byte < 0xF0 ? kDigits[byte % 16] : kOthers[byte - 0xF0];
    }
    return text;
}

CSegmentList SpelledList(CFuzzReader& input) {
    CSegmentList list;
    while (!input.Empty()) {
        const uint8_t lengths = input.Byte();
        std::string code = SpelledText(input.Bytes(lengths & 7));
        std::string text = SpelledText(input.Bytes(static_cast<size_t>(lengths >> 3) * 9));
        list.push_back(CJpegSegment{std::move(code), std::move(text)});
    }
    return list;
}

ByteVector Concatenated(ByteVector front, const ByteVector& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

std::string AllTexts(const CSegmentList& list) {
    std::string text;
    for (const CJpegSegment& segment : list) {
        text += segment.m_strCode + segment.m_strData;
    }
    return text;
}

void CheckFileConversions(const CSegmentFiles& files, const CSegmentList& list) {
    const std::string text = AllTexts(list);
    Require(WriteSegmentsHex(list, files.hex) == static_cast<int64_t>(text.size()));
    const std::optional<ByteVector> bytes = SegmentsToBytes(list);
    Require(HexFileToBinary(files.hex, files.binary) == bytes.has_value());
    if (!bytes) {
        return;
    }
    Require(ReadFileBytes(files.binary) == bytes);
    std::string hex;
    Require(BinaryFileToHex(files.binary, hex));
    Require(hex == text.substr(0, text.size() - text.size() % 2));
}

// Done exactly when a second end marker is there; the result then starts
// with a fresh start marker and ends where the source's second picture does.
void CheckProprietaryRemoval(const CSegmentList& list, bool keepApp0) {
    CMemorySettingsStore settings;
    settings.Write(settings::kFfe0, keepApp0 ? 1 : 0);
    CSegmentList result;
    const bool done = RemoveProprietaryImage(list, result, settings);
    const auto ends = std::count_if(list.begin(), list.end(),
                                    [](const CJpegSegment& s) { return s.m_strCode == "FFD9"; });
    Require(done == (ends >= 2));
    if (done) {
        Require(result.front() == (CJpegSegment{"FFD8", ""}));
        Require(result.back().m_strCode == "FFD9");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSegmentFiles files;
    CFuzzReader input(data, size);
    const uint8_t flags = input.Byte();
    CSegmentList list;
    if ((flags & kScan) != 0) {
        const ByteVector file = input.Rest();
        CHedThread record;
        ScanJpegBytes(record, file.data(), file.size());
        list = std::move(record.m_Obj);
        // The scan drops what lies around the picture, nothing inside it, and
        // closes a file that ends inside data with an end marker.
        const std::optional<ByteVector> scanned = SegmentsToBytes(list);
        const ByteVector closed = Concatenated(file, {0xFF, 0xD9});
        Require(scanned && std::search(closed.begin(), closed.end(), scanned->begin(),
                                       scanned->end()) != closed.end());
    } else {
        list = SpelledList(input);
    }
    CheckFileConversions(files, list);
    CheckProprietaryRemoval(list, (flags & kKeepApp0) != 0);
    return 0;
}
