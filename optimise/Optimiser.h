// The optimisation of one file: after its Exif block was cut out of the work
// copy and its segments were scanned, removes what the picture does not need
// and proves by decoding that the picture is unchanged. Both owners use it,
// the wizard and the batch optimiser; they differ in a few log texts and in
// the batch's saving of results (CBatchSaving).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "segment/HedThread.h"
#include "util/WorkFiles.h"

class CSettingsStore;
struct CPackedPicture;

enum class EOptimiseForm { Wizard, Batch };

// What OptimiseWorkFile found.
enum class EOptimiseResult {
    // The scan held nothing to remove; the work copy is unchanged.
    NothingToRemove,
    // The work copy is smaller and shows the same picture (and the batch saved it).
    Verified,
    // The smaller work copy does not show the same picture; nothing is saved.
    VerificationFailed,
    // The batch could not save the verified result.
    SaveStopped,
};

// The batch's saving rules, called at the two points where the batch writes.
class IBatchSaving {
public:
    virtual ~IBatchSaving() = default;
    // After the Exif block was removed and the work copy verified: the .exif
    // backup and the Exif-free result. False stops the work on this file.
    virtual bool SaveAfterExifRemoval(std::string& log) = 0;
    // After the optimised work copy was verified. False when saving stopped.
    virtual bool SaveOptimised(std::string& log) = 0;
};

class COptimiser {
public:
    COptimiser(EOptimiseForm form, const CWorkFiles& work, const CSettingsStore& settings,
               const std::vector<std::string>& keptCodes);

    // The unchanged picture every verification compares against.
    void SetReference(const CPackedPicture* reference) { m_pReference = reference; }
    // Batch form only: where results are saved.
    void SetSaving(IBatchSaving* saving) { m_pSaving = saving; }

    // Logs the Exif removal under name and verifies the work copy. Mode 0: the
    // block was removed; mode 1: the setting del_exif forbids removing it.
    // 1 when the optimisation goes on, 0 when it stops for this file.
    int ReportExifRemoval(const std::string& name, int mode, int64_t before, int64_t after,
                          std::string& log);
    // True when the last ReportExifRemoval stopped because the check failed.
    bool ExifRemovalFailedCheck() const { return m_bExifCheckFailed; }

    // Works on the scan in record (it ended with status 200), appends to log
    // and empties record.m_Obj.
    EOptimiseResult OptimiseWorkFile(const std::string& name, CHedThread& record, std::string& log);

    // The optimised list and its size in bytes.
    const CSegmentList& Result() const { return o_BackupJpg; }
    int64_t ResultBytes() const { return SegmentBytes(o_BackupJpg); }

private:
    bool IsBatch() const { return m_form == EOptimiseForm::Batch; }
    bool VerifyWorkCopy() const;
    void RemoveProprietaryData(std::string& log);

    EOptimiseForm m_form;
    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    const std::vector<std::string>& m_keptCodes;
    const CPackedPicture* m_pReference = nullptr;
    IBatchSaving* m_pSaving = nullptr;
    bool m_bExifCheckFailed = false;
    CSegmentList o_CodeJpg;
    CSegmentList o_BackupJpg;
};
