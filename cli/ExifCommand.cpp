#include "cli/ExifCommand.h"

#include <QJsonArray>
#include <cstdio>
#include <string>

#include "cli/BatchArguments.h"
#include "cli/JsonLine.h"
#include "cli/SettingOptions.h"
#include "cli/TransplantCommand.h"
#include "cli/VerbParser.h"
#include "exif/ExifBackupBatch.h"
#include "exif/ExifEmbedBatch.h"
#include "exif/ExifEngine.h"
#include "util/FileHelpers.h"
#include "util/ProgramPlaces.h"

namespace {

constexpr char kDictionaryFileName[] = "exif_inf.pdt";
constexpr char kNoExifMessage[] = "Exif情報は検出されません";

struct CExifShowOptions {
    bool json = false;
    std::string file;
};

// One line per entry that received a value: tag, name and value, tab-separated.
void PrintLines(const CTagDictionary& dictionary) {
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        if (!entry.m_strData.empty()) {
            std::printf("%s\t%s\t%s\n", entry.m_strTag.c_str(), entry.m_strName.c_str(),
                        entry.m_strData.c_str());
        }
    }
}

void PrintJson(const std::string& file, EExifResult result, const CTagDictionary& dictionary) {
    QJsonArray tags;
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        if (!entry.m_strData.empty()) {
            tags.append(QJsonObject{{"tag", JsonText(entry.m_strTag)},
                                    {"name", JsonText(entry.m_strName)},
                                    {"detail", JsonText(entry.m_strDetail)},
                                    {"data", JsonText(entry.m_strData)}});
        }
    }
    PrintJsonLine(QJsonObject{
        {"file", JsonFileName(file)}, {"result", static_cast<int>(result)}, {"tags", tags}});
}

int RunShow(const Arguments& arguments) {
    CVerbParser parser("exif show", "[--json] FILE",
                       "Prints the decoded Exif values of a file, one per line: tag, name and "
                       "value,\nseparated by tabs.");
    parser.AddOption({QStringLiteral("json")}, "print one JSON object on one line");
    parser.AddArgument("FILE", "a JPEG file, or a bare TIFF structure");
    parser.ExpectArguments(1, 1);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    CExifShowOptions options{parser.IsSet("json"), parser.Positional().front()};
    if (RefusesIrregularFile(options.file)) {
        return kExitFileFailed;
    }
    CExifEngine engine(FindProgramPlaces().m_strListFolder + kDictionaryFileName, "");
    const EExifResult result = engine.ProbeExifFile(options.file);
    if (result == EExifResult::FileNotOpened) {
        std::fprintf(stderr, "kestrin-cli: cannot read %s\n", options.file.c_str());
    } else if (result != EExifResult::Done) {
        std::fprintf(stderr, "kestrin-cli: %s: %s\n", options.file.c_str(), kNoExifMessage);
    }
    if (options.json) {
        PrintJson(options.file, result, engine.Dictionary());
    } else {
        PrintLines(engine.Dictionary());
    }
    return result == EExifResult::Done ? kExitSuccess : kExitFileFailed;
}

// The backup and embedding batches over the given files, their log on
// standard output. Success when every file got its backup or its block.
int RunBatch(const std::string& action, const Arguments& arguments, const CSettingsStore& stored) {
    const bool backup = action == "backup";
    CVerbParser parser("exif " + action, "[options] FILE...",
                       backup ? "Saves the Exif block of each file as a .exif file beside it "
                                "(named after the\nsetting exifname)."
                              : "Puts each file's saved .exif block back into it.");
    DeclareBatchOptions(parser, false);
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
    int done = 0;
    std::string log;
    if (backup) {
        CExifBackupBatch batch(work, *parsed->settings, engine);
        done = batch.ProcessDrop(parsed->files);
        log = batch.Log();
    } else {
        CExifEmbedBatch batch(work, *parsed->settings, engine);
        done = batch.ProcessDrop(parsed->files);
        log = batch.Log();
    }
    std::fputs(LogForTerminal(log).c_str(), stdout);
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
