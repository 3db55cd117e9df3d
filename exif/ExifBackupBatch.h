// The Exif backup batch: saves the Exif block of every dropped JPEG as a
// .exif file beside it. The JPEG files are only read; the block is cut from a
// work copy.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "exif/ExifBatchResult.h"
#include "util/BatchLog.h"
#include "util/WorkFiles.h"

class CExifEngine;
class CSettingsStore;

class CExifBackupBatch {
public:
    CExifBackupBatch(const CWorkFiles& work, const CSettingsStore& settings, CExifEngine& exif,
                     IEngineListener* listener = nullptr);

    // Processes the dropped paths in order, a folder as the JPEG files in it
    // (ExpandDroppedFolders); every message goes to the log, and each file's
    // result to onFile as soon as it is done. Returns how many backups were
    // written.
    int ProcessDrop(const std::vector<std::string>& paths, const ExifFileDone& onFile = {});

    const std::string& Log() const { return m_log.Text(); }
    void ClearLog() { m_log.Clear(); }

private:
    CExifBatchResult BackUp(const std::string& path);
    // Copies path over the work copy; nothing when it was copied, otherwise
    // the file's result.
    std::optional<CExifBatchResult> CopyToWorkCopy(const std::string& path);

    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    CExifEngine& m_exif;
    CBatchLog m_log;
};
