// The file-date batch: gives every dropped file, of any type, one chosen moment
// as its times, then tells the file manager unless the setting expchk is on.
#pragma once

#include <cstdint>
#include <functional>
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

    // What became of one path (a folder left after the expansion holds no
    // JPEG file and counts as NotChanged), and how long it took.
    struct CFileResult {
        std::string path;
        CTimesWritten written;
        int64_t ms = 0;
    };
    using FileDone = std::function<void(const CFileResult&)>;

    // Sets the times of every path to moment, in order, a folder standing for
    // the JPEG files in it (ExpandDroppedFolders); a file that cannot be
    // changed, or cannot hold the moment, does not stop the others. Each
    // path's result goes to onFile (when set) as soon as it is done. Returns
    // the files that failed, among them every folder without JPEG files.
    std::vector<CFailure> Apply(const std::vector<std::string>& paths, const CFileTimes& moment,
                                const FileDone& onFile = {}) const;

private:
    const CSettingsStore& m_settings;
};
