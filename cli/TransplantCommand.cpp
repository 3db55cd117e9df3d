#include "cli/TransplantCommand.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchArguments.h"
#include "exif/ExifEngine.h"
#include "exif/SampleConversion.h"
#include "util/DroppedFolders.h"

namespace {

constexpr char kCommand[] = "exif transplant";

// Takes "--sample SAMPLE" out of arguments; nothing when it is missing or given twice.
std::optional<std::string> TakeSample(Arguments& arguments) {
    const auto option = std::find(arguments.begin(), arguments.end(), "--sample");
    if (option == arguments.end() || option + 1 == arguments.end()) {
        return std::nullopt;
    }
    std::string sample = *(option + 1);
    arguments.erase(option, option + 2);
    if (std::find(arguments.begin(), arguments.end(), "--sample") != arguments.end()) {
        return std::nullopt;
    }
    return sample;
}

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
    Arguments rest(arguments.begin() + 1, arguments.end());
    const std::optional<std::string> sample = TakeSample(rest);
    if (!sample) {
        return UsageError(std::string(kCommand) + ": --sample takes one sample picture");
    }
    const std::optional<CBatchArguments> parsed =
        ParseBatchArguments(rest, kCommand, false, stored);
    if (!parsed) {
        return kExitUsage;
    }
    if (RefusesIrregularFile(*sample)) {
        return kExitFileFailed;
    }
    const CScratchFolder scratch;
    const CWorkFiles work = scratch.WorkFiles();
    CExifEngine engine(work.m_strExifInf, "");
    CSampleConversion conversion(work, engine);
    if (!LoadSample(conversion, *sample)) {
        return kExitUsage;
    }
    // A folder left after the expansion held no JPEG file.
    std::vector<std::string> files;
    bool allConverted = !parsed->anyFileRefused;
    for (const std::string& path : parsed->files) {
        if (IsFolder(path)) {
            std::fputs(LogForTerminal(NoJpegFilesLine(path)).c_str(), stdout);
            allConverted = false;
        } else {
            files.push_back(path);
        }
    }
    for (const std::string& path : conversion.Register(files)) {
        std::fprintf(stderr, "kestrin-cli: %sは登録済みです\n", path.c_str());
    }
    for (const CSampleResult& result : conversion.ConvertAll()) {
        std::printf("%s: %s%s\n", result.path.c_str(), SampleOutcomeText(result.outcome).c_str(),
                    result.reason.empty() ? "" : (": " + result.reason).c_str());
        allConverted = allConverted && result.outcome == ESampleOutcome::Converted;
    }
    return allConverted ? kExitSuccess : kExitFileFailed;
}
