// The arguments the batch commands share: [--jobs N] [-o key=value]...
// [named setting options] FILE...
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
    // Where each file lies below the parent of what was given (see
    // ExpandDroppedFoldersWithPlaces).
    std::vector<std::string> places;
    bool anyFileRefused = false;
    // The stored settings with this run's overrides on top.
    std::unique_ptr<COverlaySettingsStore> settings;
};

class CVerbParser;

// Declares -o key=value, --jobs N when takesJobs, and the FILE... arguments.
void DeclareBatchOptions(CVerbParser& parser, bool takesJobs);

// The batch arguments of a parsed command line: -o and the named setting
// options over the stored settings, the files expanded (the folder
// skipFolder, when given, is not entered). Nothing after a usage error,
// which has then been reported.
std::optional<CBatchArguments> BatchArgumentsOf(const CVerbParser& parser,
                                                const CSettingsStore& stored,
                                                const std::string& skipFolder = "");

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
