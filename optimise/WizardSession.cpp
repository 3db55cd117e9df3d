#include "optimise/WizardSession.h"

#include <fcntl.h>

#include <cerrno>
#include <exception>
#include <utility>

#include "exif/ExifEngine.h"
#include "optimise/KeptTrailer.h"
#include "segment/SegmentFiles.h"
#include "settings/SettingsStore.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "util/SafeReplace.h"

namespace {

// The wizard's own text, then why the system refused (a read-only file is
// not a full disk).
void ShowCopyFailure(const CWriteOutcome& written) {
    ShowMessage(CopyFailedMessage(written));
}

// The wizard's own words when the work copy of source cannot be made, the
// advice to check the disk only where it may be full, then the cause.
std::string WorkCopyFailure(const std::string& source, const CWriteOutcome& outcome) {
    return source +
           (DiskMayBeFull(outcome.cause)
                ? "のｺﾋﾟｰを作成できませんでした。ﾃﾞｨｽｸ容量とﾌｧｲﾙを確認して下さい。"
                : "のｺﾋﾟｰを作成できませんでした。") +
           "\r\n" + outcome.failure;
}

// Why CopyFileBlocks found source or workCopy closed to it, asking the
// system again in the same order.
CWriteOutcome WhyNotOpened(const std::string& source, const std::string& workCopy) {
    for (const auto& [path, flags] :
         {std::pair{&source, O_RDONLY}, std::pair{&workCopy, O_WRONLY | O_CREAT}}) {
        const CFileHandle file(*path, flags);
        if (!file.IsOpen()) {
            const int error = errno;
            const EFileFailure cause = FileFailureOf(error);
            return {FileFailureMessage(*path, cause, error), cause};
        }
    }
    return {FileFailureMessage(source, EFileFailure::Unknown), EFileFailure::Unknown};
}

// The work copy of source, or why there is none: a typed result, because the
// wizard tells a failed copy in its own words and ends the run itself.
CWriteOutcome MakeWorkCopy(const std::string& source, const std::string& workCopy) {
    try {
        return CopyFileBlocks(source, workCopy) ? CWriteOutcome{} : WhyNotOpened(source, workCopy);
    } catch (const CFileException& error) {
        return {error.what(), error.Cause()};
    } catch (const std::exception&) {
        return {FileFailureMessage(source, EFileFailure::Unknown), EFileFailure::Unknown};
    }
}

// The MPF layout of the bytes list makes; none where it makes none.
CMpfLayout LayoutOf(const CSegmentList& list) {
    const std::optional<ByteVector> bytes = SegmentsToBytes(list);
    return bytes ? FindMpfLayout(*bytes) : CMpfLayout();
}

}  // namespace

CWizardSession::CWizardSession(const CWorkFiles& work, const CSettingsStore& settings,
                               const std::vector<std::string>& keptCodes, CExifEngine& exif,
                               CWizardDocument document)
    : m_work(work),
      m_settings(settings),
      m_keptCodes(keptCodes),
      m_exif(exif),
      m_document(std::move(document)),
      m_optimiser(EOptimiseForm::Wizard, work, m_settings, keptCodes) {
    if (m_document.m_pPicture != nullptr) {
        m_reference.emplace(*m_document.m_pPicture);
        m_optimiser.SetReference(&*m_reference);
    }
}

void CWizardSession::ResetRun() {
    m_strLog.clear();
    m_strLogName = AbsolutePath(m_work.m_strTempData);
    m_bExifCut = false;
    m_bStopped = false;
    m_bHasResult = false;
    m_bEmbedded = false;
    m_bScanning = false;
    m_bShowsPicture = true;
    m_cutOrientation = {};
    m_extras = {};
    m_exifRows.clear();
}

EWorkCopyStart CWizardSession::BeginWorkCopy() {
    ResetRun();
    const CWriteOutcome copied = MakeWorkCopy(m_document.m_strPath, m_work.m_strTempData);
    if (!copied) {
        // Without a copy there is nothing to work on, and an older copy must
        // never pass for this file's.
        m_strLog += WorkCopyFailure(m_document.m_strPath, copied) + "\r\n";
        return EWorkCopyStart::CopyFailed;
    }
    CExifCutSizes sizes;
    const EExifResult cut = CutExifFromWorkCopy(sizes);
    m_optimiser.SetCutOrientation(m_cutOrientation);
    m_optimiser.SetExtras(m_extras);
    m_bExifCut = cut == EExifResult::Done;
    if (cut == EExifResult::Unrestorable) {
        m_strLog += UnrestorableExifLine(m_strLogName);
    }
    if (m_bExifCut && !ReportExifCut(sizes)) {
        m_bStopped = true;
        return EWorkCopyStart::Stopped;
    }
    ClearSegments(m_HedThread.m_Obj);
    m_HedThread.m_strFileName = m_work.m_strTempData;
    m_HedThread.m_bCancel = 0;
    m_bScanning = true;
    return EWorkCopyStart::ReadyToScan;
}

EExifResult CWizardSession::CutExifFromWorkCopy(CExifCutSizes& sizes) {
    std::optional<ByteVector> copy = ReadFileBytes(m_work.m_strTempData);
    // A block of an earlier file must never pass for this file's.
    if (!copy || !WriteWholeFile(m_work.m_strExifDat, std::string())) {
        return EExifResult::FileNotOpened;
    }
    m_extras = FindPhoneExtras(*copy);
    ByteVector block;
    const EExifResult cut = CExifEngine::CutExif(*copy, block, sizes);
    if (cut != EExifResult::Done) {
        return cut;
    }
    const int64_t cutBytes = sizes.before - sizes.after;
    if (ExifReportModeFor(m_settings) == EExifReportMode::Removed) {
        // The embedding puts a whole block, with its own orientation, where
        // this one stood: a second Exif block would only confuse readers.
        if (m_path == EWizardPath::Optimise) {
            m_cutOrientation =
                KeepCutOrientation(*copy, block, m_settings.Read(settings::kKeepOrientation) != 0);
            sizes.after += m_cutOrientation.m_nKeptBytes;
        }
        // What lies behind the picture stays; the index that points there
        // counts from a place that moved.
        RepointMpfIndex(*copy, m_extras);
    }
    if (!WriteWholeFile(m_work.m_strExifDat, block.data(), block.size()) ||
        !WriteWholeFile(m_work.m_strTempData, copy->data(), copy->size())) {
        return EExifResult::FileNotOpened;
    }
    m_extras = ExtrasAfterExifCut(m_extras, cutBytes, m_cutOrientation.m_nKeptBytes);
    return EExifResult::Done;
}

CPhoneExtras CWizardSession::MediaThisRunRemoves() const {
    return m_settings.Read(settings::kKeepMotion) != 0 ? CPhoneExtras() : m_extras;
}

void CWizardSession::KeepMediaThisRun() {
    m_settings.Write(settings::kKeepMotion, 1);
}

bool CWizardSession::ReportExifCut(const CExifCutSizes& sizes) {
    return m_optimiser.ReportExifRemoval(m_strLogName, ExifReportModeFor(m_settings), sizes.before,
                                         sizes.after, m_strLog);
}

bool CWizardSession::OffersExifBackup() const {
    // The optimisation offers the block only once it was removed for good.
    return m_bExifCut &&
           (m_path == EWizardPath::EmbedExif || m_settings.Read(settings::kDelExif) == 1);
}

void CWizardSession::FinishScan(EHedStatus status) {
    m_bScanning = false;
    if (status == EHedStatus::Finished) {
        const EOptimiseResult result =
            m_optimiser.OptimiseWorkFile(m_strLogName, m_HedThread, m_strLog);
        m_bStopped = result == EOptimiseResult::VerificationFailed;
        m_bHasResult = !m_bStopped;
    } else if (status == EHedStatus::Cancelled) {
        m_strLog = "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました...";
        ClearSegments(m_HedThread.m_Obj);
    }
}

bool CWizardSession::BeginEditorCopy() {
    ResetRun();
    const CWriteOutcome copied = MakeWorkCopy(m_document.m_strPath, m_work.m_strTempData);
    if (copied) {
        return true;
    }
    // The hex text of an earlier file must never pass for this file's.
    WriteWholeFile(m_work.m_strTempHexa, std::string());
    m_bStopped = true;
    ShowMessage(WorkCopyFailure(m_document.m_strPath, copied));
    return false;
}

void CWizardSession::TakeEditedWorkCopy(bool hasList, bool showsPicture) {
    m_bHasResult = hasList;
    m_bStopped = !hasList;
    m_bShowsPicture = showsPicture;
}

EEmbedResult CWizardSession::EmbedExif(const std::string& exifPath) {
    m_bEmbedded = false;
    // Every attempt starts from the optimised text: an earlier attempt that
    // failed its check left its block in the hex work file.
    if (!m_bHasResult || m_optimiser.Result().empty()) {
        return EEmbedResult::BlockUnreadable;
    }
    WriteSegmentsHex(m_optimiser.Result(), m_work.m_strTempHexa);
    // Without the document's picture no result can pass its check.
    if (m_document.m_pPicture == nullptr) {
        return EEmbedResult::PictureChanged;
    }
    const EEmbedResult result = EmbedExifIntoWorkCopy(
        m_exif, m_work, exifPath, *m_document.m_pPicture, LayoutOf(m_optimiser.Result()));
    m_bEmbedded = result == EEmbedResult::Embedded;
    return result;
}

EExifResult CWizardSession::ReadEmbeddedExif() {
    m_exifRows.clear();
    const EExifResult probe = m_exif.ProbeExifFile(m_work.m_strTempData);
    if (probe != EExifResult::Done) {
        return probe;
    }
    for (const CExifTagEntry& entry : m_exif.Dictionary().Entries()) {
        if (!entry.m_strData.empty()) {
            m_exifRows.push_back(entry);
        }
    }
    return probe;
}

std::string CWizardSession::WorkCopyForViewing() {
    if (m_bHasResult) {
        MakeResultFile();
    }
    return m_work.m_strTempData;
}

bool CWizardSession::SaveExifBlockAs(const std::string& path) {
    if (!m_bExifCut) {
        return false;
    }
    const CWriteOutcome written = CopyFileSafely(m_work.m_strExifDat, path);
    if (!written) {
        ShowCopyFailure(written);
        return false;
    }
    return true;
}

bool CWizardSession::MaySave() const {
    if (m_bStopped || !m_bHasResult) {
        return false;
    }
    return m_path != EWizardPath::EmbedExif || m_bEmbedded;
}

bool CWizardSession::MakeResultFile() {
    return HexFileToBinary(m_work.m_strTempHexa, m_work.m_strTempData);
}

EWizardSave CWizardSession::CopyResultTo(const std::string& target) {
    if (!MaySave()) {
        return EWizardSave::Refused;
    }
    if (!MakeResultFile()) {
        ShowMessage(kCopyFailedText);
        return EWizardSave::CopyFailed;
    }
    // Written beside the target and renamed over it: a failure leaves it whole.
    const CWriteOutcome written = CopyFileSafely(m_work.m_strTempData, target);
    if (!written) {
        ShowCopyFailure(written);
        return EWizardSave::CopyFailed;
    }
    return EWizardSave::Saved;
}

EWizardSave CWizardSession::SaveOverDocument() {
    const EWizardSave result = CopyResultTo(m_document.m_strPath);
    if (result == EWizardSave::Saved && m_document.m_times) {
        WriteFileTimes(m_document.m_strPath, *m_document.m_times);
    }
    return result;
}

EWizardSave CWizardSession::SaveAs(const std::string& path) {
    const EWizardSave result = CopyResultTo(path);
    if (result == EWizardSave::Saved) {
        m_document.m_strPath = AbsolutePath(path);
    }
    return result;
}
