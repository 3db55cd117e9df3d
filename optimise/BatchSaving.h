// Where the batch optimiser writes the results of one dropped file D: the
// removed Exif block to E (D without its last four characters, exifname,
// ".exif") and the result to O (likewise with filename and ".jpg"), or over D
// itself when filename is empty. Every write goes beside its target and is
// renamed over it, so a failed write never leaves a file half-written. The
// Exif-free work copy and the cut block come from memory, where the batch
// holds them (the same bytes as its work files); the optimised result is
// copied from the file the optimiser wrote it to. The driver's rule
// may name results after another path than D (a mirror of D's folders under
// an output folder, D itself untouched), or forbid every write (a dry run).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "dates/FileTimes.h"
#include "optimise/Optimiser.h"
#include "util/SafeReplace.h"

class CSettingsStore;

// Where and whether the saving writes, as the driver decides for each file.
struct CSavingRule {
    // Decide, check and report as usual, but write nothing.
    bool m_bDryRun = false;
    // The path results are named after and written in place of D; its folders
    // are made as needed. Empty: D itself.
    std::string m_strOutputBase;
    // A message the saving would show goes into the log instead.
    bool m_bMessagesInLog = false;
};

class CBatchSaving : public IBatchSaving {
public:
    // times: D's times before the batch touched it, given back after an
    // overwrite. workCopy: the file of the Exif-free copy, saved when the
    // optimised result is not. exifBlock must outlive the saving.
    CBatchSaving(const std::string& dropped, const std::optional<CFileTimes>& times,
                 const std::string& workCopy, const ByteVector& exifBlock,
                 const CSettingsStore& settings, const CSavingRule& rule = {});

    // True when SaveAfterExifRemoval would stop without writing anything
    // because of files that exist now: a backup or an output it may not replace.
    bool StopsAfterExifRemoval() const;
    bool SaveAfterExifRemoval(const std::string* optimisedFile, std::string& log) override;
    // After the optimised result in resultFile was checked; it is copied
    // into place, never held whole. False when saving stopped.
    bool SaveOptimised(const std::string& resultFile, std::string& log);

    const std::string& OutputName() const { return m_strOutput; }
    const std::string& ExifName() const { return m_strExifBackup; }

    // The result written (in a dry run: that would be written) and its size;
    // an empty path when none was.
    const std::string& WrittenOutput() const { return m_strWrittenOutput; }
    int64_t WrittenBytes() const { return m_nWrittenBytes; }
    // The Exif backup written (or that would be), or the empty text.
    std::string WrittenExifBackup() const;
    // Why the last save stopped, in English; empty while none did.
    const std::string& StopReason() const { return m_strStopReason; }
    // The stop was a file that the settings do not let the saving replace.
    bool StoppedByExistingFile() const { return m_bStoppedByExistingFile; }

private:
    bool SaveExifBlock(std::string& log);
    // After the result could not be written: the backup this file wrote goes
    // again, or gives way to the user's earlier one, so that a retry is not
    // stopped by a backup of a file that was never saved.
    void UndoExifBlock(std::string& log);
    // mayReplaceOutput: O was written by this file's own Exif step.
    // resultFile: the file to save, or nothing for the work copy.
    bool SaveOutput(std::string& log, bool mayReplaceOutput, const std::string* resultFile);
    bool Write(const ByteVector& content, const std::string& destination, std::string& log);
    bool Copy(const std::string& file, const std::string& destination, std::string& log);
    // Runs write unless in a dry run; a failed write shows the copy-failed
    // message and logs its reason.
    bool WriteBy(const std::function<CWriteOutcome()>& write, const std::string& destination,
                 std::string& log);
    bool Reported(const CWriteOutcome& outcome, std::string& log);
    std::string SavedLine() const;
    void Stop(const std::string& reason, bool existingFile);
    // The file the result replaces when the setting filename is empty.
    const std::string& OverwriteTarget() const;

    std::string m_strDropped;
    std::optional<CFileTimes> m_times;
    std::string m_strWorkCopy;
    const ByteVector& m_exifBlock;
    const CSettingsStore& m_settings;
    CSavingRule m_rule;
    std::string m_strOutput;
    std::string m_strExifBackup;
    bool m_bExifBlockWritten = false;
    // What the backup held before this file replaced it, when it existed.
    std::optional<ByteVector> m_earlierExifBlock;
    bool m_bExifStepWroteOutput = false;
    // The Exif step already saved the optimised bytes as the result.
    bool m_bOutputHoldsOptimised = false;
    std::string m_strWrittenOutput;
    int64_t m_nWrittenBytes = 0;
    std::string m_strStopReason;
    bool m_bStoppedByExistingFile = false;
};
