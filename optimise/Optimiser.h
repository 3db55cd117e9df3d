// The optimisation of one file: after its Exif block was cut out of the work
// copy and its segments were scanned, removes what the picture does not need
// and proves by decoding that the picture is unchanged. Both owners use it,
// the wizard and the batch optimiser; they differ in a few log texts and in
// the batch's saving of results (CBatchSaving).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/PictureCheck.h"
#include "optimise/FileResult.h"
#include "optimise/OrientationExif.h"
#include "optimise/PhoneExtras.h"
#include "segment/HedThread.h"
#include "util/FileBytes.h"
#include "util/WorkFiles.h"

class CMappedFile;
class CSettingsStore;
class CTemporaryFile;
struct CDescribedSegment;
struct CFilterDrops;

enum class EOptimiseForm { Wizard, Batch };

// The two Exif reports of the optimiser's log, modes 0 and 1.
enum class EExifReportMode {
    // The block was cut out of the work copy.
    Removed = 0,
    // The setting del_exif forbids removing it.
    RemovalForbidden = 1,
};

// Removed when the setting del_exif allows removing the block, else RemovalForbidden.
EExifReportMode ExifReportModeFor(const CSettingsStore& settings);

// The log line for name's Exif block that no embedding would accept: it is
// not cut out and saved, but stays and is treated like any other segment.
std::string UnrestorableExifLine(const std::string& name);

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

// The batch's saving rule for the end of the Exif removal.
class IBatchSaving {
public:
    virtual ~IBatchSaving() = default;
    // After the Exif block was removed and the result checked: the .exif
    // backup and the result, which is the Exif-free work copy or, when given,
    // the file of the optimised result made from it that passed the check in
    // its place. False stops the work on this file.
    virtual bool SaveAfterExifRemoval(const std::string* optimisedFile, std::string& log) = 0;
};

class COptimiser {
public:
    COptimiser(EOptimiseForm form, const CWorkFiles& work, const CSettingsStore& settings,
               const std::vector<std::string>& keptCodes);
    ~COptimiser();

    // The unchanged picture every verification compares against.
    void SetReference(const CPictureReference* reference) { m_pReference = reference; }
    // Batch form only: where results are saved.
    void SetSaving(IBatchSaving* saving) { m_pSaving = saving; }
    // Batch form only: the work copy that is scanned, mapped. The Exif-free
    // copy's check decodes its file, the kept trailer is read from it, and
    // the writer of the result gives its pages back.
    void SetWorkCopy(const CMappedFile* workCopy) { m_pWorkCopy = workCopy; }
    // What became of the cut block's orientation: the orientation-only Exif
    // block behind the work copy's start marker is kept, and the Exif report
    // tells of it.
    void SetCutOrientation(const CCutOrientation& orientation) {
        m_eOrientation = orientation.m_eFate;
        m_nKeptBehindStart = orientation.m_nKeptBytes;
    }
    // What the work copy that is scanned carries beside its picture, at its
    // offsets: found once, when its owner read the file (ExtrasAfterExifCut).
    void SetExtras(const CPhoneExtras& extras) { m_extras = extras; }

    // Logs the Exif removal under name and, when mode is Removed, verifies the
    // work copy. True when the optimisation goes on, false when it stops for this file.
    // The same as AnnounceExifCheck followed by CheckExifRemoval(name, nullptr, log).
    bool ReportExifRemoval(const std::string& name, EExifReportMode mode, int64_t before,
                           int64_t after, std::string& log);
    // The first part of ReportExifRemoval: the lines up to the announcement of
    // the check. False for RemovalForbidden (the file stops here), true for Removed.
    bool AnnounceExifCheck(const std::string& name, EExifReportMode mode, int64_t before,
                           int64_t after, std::string& log);
    // The rest of ReportExifRemoval: the check of the Exif-free work copy, its
    // outcome and, in the batch, the saving. Batch form only: given the file
    // of the optimised result that was made from that copy and passed the
    // check, the copy is not decoded again, as it would show the same
    // picture; that file is saved in its place.
    bool CheckExifRemoval(const std::string& name, const std::string* checkedOptimised,
                          std::string& log);
    // True when the last ReportExifRemoval stopped because the check failed.
    bool ExifRemovalFailedCheck() const { return m_bExifCheckFailed; }

    // Works on the scan in record (it ended EHedStatus::Finished), appends to
    // log and empties record.m_Obj. The wizard's result is the work copy; the
    // batch's is OptimisedFile(), checked but not yet saved anywhere.
    EOptimiseResult OptimiseWorkFile(const std::string& name, CHedThread& record, std::string& log);

    // The optimised list and its size in bytes. The batch lets go of the list
    // once it wrote its bytes: they are all it checks and saves.
    const CSegmentList& Result() const { return o_BackupJpg; }
    int64_t ResultBytes() const { return m_nResultBytes; }
    // Batch form: the temporary file beside the work copy that holds the
    // bytes of the optimised list once OptimiseWorkFile made and checked
    // them; empty before, or when they failed. It goes with the optimiser.
    const std::string& OptimisedFile() const;
    // What the last OptimiseWorkFile dropped, at offsets in the scanned copy.
    const std::vector<CRemovedSegment>& Removed() const { return m_removed; }
    // True once any result (the Exif-free copy or the optimised one) was checked.
    bool CheckRan() const { return m_bCheckRan; }

private:
    bool IsBatch() const { return m_form == EOptimiseForm::Batch; }
    bool VerifyWorkCopy() const;
    CPictureSource WorkFileSource() const;
    // The batch's check of a result, as the setting damage asks.
    bool VerifyResult(const CPictureSource& source) const;
    bool MakeAndVerifyResult();
    // offsets: where each segment of the scan starts; returns the same for
    // the list that the filter goes on with.
    std::vector<int64_t> RemoveProprietaryData(std::string& log, std::vector<int64_t> offsets);
    // Removes the proprietary data and filters the scan into o_BackupJpg,
    // noting what was dropped; the filter's log. log gets the removal's lines.
    std::string FilterScan(std::string& log, int64_t fileBytes);
    void NoteFilterDrops(const std::vector<CDescribedSegment>& described, const CFilterDrops& drops,
                         int64_t endOfFile);
    // When the user keeps motion photos and gain maps and the extras name
    // some, the bytes behind the scanned copy's end marker (scannedEnd).
    void TakeKeptTrailer(int64_t scannedEnd);
    // Which segments of the scan stay whatever the kept list says.
    std::vector<bool> KeptOnRequest(const std::vector<CDescribedSegment>& described) const;
    // The kept trailer goes behind the result's end marker, and the MPF index
    // points at its new place.
    void AppendKeptTrailer(const CFilterDrops& drops);
    // With a kept trailer: its index was moved, and the result at path,
    // whose primary picture ends at primaryEnd, ends with the trailer,
    // unchanged. False fails the check.
    bool CheckKeptTrailer(const std::string& path, int64_t primaryEnd) const;

    EOptimiseForm m_form;
    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    const std::vector<std::string>& m_keptCodes;
    const CPictureReference* m_pReference = nullptr;
    IBatchSaving* m_pSaving = nullptr;
    const CMappedFile* m_pWorkCopy = nullptr;
    bool m_bExifCheckFailed = false;
    EOrientationFate m_eOrientation = EOrientationFate::None;
    int64_t m_nKeptBehindStart = 0;
    CPhoneExtras m_extras;
    // The bytes behind the scanned end marker, when they are kept.
    std::optional<ByteVector> m_keptTrailer;
    bool m_bTrailerIndexed = false;
    // Set by the checks, which are otherwise read-only.
    mutable bool m_bCheckRan = false;
    std::vector<CRemovedSegment> m_removed;
    CSegmentList o_CodeJpg;
    CSegmentList o_BackupJpg;
    int64_t m_nResultBytes = 0;
    std::unique_ptr<CTemporaryFile> m_resultFile;
};
