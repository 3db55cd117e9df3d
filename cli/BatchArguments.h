// The arguments the batch commands share: [--jobs N] [-o key=value]... FILE...
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "settings/OverlaySettingsStore.h"
#include "util/WorkFiles.h"

struct CBatchArguments {
    int jobs = 1;
    // The files given, every folder already replaced by the JPEG files in it;
    // without the ones refused as no regular file.
    std::vector<std::string> files;
    bool anyFileRefused = false;
    // The stored settings with this run's overrides on top.
    std::unique_ptr<COverlaySettingsStore> settings;
};

// Nothing after a usage error, which has then been reported.
std::optional<CBatchArguments> ParseBatchArguments(const Arguments& arguments,
                                                   const std::string& command, bool allowJobs,
                                                   const CSettingsStore& stored);

// A private folder for one worker's scratch files, removed with them, also
// when a signal ends the program (it is recorded as temporary).
class CScratchFolder {
public:
    CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    ~CScratchFolder();

    // The list files from the program's folder, the scratch files in this one.
    CWorkFiles WorkFiles() const;

private:
    std::string m_strPath;
};

// A log as the command line prints it: "\r\n" line ends become "\n".
std::string LogForTerminal(const std::string& log);
