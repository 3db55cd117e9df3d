#include "cli/ExifCommand.h"

#include <QJsonArray>
#include <cstdio>
#include <string>

#include "cli/BatchArguments.h"
#include "cli/FileRecords.h"
#include "cli/JsonLine.h"
#include "cli/ReadableExifOutput.h"
#include "cli/SettingOptions.h"
#include "cli/TransplantCommand.h"
#include "cli/VerbParser.h"
#include "exif/ExifBackupBatch.h"
#include "exif/ExifEmbedBatch.h"
#include "exif/ExifEngine.h"
#include "exif/ReadableExif.h"
#include "segment/JpegHead.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"
#include "util/ProgramPlaces.h"

namespace {

constexpr char kDictionaryFileName[] = "exif_inf.pdt";
constexpr char kNoExifMessage[] = "Exif情報は検出されません";

struct CExifShowOptions {
    bool json = false;
    bool display = false;
    std::string file;
};

// The window's texts: one line per dictionary entry that received a value,
// tag, name and value, tab-separated.
void PrintLines(const CTagDictionary& dictionary) {
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        if (!entry.m_strData.empty()) {
            std::printf("%s\t%s\t%s\n", entry.m_strTag.c_str(), entry.m_strName.c_str(),
                        entry.m_strData.c_str());
        }
    }
}

QJsonArray DisplayJsonTags(const CTagDictionary& dictionary) {
    QJsonArray tags;
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        if (!entry.m_strData.empty()) {
            tags.append(QJsonObject{{"tag", JsonText(entry.m_strTag)},
                                    {"name", JsonText(entry.m_strName)},
                                    {"detail", JsonText(entry.m_strDetail)},
                                    {"data", JsonText(entry.m_strData)}});
        }
    }
    return tags;
}

void PrintShowJson(const std::string& file, EExifResult result, const QJsonArray& tags) {
    PrintJsonLine(QJsonObject{
        {"file", JsonFileName(file)}, {"result", static_cast<int>(result)}, {"tags", tags}});
}

// The readable values; the result as the window's probe gives it.
EExifResult ShowReadable(const CExifShowOptions& options, const CTagDictionary& dictionary) {
    const std::optional<ByteVector> file = ReadJpegHead(options.file);
    const std::optional<std::vector<CReadableExifEntry>> entries =
        file ? ReadExifOfFile(*file) : std::nullopt;
    const EExifResult result = !file     ? EExifResult::FileNotOpened
                               : entries ? EExifResult::Done
                                         : EExifResult::NotFound;
    const std::vector<CReadableExifEntry> shown =
        entries.value_or(std::vector<CReadableExifEntry>{});
    if (options.json) {
        PrintShowJson(options.file, result, ReadableJsonTags(shown, dictionary));
    } else {
        PrintReadableLines(shown, dictionary);
    }
    return result;
}

EExifResult ShowDisplay(const CExifShowOptions& options, CExifEngine& engine) {
    const EExifResult result = engine.ProbeExifFile(options.file);
    if (options.json) {
        PrintShowJson(options.file, result, DisplayJsonTags(engine.Dictionary()));
    } else {
        PrintLines(engine.Dictionary());
    }
    return result;
}

int RunShow(const Arguments& arguments) {
    CVerbParser parser("exif show", "[--display] [--json] FILE",
                       "Prints the Exif values of a file, one per line in the order of the "
                       "file: tag,\nname and value, separated by tabs.");
    parser.AddOption({QStringLiteral("json")}, "print one JSON object on one line");
    parser.AddOption({QStringLiteral("display")},
                     "print the texts of the window's Exif display instead");
    parser.AddArgument("FILE", "a JPEG file, or a bare TIFF structure");
    parser.ExpectArguments(1, 1);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const CExifShowOptions options{parser.IsSet("json"), parser.IsSet("display"),
                                   parser.Positional().front()};
    if (RefusesIrregularFile(options.file)) {
        return kExitFileFailed;
    }
    CExifEngine engine(FindProgramPlaces().m_strListFolder + kDictionaryFileName, "");
    const EExifResult result =
        options.display ? ShowDisplay(options, engine) : ShowReadable(options, engine.Dictionary());
    if (result == EExifResult::FileNotOpened) {
        std::fprintf(stderr, "kestrin-cli: cannot read %s\n", options.file.c_str());
    } else if (result != EExifResult::Done) {
        std::fprintf(stderr, "kestrin-cli: %s: %s\n", options.file.c_str(), kNoExifMessage);
    }
    return result == EExifResult::Done ? kExitSuccess : kExitFileFailed;
}

// With --json, prints each file's log so far and then its record as the
// batch finishes it; without, nothing (the whole log is printed at the end).
template <typename Batch>
ExifFileDone RecordPrinter(bool json, Batch& batch, FILE* logStream, const char* writtenKey) {
    if (!json) {
        return {};
    }
    return [&batch, logStream, writtenKey](const CExifBatchResult& result) {
        std::fputs(LogForTerminal(batch.Log()).c_str(), logStream);
        batch.ClearLog();
        PrintJsonLine(ExifBatchRecord(result, writtenKey));
    };
}

// The backup and embedding batches over the given files, their log on
// standard output (standard error with --json). Success when every file got
// its backup or its block.
int RunBatch(const std::string& action, const Arguments& arguments, const CSettingsStore& stored) {
    const bool backup = action == "backup";
    CVerbParser parser("exif " + action, "[options] FILE...",
                       backup ? "Saves the Exif block of each file as a .exif file beside it "
                                "(named after the\nsetting exifname)."
                              : "Puts each file's saved .exif block back into it.");
    DeclareBatchOptions(parser, false);
    parser.AddOption({QStringLiteral("json")},
                     "print one JSON object per file on standard output, the log on standard "
                     "error");
    if (!backup) {
        DeclareSettingOptions(parser, {"in-place", "suffix"});
    }
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const std::optional<CBatchArguments> parsed = BatchArgumentsOf(parser, stored);
    if (!parsed) {
        return kExitUsage;
    }
    const CScratchFolder scratch;
    const CWorkFiles work = scratch.WorkFiles();
    CExifEngine engine(work.m_strExifInf, "");
    const bool json = parser.IsSet("json");
    // With --json the records alone go to standard output, the log to standard error.
    FILE* logStream = json ? stderr : stdout;
    int done = 0;
    if (backup) {
        CExifBackupBatch batch(work, *parsed->settings, engine);
        done =
            batch.ProcessDrop(parsed->files, RecordPrinter(json, batch, logStream, "exif_backup"));
        std::fputs(LogForTerminal(batch.Log()).c_str(), logStream);
    } else {
        CExifEmbedBatch batch(work, *parsed->settings, engine);
        done = batch.ProcessDrop(parsed->files, RecordPrinter(json, batch, logStream, "output"));
        std::fputs(LogForTerminal(batch.Log()).c_str(), logStream);
    }
    const bool allDone = static_cast<size_t>(done) == parsed->files.size();
    return allDone && !parsed->anyFileRefused ? kExitSuccess : kExitFileFailed;
}

}  // namespace

int RunExifCommand(const Arguments& arguments, const CSettingsStore& stored) {
    CVerbParser parser("exif", "show|backup|embed|transplant [options] ...",
                       "Works on the Exif blocks of JPEG files; kestrin-cli exif ACTION --help "
                       "tells more.");
    parser.AddArgument("show", "print the decoded Exif values of a file");
    parser.AddArgument("backup", "save the Exif block of each file as a .exif file");
    parser.AddArgument("embed", "put each file's saved .exif block back");
    parser.AddArgument("transplant", "give each file the Exif block of a sample picture");
    parser.ExpectArguments(0, CVerbParser::kAnyNumber);
    parser.StopOptionsAtFirstArgument();
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    if (parser.Positional().empty()) {
        return parser.Error("no action given");
    }
    const std::string& action = parser.Positional().front();
    const Arguments rest(parser.Positional().begin() + 1, parser.Positional().end());
    if (action == "show") {
        return RunShow(rest);
    }
    if (action == "backup" || action == "embed") {
        return RunBatch(action, rest, stored);
    }
    if (action == "transplant") {
        return RunTransplantCommand(rest, stored);
    }
    return parser.Error("unknown action " + action);
}
