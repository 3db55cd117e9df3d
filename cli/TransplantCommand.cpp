#include "cli/TransplantCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchArguments.h"
#include "cli/FileRecords.h"
#include "cli/JsonLine.h"
#include "cli/VerbParser.h"
#include "exif/ExifEngine.h"
#include "exif/SampleConversion.h"
#include "util/DroppedFolders.h"

namespace {

constexpr char kCommand[] = "exif transplant";

bool LoadSample(CSampleConversion& conversion, const std::string& sample) {
    const ESampleLoad loaded = conversion.LoadSample(sample);
    if (loaded != ESampleLoad::Loaded) {
        std::fprintf(stderr, "kestrin-cli: %s: %s\n", sample.c_str(),
                     SampleLoadText(loaded).c_str());
    }
    return loaded == ESampleLoad::Loaded;
}

}  // namespace

int RunTransplantCommand(const Arguments& arguments, const CSettingsStore& stored) {
    CVerbParser parser(kCommand, "[--json] --sample SAMPLE [-o key=value]... FILE...",
                       "Gives each file the Exif block of SAMPLE (a phone or camera picture)\n"
                       "with a thumbnail of its own picture; an Exif block the file already has\n"
                       "is replaced. Prints one line per file: its path and whether it was\n"
                       "converted, or why not.");
    parser.AddOption({QStringLiteral("sample")}, "the picture whose Exif block every file gets",
                     "SAMPLE");
    DeclareBatchOptions(parser, false);
    parser.AddOption({QStringLiteral("json")},
                     "print one JSON object per file on standard output, the lines on "
                     "standard error");
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const std::vector<std::string> samples = parser.Values("sample");
    if (samples.size() != 1) {
        return parser.Error("--sample takes one sample picture");
    }
    const std::string& sample = samples.front();
    const std::optional<CBatchArguments> parsed = BatchArgumentsOf(parser, stored);
    if (!parsed) {
        return kExitUsage;
    }
    if (RefusesIrregularFile(sample)) {
        return kExitFileFailed;
    }
    const CScratchFolder scratch;
    const CWorkFiles work = scratch.WorkFiles();
    CExifEngine engine(work.m_strExifInf, "");
    CSampleConversion conversion(work, engine);
    if (!LoadSample(conversion, sample)) {
        return kExitUsage;
    }
    const bool json = parser.IsSet("json");
    // With --json the records alone go to standard output, the lines to standard error.
    FILE* out = json ? stderr : stdout;
    // A folder left after the expansion held no JPEG file.
    std::vector<std::string> files;
    bool allConverted = !parsed->anyFileRefused;
    for (const std::string& path : parsed->files) {
        if (IsFolder(path)) {
            std::fputs(LogForTerminal(NoJpegFilesLine(path)).c_str(), out);
            if (json) {
                PrintJsonLine(NoJpegFilesRecord(path));
            }
            allConverted = false;
        } else {
            files.push_back(path);
        }
    }
    for (const std::string& path : conversion.Register(files)) {
        std::fprintf(stderr, "kestrin-cli: %sは登録済みです\n", path.c_str());
    }
    const auto onFile = [json, out, &allConverted](const CSampleResult& result) {
        std::fprintf(out, "%s: %s%s\n", result.path.c_str(),
                     SampleOutcomeText(result.outcome).c_str(),
                     result.reason.empty() ? "" : (": " + result.reason).c_str());
        if (json) {
            PrintJsonLine(SampleRecord(result));
        }
        allConverted = allConverted && result.outcome == ESampleOutcome::Converted;
    };
    conversion.ConvertAll(onFile);
    return allConverted ? kExitSuccess : kExitFileFailed;
}
