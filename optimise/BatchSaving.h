// Where the batch optimiser writes the results of one dropped file D: the
// removed Exif block to E (D without its last four characters, exifname,
// ".exif") and the result to O (likewise with filename and ".jpg"), or over D
// itself when filename is empty. Every write goes beside its target and is
// renamed over it, so a failed write never leaves a file half-written.
#pragma once

#include <optional>
#include <string>

#include "dates/FileTimes.h"
#include "optimise/Optimiser.h"

class CSettingsStore;

class CBatchSaving : public IBatchSaving {
public:
    // times: D's times before the batch touched it, given back after an overwrite.
    CBatchSaving(const std::string& dropped, const std::optional<CFileTimes>& times,
                 const CWorkFiles& work, const CSettingsStore& settings);

    bool SaveAfterExifRemoval(std::string& log) override;
    bool SaveOptimised(std::string& log) override;

    const std::string& OutputName() const { return m_strOutput; }
    const std::string& ExifName() const { return m_strExifBackup; }

private:
    bool SaveExifBlock(std::string& log);
    // afterExifCut: O was written by this file's own Exif step and may be replaced.
    bool SaveOutput(std::string& log, bool mayReplaceOutput);
    bool Copy(const std::string& source, const std::string& destination);

    std::string m_strDropped;
    std::optional<CFileTimes> m_times;
    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    std::string m_strOutput;
    std::string m_strExifBackup;
    bool m_bExifStepWroteOutput = false;
};
