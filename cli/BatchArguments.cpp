#include "cli/BatchArguments.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "settings/SettingsValues.h"
#include "util/DebrisSweep.h"
#include "util/DroppedFolders.h"
#include "util/FileHelpers.h"
#include "util/ProgramPlaces.h"
#include "util/TemporaryPaths.h"

namespace {

constexpr int kMaxJobs = 64;

bool ApplyOverride(const std::string& assignment, CSettingsStore& settings,
                   const std::string& command) {
    const size_t equals = assignment.find('=');
    const std::string key = assignment.substr(0, equals);
    const std::optional<settings::AnySetting> setting = settings::FindSetting(key);
    if (equals == std::string::npos || !setting) {
        UsageError(command + ": -o takes key=value with a known key, not \"" + assignment + "\"");
        return false;
    }
    const std::optional<std::string> refusal =
        settings::WriteSettingText(settings, *setting, assignment.substr(equals + 1));
    if (refusal) {
        UsageError(command + ": " + *refusal);
        return false;
    }
    return true;
}

std::optional<int> ParseJobs(const std::string& text) {
    int jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
        return std::nullopt;
    }
    return jobs;
}

}  // namespace

std::optional<CBatchArguments> ParseBatchArguments(const Arguments& arguments,
                                                   const std::string& command, bool allowJobs,
                                                   const CSettingsStore& stored) {
    CBatchArguments parsed;
    parsed.settings = std::make_unique<COverlaySettingsStore>(stored);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "-o" && hasValue) {
            if (!ApplyOverride(arguments[++i], *parsed.settings, command)) {
                return std::nullopt;
            }
        } else if (argument == "--jobs" && allowJobs && hasValue) {
            const std::optional<int> jobs = ParseJobs(arguments[++i]);
            if (!jobs) {
                UsageError(command + ": --jobs takes a number from 1 to 64");
                return std::nullopt;
            }
            parsed.jobs = *jobs;
        } else if (argument.starts_with("-")) {
            UsageError(command + ": unexpected argument " + argument);
            return std::nullopt;
        } else {
            parsed.files.push_back(argument);
        }
    }
    if (parsed.files.empty()) {
        UsageError(command + ": no file given");
        return std::nullopt;
    }
    // Each file of a folder counts on its own, and --jobs shares them out.
    parsed.files = ExpandDroppedFolders(parsed.files);
    const auto refused =
        std::remove_if(parsed.files.begin(), parsed.files.end(),
                       [](const std::string& file) { return RefusesIrregularFile(file); });
    parsed.anyFileRefused = refused != parsed.files.end();
    parsed.files.erase(refused, parsed.files.end());
    SweepDebrisBeside(parsed.files);
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
