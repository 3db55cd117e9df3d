#include "cli/SegmentsCommand.h"

#include <QJsonArray>
#include <cstdio>
#include <string>

#include "cli/JsonLine.h"
#include "cli/VerbParser.h"
#include "segment/HedThread.h"
#include "util/TextHelpers.h"

namespace {

struct CSegmentsOptions {
    bool json = false;
    std::string file;
};

// Bytes the segment occupies in the file: two marker bytes and its data.
int64_t SegmentSize(const CJpegSegment& segment) {
    return (static_cast<int64_t>(segment.m_strData.size()) + 4) / 2;
}

void PrintLines(const CHedThread& record) {
    for (const CJpegSegment& segment : record.m_Obj) {
        std::printf("%s\t%lld\t%s\n", segment.m_strCode.c_str(),
                    static_cast<long long>(SegmentSize(segment)),
                    HexToDisplayText(segment.m_strData).c_str());
    }
}

void PrintJson(const CHedThread& record) {
    QJsonArray segments;
    for (const CJpegSegment& segment : record.m_Obj) {
        segments.append(QJsonObject{{"code", JsonText(segment.m_strCode)},
                                    {"size", static_cast<qint64>(SegmentSize(segment))},
                                    {"text", JsonText(HexToDisplayText(segment.m_strData))}});
    }
    PrintJsonLine(QJsonObject{{"file", JsonFileName(record.m_strFileName)},
                              {"length", static_cast<qint64>(record.m_nThreadSize)},
                              {"status", static_cast<int>(record.m_nStatus)},
                              {"segments", segments}});
}

// Why the scan of a file lists no JPEG segments, or nothing when it does.
const char* ProblemOf(const CHedThread& record) {
    if (record.m_nStatus == EHedStatus::Cancelled) {
        return "cannot be read";
    }
    if (record.m_nStatus == EHedStatus::EmptyFile) {
        return "the file is empty";
    }
    if (record.m_Obj.empty() || record.m_Obj.front().m_strCode != "FFD8") {
        return "not a JPEG file: it does not start with the start-of-image marker FF D8";
    }
    return nullptr;
}

}  // namespace

int RunSegmentsCommand(const Arguments& arguments) {
    CVerbParser parser("segments", "[--json] FILE",
                       "Lists the marker segments of a JPEG file as the scanner finds them, one "
                       "per line:\nmarker, size in bytes and the printable form of its data, "
                       "separated by tabs.");
    parser.AddOption({QStringLiteral("json")}, "print one JSON object on one line");
    parser.AddArgument("FILE", "a JPEG file");
    parser.ExpectArguments(1, 1);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const CSegmentsOptions options{parser.IsSet("json"), parser.Positional().front()};
    if (RefusesIrregularFile(options.file)) {
        return kExitFileFailed;
    }
    CHedThread record;
    record.m_strFileName = options.file;
    ScanJpegHeaders(record);
    if (const char* problem = ProblemOf(record)) {
        std::fprintf(stderr, "kestrin-cli: %s: %s\n", options.file.c_str(), problem);
        return kExitFileFailed;
    }
    if (options.json) {
        PrintJson(record);
    } else {
        PrintLines(record);
    }
    return kExitSuccess;
}
