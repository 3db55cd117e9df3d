// The Exif embedding batch: every dropped JPEG is paired with the .exif file
// of its backup name, and the block is embedded when the result still shows
// the same picture. The result goes to the output name, or over the file
// when the setting filename is empty.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dates/FileTimes.h"
#include "exif/ExifBatchResult.h"
#include "exif/MpfIndex.h"
#include "util/BatchLog.h"
#include "util/WorkFiles.h"

class CExifEngine;
class CSettingsStore;

class CExifEmbedBatch {
public:
    CExifEmbedBatch(const CWorkFiles& work, const CSettingsStore& settings, CExifEngine& exif,
                    IEngineListener* listener = nullptr);

    // Processes the dropped paths in order, a folder as the JPEG files in it
    // (ExpandDroppedFolders), each file's result to onFile as soon as it is
    // done. Returns how many files were embedded.
    int ProcessDrop(const std::vector<std::string>& paths, const ExifFileDone& onFile = {});

    const std::string& Log() const { return m_log.Text(); }
    void ClearLog() { m_log.Clear(); }

private:
    CExifBatchResult Embed(const std::string& path);
    // The file's hex text into the work file, read once: layout gets the
    // MPF layout of the bytes read. Nothing on success, else the file's result.
    std::optional<CExifBatchResult> CopyToHexWorkFile(const std::string& path, CMpfLayout& layout);
    // Why the file cannot be embedded into; nothing when its block was found.
    std::optional<EExifBatchOutcome> FindBlock(const std::string& path, const std::string& backup);
    // times: the file's times before the batch read it, given back after an overwrite.
    CExifBatchResult WriteOutput(const std::string& path, const std::optional<CFileTimes>& times);
    // Copies the checked work copy to output. Nothing on success; else the
    // failure's text, which is logged too.
    std::optional<std::string> CopyOver(const std::string& output);

    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    CExifEngine& m_exif;
    CBatchLog m_log;
};
