#include "cli/BatchArguments.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "cli/SettingOptions.h"
#include "cli/VerbParser.h"
#include "settings/SettingsValues.h"
#include "util/DebrisSweep.h"
#include "util/DroppedFolders.h"
#include "util/FileHelpers.h"
#include "util/ProgramPlaces.h"
#include "util/TemporaryPaths.h"

namespace {

constexpr int kMaxJobs = 64;

// Writes one -o key=value into settings; why it is refused, or nothing.
std::optional<std::string> ApplyOverride(const std::string& assignment, CSettingsStore& settings,
                                         std::set<std::string>& keysGiven) {
    const size_t equals = assignment.find('=');
    const std::string key = assignment.substr(0, equals);
    const std::optional<settings::AnySetting> setting = settings::FindSetting(key);
    if (equals == std::string::npos || !setting) {
        return "-o takes key=value with a known key, not \"" + assignment + "\"";
    }
    keysGiven.insert(key);
    return settings::WriteSettingText(settings, *setting, assignment.substr(equals + 1));
}

std::optional<std::string> ApplySettings(const CVerbParser& parser, CSettingsStore& settings) {
    std::set<std::string> keysGiven;
    for (const std::string& assignment : parser.Values("o")) {
        if (std::optional<std::string> refusal = ApplyOverride(assignment, settings, keysGiven)) {
            return refusal;
        }
    }
    return ApplySettingOptions(parser, keysGiven, settings);
}

std::optional<int> ParseJobs(const std::string& text) {
    int jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
        return std::nullopt;
    }
    return jobs;
}

// Each file of a folder counts on its own, and --jobs shares them out.
void ExpandFiles(CBatchArguments& parsed, const std::vector<std::string>& given,
                 const std::string& skipFolder) {
    for (CDroppedFile& file : ExpandDroppedFoldersWithPlaces(given, skipFolder)) {
        if (RefusesIrregularFile(file.m_strPath)) {
            parsed.anyFileRefused = true;
            continue;
        }
        parsed.files.push_back(std::move(file.m_strPath));
        parsed.places.push_back(std::move(file.m_strPlace));
    }
    SweepDebrisBeside(parsed.files);
}

}  // namespace

void DeclareBatchOptions(CVerbParser& parser, bool takesJobs) {
    if (takesJobs) {
        parser.AddOption({QStringLiteral("jobs")},
                         "work on N files at once, from 1 to 64; the log still follows the order "
                         "of the files",
                         "N");
    }
    parser.AddOption({QStringLiteral("o")},
                     "change a setting for this run only (keys as `kestrin-cli settings` lists "
                     "them); may be repeated",
                     "key=value");
    parser.AddArgument("FILE", "a JPEG file, or a folder standing for the JPEG files in it");
}

std::optional<CBatchArguments> BatchArgumentsOf(const CVerbParser& parser,
                                                const CSettingsStore& stored,
                                                const std::string& skipFolder) {
    CBatchArguments parsed;
    parsed.settings = std::make_unique<COverlaySettingsStore>(stored);
    if (const std::optional<std::string> refusal = ApplySettings(parser, *parsed.settings)) {
        parser.Error(*refusal);
        return std::nullopt;
    }
    if (parser.IsSet("jobs")) {
        const std::optional<int> jobs = ParseJobs(parser.Value("jobs"));
        if (!jobs) {
            parser.Error("--jobs takes a number from 1 to 64");
            return std::nullopt;
        }
        parsed.jobs = *jobs;
    }
    ExpandFiles(parsed, parser.Positional(), skipFolder);
    return parsed;
}

CScratchFolder::CScratchFolder() {
    m_strPath = ScratchFolderPattern(std::filesystem::temp_directory_path().string());
    if (!CreateTemporaryFolder(m_strPath)) {
        throw std::runtime_error("cannot create a private folder in " +
                                 std::filesystem::temp_directory_path().string());
    }
}

CScratchFolder::~CScratchFolder() {
    RemoveTemporary(m_strPath);
}

CWorkFiles CScratchFolder::WorkFiles() const {
    return MakeWorkFiles(FindProgramPlaces().m_strListFolder, m_strPath + "/");
}

std::string LogForTerminal(const std::string& log) {
    std::string text;
    text.reserve(log.size());
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') {
            continue;
        }
        text += log[i];
    }
    return text;
}
