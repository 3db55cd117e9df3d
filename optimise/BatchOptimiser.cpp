#include "optimise/BatchOptimiser.h"

#include <utility>

#include "imaging/JpegDecoder.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/DroppedFolders.h"
#include "util/FileError.h"
#include "util/FileHelpers.h"
#include "util/ShellNotify.h"

CBatchOptimiser::CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                                 const std::vector<std::string>& keptCodes, CExifEngine& exif,
                                 IEngineListener* listener)
    : m_work(work),
      m_settings(settings),
      m_keptCodes(keptCodes),
      m_exif(exif),
      m_pListener(listener) {}

bool CBatchOptimiser::Drop(const std::vector<std::string>& paths) {
    if (m_bScanning) {
        return false;
    }
    const std::vector<std::string> files = ExpandDroppedFolders(paths);
    m_queue.insert(m_queue.end(), files.begin(), files.end());
    return true;
}

bool CBatchOptimiser::PrepareNextScan() {
    EPrepareResult result = EPrepareResult::Skipped;
    while (result == EPrepareResult::Skipped) {
        result = PrepareNextFile();
    }
    return result == EPrepareResult::ReadyToScan;
}

EPrepareResult CBatchOptimiser::PrepareNextFile() {
    if (m_queue.empty()) {
        // Kept from file to file for its memory; an idle window holds none.
        m_reference = CPackedPicture();
        m_workCopy = ByteVector();
        m_exifBlock = ByteVector();
        NotifyFileManagerUnlessOff(m_settings, EShellNotice::FolderUpdated);
        return EPrepareResult::QueueEmpty;
    }
    const std::string dropped = std::move(m_queue.front());
    m_queue.pop_front();
    if (!PrepareFile(dropped)) {
        return EPrepareResult::Skipped;
    }
    m_bScanning = true;
    if (m_pListener != nullptr) {
        m_pListener->OnLogChanged();
    }
    return EPrepareResult::ReadyToScan;
}

// Everything before the scan: the reference picture, the work copy, the Exif
// cut with its report and saving. False when this file ends here.
bool CBatchOptimiser::PrepareFile(const std::string& dropped) {
    m_strDropped = dropped;
    if (IsFolder(dropped)) {
        m_strLog += NoJpegFilesLine(dropped);
        EndFile(EBatchFileOutcome::Skipped);
        return false;
    }
    // Before anything reads the file: reading it may move its access time.
    const std::optional<CFileTimes> times = ReadFileTimes(dropped);
    const bool checkPixels = !settings::LetsDamagedPicturesThrough(m_settings);
    if (!checkPixels) {
        m_reference = CPackedPicture();
    }
    if (!TakeWorkCopy(dropped, checkPixels)) {
        EndFile(EBatchFileOutcome::Skipped);
        return false;
    }
    CExifCutSizes sizes;
    const EExifResult cut = m_exif.CutExif(m_workCopy, m_exifBlock, sizes);
    m_bExifCut = cut == EExifResult::Done;
    if (cut == EExifResult::Unrestorable) {
        m_strLog += UnrestorableExifLine(dropped);
    }
    if (m_bWorkFilesOnDisk && !WriteWorkFiles()) {
        EndFile(EBatchFileOutcome::Skipped);
        return false;
    }
    m_saving = std::make_unique<CBatchSaving>(dropped, times, m_workCopy, m_exifBlock, m_settings);
    m_optimiser =
        std::make_unique<COptimiser>(EOptimiseForm::Batch, m_work, m_settings, m_keptCodes);
    m_optimiser->SetReference(checkPixels ? &m_reference : nullptr);
    m_optimiser->SetSaving(m_saving.get());
    m_optimiser->SetWorkCopy(&m_workCopy);
    m_bExifCheckPending = false;
    if (m_bExifCut) {
        const EExifReportMode mode = ExifReportModeFor(m_settings);
        // The check of the Exif-free copy waits for the optimised result: when
        // that passes the same check, the copy is neither decoded nor written.
        // A stop that existing files decide now still follows the check.
        m_bExifCheckPending =
            mode == EExifReportMode::Removed && !m_saving->StopsAfterExifRemoval();
        const int goOn =
            m_bExifCheckPending
                ? m_optimiser->AnnounceExifCheck(dropped, mode, sizes.before, sizes.after, m_strLog)
                : m_optimiser->ReportExifRemoval(dropped, mode, sizes.before, sizes.after,
                                                 m_strLog);
        if (goOn == 0) {
            EndFile(EBatchFileOutcome::Skipped);
            return false;
        }
    }
    ClearSegments(m_HedThread.m_Obj);
    m_HedThread.m_strFileName = m_work.m_strTempData;
    m_HedThread.m_bCancel = 0;
    return true;
}

// Reads the dropped file once and decodes the reference from those bytes.
// False (logged when the decode failed) when this file ends here.
bool CBatchOptimiser::TakeWorkCopy(const std::string& dropped, bool checkPixels) {
    std::optional<ByteVector> bytes;
    try {
        bytes = ReadFileBytes(dropped);
    } catch (const CFileException&) {
        // Unreadable is unreadable, whenever the system says so.
    }
    // The reference reuses the previous file's picture memory: the allocator
    // would keep it anyway, but in pieces that pictures of other sizes fit badly.
    if (checkPixels && (!bytes || !DecodeJpegToPackedInPlace(dropped, bytes->data(), bytes->size(),
                                                             m_reference))) {
        m_strLog += dropped + "は読み込めません...\r\n\r\n";
        return false;
    }
    if (!bytes) {
        return false;
    }
    m_workCopy = std::move(*bytes);
    return true;
}

// The window's scanner reads the work copy from its file, and the user may
// look at the work files; they hold what the batch holds in memory.
bool CBatchOptimiser::WriteWorkFiles() const {
    return WriteWholeFile(m_work.m_strTempData, m_workCopy.data(), m_workCopy.size()) &&
           WriteWholeFile(m_work.m_strExifDat, m_exifBlock.data(), m_exifBlock.size());
}

void CBatchOptimiser::FinishScan(EHedStatus status) {
    m_bScanning = false;
    if (status == EHedStatus::Finished) {
        FinishOptimisation();
        return;
    }
    if (m_bExifCheckPending) {
        m_optimiser->CheckExifRemoval(m_strDropped, nullptr, m_strLog);
    }
    if (status == EHedStatus::Cancelled) {
        m_strLog += "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました...\r\n";
        m_queue.clear();
        ClearSegments(m_HedThread.m_Obj);
        m_reference = CPackedPicture();
    }
    EndFile(EBatchFileOutcome::Skipped);
}

void CBatchOptimiser::FinishOptimisation() {
    // The optimisation's lines follow those of the Exif removal, which may
    // only end once the optimised result is known.
    std::string optimiseLog;
    EOptimiseResult result = m_optimiser->OptimiseWorkFile(m_strDropped, m_HedThread, optimiseLog);
    if (m_bExifCheckPending) {
        const ByteVector* checked =
            result == EOptimiseResult::Verified ? &m_optimiser->OptimisedBytes() : nullptr;
        if (m_optimiser->CheckExifRemoval(m_strDropped, checked, m_strLog) == 0) {
            // Stopped as it would have before the scan: nothing counted.
            EndFile(EBatchFileOutcome::Skipped);
            return;
        }
    }
    m_strLog += optimiseLog;
    if (result == EOptimiseResult::Verified &&
        !m_saving->SaveOptimised(m_optimiser->OptimisedBytes(), m_strLog)) {
        result = EOptimiseResult::SaveStopped;
    }
    m_nBytesBefore += m_HedThread.m_nThreadSize;
    m_nBytesAfter += m_optimiser->ResultBytes();
    const bool exifFreeSaved = m_bExifCut && !m_optimiser->ExifRemovalFailedCheck();
    if (result == EOptimiseResult::Verified ||
        (result == EOptimiseResult::NothingToRemove && exifFreeSaved)) {
        EndFile(EBatchFileOutcome::Saved);
    } else {
        EndFile(result == EOptimiseResult::NothingToRemove ? EBatchFileOutcome::NothingToRemove
                                                           : EBatchFileOutcome::Skipped);
    }
}

void CBatchOptimiser::EndFile(EBatchFileOutcome outcome) {
    // The lists of this file are not needed for the next one.
    m_optimiser.reset();
    m_saving.reset();
    m_bExifCheckPending = false;
    m_outcomes.push_back(outcome);
    if (m_pListener != nullptr) {
        m_pListener->OnLogChanged();
        m_pListener->OnTotalsChanged();
    }
}

void CBatchOptimiser::ClearLog() {
    m_strLog.clear();
    if (m_pListener != nullptr) {
        m_pListener->OnLogChanged();
    }
}

void CBatchOptimiser::RunQueue() {
    while (PrepareNextScan()) {
        ScanJpegFileBytes(m_HedThread, m_workCopy);
        FinishScan(m_HedThread.m_nStatus);
    }
}
