#include "cli/ExifCommand.h"

#include <cstdio>
#include <string>

#include "cli/BatchArguments.h"
#include "cli/JsonText.h"
#include "cli/TransplantCommand.h"
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
    std::string out = "{\"file\": " + JsonQuoted(file) +
                      ", \"result\": " + std::to_string(static_cast<int>(result)) + ", \"tags\": [";
    const char* separator = "";
    for (const CExifTagEntry& entry : dictionary.Entries()) {
        if (entry.m_strData.empty()) {
            continue;
        }
        out += separator;
        out += "{\"tag\": " + JsonQuoted(entry.m_strTag) +
               ", \"name\": " + JsonQuoted(entry.m_strName) +
               ", \"detail\": " + JsonQuoted(entry.m_strDetail) +
               ", \"data\": " + JsonQuoted(entry.m_strData) + "}";
        separator = ", ";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

int RunShow(const Arguments& arguments) {
    CExifShowOptions options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--json") {
            options.json = true;
        } else if (arguments[i].starts_with("-") || !options.file.empty()) {
            return UsageError("exif show: unexpected argument " + arguments[i]);
        } else {
            options.file = arguments[i];
        }
    }
    if (options.file.empty()) {
        return UsageError("exif show: no file given");
    }
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
int RunBatch(const Arguments& arguments, const CSettingsStore& stored) {
    const std::string command = "exif " + arguments[0];
    const std::optional<CBatchArguments> parsed = ParseBatchArguments(
        Arguments(arguments.begin() + 1, arguments.end()), command, false, stored);
    if (!parsed) {
        return kExitUsage;
    }
    const CScratchFolder scratch;
    const CWorkFiles work = scratch.WorkFiles();
    CExifEngine engine(work.m_strExifInf, "");
    int done = 0;
    std::string log;
    if (arguments[0] == "backup") {
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
    if (arguments.empty()) {
        return UsageError("exif: no action given");
    }
    if (arguments[0] == "show") {
        return RunShow(arguments);
    }
    if (arguments[0] == "backup" || arguments[0] == "embed") {
        return RunBatch(arguments, stored);
    }
    if (arguments[0] == "transplant") {
        return RunTransplantCommand(arguments, stored);
    }
    return UsageError("exif: unknown action " + arguments[0]);
}
