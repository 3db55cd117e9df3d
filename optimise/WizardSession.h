// The state of one run of the single-file wizard, without a window: the work
// copy of the document's file, its scan record, the optimisation of that copy
// (the batch's pipeline in its wizard texts), the embedding of a saved Exif
// block, and the saving of the result over the file or under a new name.
//
// Nothing outside the work files changes before a Save...() call, and those
// refuse to write anything unless this run produced a checked result: after a
// failed check, a refused Exif removal, a cancelled scan or a work copy that
// could not be made, the wizard can only end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dates/FileTimes.h"
#include "exif/ExifEmbedding.h"
#include "exif/ExifEngine.h"
#include "exif/TagDictionary.h"
#include "optimise/Optimiser.h"
#include "optimise/PhoneExtras.h"
#include "segment/HedThread.h"
#include "settings/OverlaySettingsStore.h"

class CSettingsStore;

// The three wizards of the selection page, by the value of its radio group.
enum class EWizardPath { Optimise = 0, EmbedExif = 1, Editor = 2 };

enum class EWorkCopyStart {
    // The work copy could not be made; the log says so.
    CopyFailed,
    // The Exif removal was refused or failed its check: the wizard can only end.
    Stopped,
    // The work copy waits for its scan on Record().
    ReadyToScan,
};

enum class EWizardSave {
    Saved,
    // Nothing of this run may be saved (see IsStopped(), HasResult()).
    Refused,
    // The copy failed and the message was shown; the target is as it was.
    CopyFailed,
};

// What the wizard is started on: the document's file, its picture (every
// check compares against it) and the file's times when it was opened.
struct CWizardDocument {
    std::string m_strPath;
    const CPackedPicture* m_pPicture = nullptr;
    std::optional<CFileTimes> m_times;
};

class CWizardSession {
public:
    // Everything passed in must outlive the session.
    CWizardSession(const CWorkFiles& work, const CSettingsStore& settings,
                   const std::vector<std::string>& keptCodes, CExifEngine& exif,
                   CWizardDocument document);

    // The stored settings with what this run changed on top (see KeepMediaThisRun).
    const CSettingsStore& Settings() const { return m_settings; }
    const CWorkFiles& WorkFiles() const { return m_work; }
    const std::vector<std::string>& KeptCodes() const { return m_keptCodes; }
    const CPackedPicture* DocumentPicture() const { return m_document.m_pPicture; }

    // Before BeginWorkCopy: only the optimisation keeps the cut block's
    // orientation in the work copy; the embedding puts a whole block there.
    void ChoosePath(EWizardPath path) { m_path = path; }
    EWizardPath Path() const { return m_path; }

    // The start of the optimisation and of the embedding: a fresh work copy,
    // its Exif block cut out and reported (the orientation kept on request on
    // the optimisation's path, the MPF index moved with the picture), the
    // record prepared for the scan.
    EWorkCopyStart BeginWorkCopy();
    CHedThread& Record() { return m_HedThread; }
    // What the work copy of BeginWorkCopy carries that this run's optimisation
    // would remove, of what a motion photo or gain map adds to a picture:
    // nothing once the run keeps those.
    CPhoneExtras MediaThisRunRemoves() const;
    // Keeps a motion photo's video and a gain map for the rest of this run;
    // the stored setting stays as it is.
    void KeepMediaThisRun();
    // The scan of Record() ended: 200 optimises the work copy, 300 leaves
    // only the cancel text in the log, 250 changes nothing.
    void FinishScan(EHedStatus status);

    // The embedding of the block in exifPath into the optimised result; on
    // Embedded the work copy is the checked result with the block.
    EEmbedResult EmbedExif(const std::string& exifPath);
    // Probes the work copy for the embedded block; the rows of its decoded
    // values (entries with data) follow in ExifRows(). The probe's result.
    EExifResult ReadEmbeddedExif();
    const std::vector<CExifTagEntry>& ExifRows() const { return m_exifRows; }

    // The start of the marker editor: a fresh work copy of the document's
    // file, which the editor then prepares and scans itself. False, after the
    // copy-failure message, when there is none: the run then only ends.
    bool BeginEditorCopy();
    // The marker editor's page was left with its list in the hex work file,
    // checked there and, when it no longer shows the picture, confirmed by the
    // user. Without a scanned list (a failed copy, a cancelled scan, every
    // segment deleted) the run only ends: an empty file never replaces one.
    void TakeEditedWorkCopy(bool hasList, bool showsPicture);
    // False only for an edited result that no longer shows the document's
    // picture: saving it over the document destroys the photo.
    bool ResultShowsPicture() const { return m_bShowsPicture; }

    // The work copy, brought up to the latest result when there is one; the
    // file to open for a look at it.
    std::string WorkCopyForViewing();
    // Copies the cut Exif block to path. False when there is none or the copy failed.
    bool SaveExifBlockAs(const std::string& path);
    // The finish: the result over the document's file (its times given back)
    // or to path, which then becomes the document's file. Anything but Saved
    // leaves the target as it was; CopyFailed was already shown to the user.
    EWizardSave SaveOverDocument();
    EWizardSave SaveAs(const std::string& path);

    const std::string& Log() const { return m_strLog; }
    // The name the log uses: the work copy's full path.
    const std::string& LogName() const { return m_strLogName; }
    bool ExifCut() const { return m_bExifCut; }
    // The cut block may be saved under a name of the user's choice.
    bool OffersExifBackup() const;
    // Finish only ends the wizard ("ｳｨｻﾞｰﾄﾞを中止").
    bool IsStopped() const { return m_bStopped; }
    // From a ready work copy until FinishScan.
    bool IsScanning() const { return m_bScanning; }
    // The scan ended with a result the next page may use.
    bool HasResult() const { return m_bHasResult; }
    const std::string& DocumentPath() const { return m_document.m_strPath; }

private:
    void ResetRun();
    // The Exif cut of the work copy into the block file, m_extras found in
    // the copy as read and moved as the copy written. Done; NotFound or
    // Unrestorable (the copy as it was, the block file empty); FileNotOpened.
    // A read error throws CFileException.
    EExifResult CutExifFromWorkCopy(CExifCutSizes& sizes);
    bool ReportExifCut(const CExifCutSizes& sizes);
    // A checked result of this run, with its block when the path embeds one.
    bool MaySave() const;
    // Turns the latest hex text into the work copy. False when there is none.
    bool MakeResultFile();
    EWizardSave CopyResultTo(const std::string& target);

    const CWorkFiles& m_work;
    COverlaySettingsStore m_settings;
    const std::vector<std::string>& m_keptCodes;
    CExifEngine& m_exif;
    CWizardDocument m_document;
    // The document's picture, which the window holds to show it anyway:
    // each result is compared with it as the result decodes.
    std::optional<CPictureReference> m_reference;
    COptimiser m_optimiser;
    EWizardPath m_path = EWizardPath::Optimise;
    CHedThread m_HedThread;
    std::string m_strLog;
    std::string m_strLogName;
    std::vector<CExifTagEntry> m_exifRows;
    CCutOrientation m_cutOrientation;
    // What the work copy carries beside its picture, at its offsets: found
    // once, when the copy was read for its Exif cut.
    CPhoneExtras m_extras;
    bool m_bExifCut = false;
    bool m_bStopped = false;
    bool m_bHasResult = false;
    bool m_bEmbedded = false;
    bool m_bScanning = false;
    bool m_bShowsPicture = true;
};
