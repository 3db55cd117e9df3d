#include "cli/SegmentsCommand.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "cli/BatchArguments.h"
#include "cli/JsonLine.h"
#include "cli/VerbParser.h"
#include "segment/HedThread.h"
#include "segment/SegmentScanner.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"
#include "util/MappedFile.h"
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

QByteArray CompactJson(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void Print(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
}

// Prints the segments of a file as the scan hands them on, none of them kept:
// a large picture has millions. The JSON form is the one object that
// QJsonDocument makes of the whole list, written in pieces: its keys come
// in order, so the status, known at the end, comes last.
class CSegmentPrinter {
public:
    CSegmentPrinter(const CSegmentsOptions& options, int64_t length)
        : m_options(options), m_nLength(length) {}

    // Only a list that starts with the start marker is printed.
    void Take(const CJpegSegment& segment) {
        if (!m_bFirstSeen) {
            m_bFirstSeen = true;
            m_bPrinting = segment.m_strCode == "FFD8";
            if (m_bPrinting && m_options.json) {
                QByteArray head = CompactJson(QJsonObject{{"file", JsonFileName(m_options.file)},
                                                          {"length", qint64{m_nLength}}});
                head.chop(1);
                Print(head + ",\"segments\":[");
            }
        }
        if (!m_bPrinting) {
            return;
        }
        const std::string text = HexToDisplayText(segment.m_strData);
        if (m_options.json) {
            Print((m_bAnyPrinted ? "," : "") +
                  CompactJson(QJsonObject{{"code", JsonText(segment.m_strCode)},
                                          {"size", static_cast<qint64>(SegmentSize(segment))},
                                          {"text", JsonText(text)}}));
        } else {
            std::printf("%s\t%lld\t%s\n", segment.m_strCode.c_str(),
                        static_cast<long long>(SegmentSize(segment)), text.c_str());
        }
        m_bAnyPrinted = true;
    }

    // False when the scan gave no list that starts with the start marker:
    // nothing was printed.
    bool Finish() {
        if (m_bPrinting && m_options.json) {
            const QByteArray status =
                CompactJson(QJsonObject{{"status", static_cast<int>(EHedStatus::Finished)}});
            Print("]," + status.mid(1) + "\n");
        }
        std::fflush(stdout);
        return m_bPrinting;
    }

private:
    const CSegmentsOptions& m_options;
    int64_t m_nLength;
    bool m_bFirstSeen = false;
    bool m_bPrinting = false;
    bool m_bAnyPrinted = false;
};

// Why the scan of the file cannot start, or nothing when it can: a file
// longer than a scan record holds counts as unreadable, as in the window.
const char* LengthProblem(const std::optional<uint64_t>& length) {
    if (!length || *length > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        return "cannot be read";
    }
    return *length == 0 ? "the file is empty" : nullptr;
}

int Failed(const std::string& file, const char* problem) {
    std::fprintf(stderr, "kestrin-cli: %s: %s\n", file.c_str(), problem);
    return kExitFileFailed;
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
    // The file is scanned from a copy of ours, mapped: a mapping of a file
    // that someone else shortened meanwhile would fail on access.
    CScratchFolder scratch;
    const std::string copy = scratch.WorkFiles().m_strTempData;
    if (const char* problem = LengthProblem(FileLength(options.file))) {
        return Failed(options.file, problem);
    }
    if (!CopyFileBlocks(options.file, copy)) {
        return Failed(options.file, "cannot be read");
    }
    const std::shared_ptr<const CMappedFile> mapped = CMappedFile::Open(copy);
    if (const char* problem = LengthProblem(mapped->size())) {
        return Failed(options.file, problem);
    }
    CSegmentPrinter printer(options, static_cast<int64_t>(mapped->size()));
    CSegmentScanner scanner(mapped, nullptr);
    scanner.HandEachSegment([&printer](const CJpegSegment& segment) { printer.Take(segment); });
    scanner.Run();
    if (!printer.Finish()) {
        return Failed(options.file,
                      "not a JPEG file: it does not start with the start-of-image marker FF D8");
    }
    return kExitSuccess;
}
