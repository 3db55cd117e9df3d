// The file-date batch: gives every dropped file, of any type, one chosen moment
// as its times, then tells the file manager unless the setting expchk is on.
#pragma once

#include <string>
#include <vector>

#include "dates/FileTimes.h"

class CSettingsStore;

class CFileDateBatch {
public:
    explicit CFileDateBatch(const CSettingsStore& settings) : m_settings(settings) {}

    struct CFailure {
        std::string path;
        CTimesWritten written;
    };

    // Sets the times of every path to moment, in order, a folder standing for
    // the JPEG files in it (ExpandDroppedFolders); a file that cannot be
    // changed, or cannot hold the moment, does not stop the others. Returns
    // the files that failed, among them every folder without JPEG files.
    std::vector<CFailure> Apply(const std::vector<std::string>& paths,
                                const CFileTimes& moment) const;

private:
    const CSettingsStore& m_settings;
};
