#include "optimise/BatchOptimiser.h"

#include <utility>

#include "optimise/KeptTrailer.h"
#include "optimise/OrientationExif.h"
#include "optimise/RemovedSegments.h"
#include "optimise/SegmentFilter.h"
#include "optimise/WorkCopyFile.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/DroppedFolders.h"
#include "util/FileError.h"
#include "util/FileHelpers.h"
#include "util/MappedFile.h"
#include "util/ShellNotify.h"
#include "util/TemporaryFile.h"
#include "util/TextHelpers.h"

namespace {

// The marker right behind the start marker, or 0 when bytes 2 and 3 are none.
uint16_t MarkerAfterStart(const CMappedFile& file) {
    const uint8_t* bytes = file.data();
    return file.size() >= 4 && bytes[2] == 0xFF ? static_cast<uint16_t>(0xFF00 | bytes[3]) : 0;
}

std::string UnreadableLine(const std::string& name) {
    return name + "は読み込めません...\r\n\r\n";
}

// The warning, before anything is written, that the run takes a motion
// photo's video or a gain map away; empty when it keeps them.
std::string RemovedExtrasWarning(const std::string& name, const CPhoneExtras& extras,
                                 const CSettingsStore& settings) {
    if (settings.Read(settings::kKeepMotion) != 0) {
        return "";
    }
    std::string warning;
    if (extras.HasMotionPhoto()) {
        warning += name +
                   "にはﾓｰｼｮﾝﾌｫﾄの動画があります。ｼｽﾃﾑ設定で残すようにしていないため、"
                   "最適化で削除します。\r\n";
    }
    if (extras.HasGainMap()) {
        warning += name +
                   "にはHDR表示のためのｹﾞｲﾝﾏｯﾌﾟ画像があります。ｼｽﾃﾑ設定で残すように"
                   "していないため、最適化で削除します。\r\n";
    }
    return warning;
}

}  // namespace

CBatchOptimiser::CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                                 const std::vector<std::string>& keptCodes,
                                 IEngineListener* listener)
    : m_work(work), m_settings(settings), m_keptCodes(keptCodes), m_pListener(listener) {}

CBatchOptimiser::~CBatchOptimiser() {
    DropWorkCopy();
}

bool CBatchOptimiser::Drop(const std::vector<std::string>& paths) {
    if (m_bScanning) {
        return false;
    }
    const std::vector<std::string> files = ExpandDroppedFolders(paths);
    m_queue.insert(m_queue.end(), files.begin(), files.end());
    return true;
}

// A file whose original may yet turn out not to decode shows nothing: its
// lines so far would then not stand.
const std::string& CBatchOptimiser::FileLog() const {
    static const std::string kNone;
    const bool linesStand = !m_bCheckPixels || m_reference.WasReadWhole();
    return m_bFileOpen && linesStand ? m_result.m_strLog : kNone;
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
        ReleaseReference();
        DropWorkCopy();
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

// Everything before the scan: the work copy, the reference, the Exif cut with
// its report and saving. False when this file ends here.
bool CBatchOptimiser::PrepareFile(const std::string& dropped) {
    m_strDropped = dropped;
    m_result = CFileResult();
    m_result.m_strInput = dropped;
    m_result.m_bDryRun = m_rule.m_bDryRun;
    m_bFileOpen = true;
    m_fileStart = std::chrono::steady_clock::now();
    m_exifRemoved.clear();
    m_nExifCutBytes = 0;
    m_cutOrientation = {};
    m_bCheckPixels = false;
    if (IsFolder(dropped)) {
        m_result.m_strLog += NoJpegFilesLine(dropped);
        EndFile(EFileOutcome::Skipped, "a folder without JPEG files");
        return false;
    }
    // Before anything reads the file: reading it may move its access time.
    const std::optional<CFileTimes> times = ReadFileTimes(dropped);
    const bool checkPixels = !settings::LetsDamagedPicturesThrough(m_settings);
    if (!checkPixels) {
        ReleaseReference();
    }
    if (!TakeWorkCopy(dropped, checkPixels)) {
        return false;
    }
    m_bCheckPixels = checkPixels;
    const uint16_t markerAfterStart = MarkerAfterStart(*m_workCopy);
    const CPhoneExtras extras = FindPhoneExtras(*m_workCopy);
    // The cut changes the file under the mapping.
    m_workCopy.reset();
    uint64_t cutEnd = 0;
    const EExifResult cut = CExifEngine::FindExifCut(m_workFile->Path(), m_exifBlock, cutEnd);
    if (cut == EExifResult::FileNotOpened) {
        EndFile(EFileOutcome::Failed, "the work copy cannot be read");
        return false;
    }
    m_bExifCut = cut == EExifResult::Done;
    CExifCutSizes sizes;
    sizes.before = m_result.m_nInputBytes;
    sizes.after = sizes.before - (m_bExifCut ? static_cast<int64_t>(cutEnd) - 2 : 0);
    const bool exifStopsFile =
        m_bExifCut && ExifReportModeFor(m_settings) != EExifReportMode::Removed;
    if (!exifStopsFile) {
        m_result.m_strLog += RemovedExtrasWarning(dropped, extras, m_settings);
    }
    if (cut == EExifResult::Unrestorable) {
        m_result.m_strLog += UnrestorableExifLine(dropped);
    }
    const int64_t rawCut = sizes.before - sizes.after;
    ByteVector keptBehindStart;
    if (m_bExifCut && !exifStopsFile) {
        m_cutOrientation = CutOrientation(
            m_exifBlock, m_settings.Read(settings::kKeepOrientation) != 0, keptBehindStart);
        sizes.after += m_cutOrientation.m_nKeptBytes;
    }
    if (m_bExifCut) {
        ReplaceBehindStart(m_workFile->Path(), cutEnd, keptBehindStart);
    }
    m_workCopy = CMappedFile::Open(m_workFile->Path());
    if (m_bExifCut && !exifStopsFile && extras.m_mpf) {
        // The copy without the Exif block keeps what lies behind its picture;
        // the index that points there counts from a place that moved.
        RepointMpfIndexInFile(m_workFile->Path(), *m_workCopy, extras);
    }
    if (m_bWorkFilesOnDisk && !WriteWorkFiles()) {
        EndFile(EFileOutcome::Failed, "the work files cannot be written");
        return false;
    }
    m_saving = std::make_unique<CBatchSaving>(dropped, times, m_workFile->Path(), m_exifBlock,
                                              m_settings, m_rule);
    m_fileKeptCodes = m_keptCodes;
    m_optimiser =
        std::make_unique<COptimiser>(EOptimiseForm::Batch, m_work, m_settings, m_fileKeptCodes);
    m_optimiser->SetReference(checkPixels ? &m_reference : nullptr);
    m_optimiser->SetSaving(m_saving.get());
    m_optimiser->SetWorkCopy(m_workCopy.get());
    m_optimiser->SetCutOrientation(m_cutOrientation);
    m_optimiser->SetExtras(ExtrasAfterExifCut(extras, rawCut, m_cutOrientation.m_nKeptBytes));
    m_bExifCheckPending = false;
    if (m_bExifCut) {
        NoteExifCut(markerAfterStart, rawCut, sizes);
        if (!ReportExifCut(sizes)) {
            return false;
        }
        // The Exif-free copy's check found that the original does not decode.
        if (m_bCheckPixels && m_reference.WasReadWhole() && !m_reference.Facts()) {
            EndUndecodable();
            return false;
        }
    }
    ClearSegments(m_HedThread.m_Obj);
    m_HedThread.m_strFileName = m_work.m_strTempData;
    m_HedThread.m_mappedFile = m_workCopy;
    m_HedThread.m_joined = PiecesJoinedBeforeFilter(m_fileKeptCodes);
    m_HedThread.m_bCancel = 0;
    return true;
}

void CBatchOptimiser::NoteExifCut(uint16_t markerAfterStart, int64_t rawCut,
                                  const CExifCutSizes& sizes) {
    m_nExifCutBytes = sizes.before - sizes.after;
    if (ExifReportModeFor(m_settings) != EExifReportMode::Removed) {
        return;
    }
    const auto blockBytes = static_cast<int64_t>(m_exifBlock.size());
    m_exifRemoved = RemovedByExifCut(markerAfterStart, rawCut, blockBytes);
    const std::optional<CExifOrientation> orientation = FindOrientation(m_exifBlock);
    if (m_cutOrientation.m_eFate == EOrientationFate::Removed && orientation) {
        // Inside the Exif block's record: the one value whose loss shows.
        m_exifRemoved.push_back({0xFFE1, 2 + rawCut - blockBytes + orientation->m_nEntryOffset,
                                 kOrientationEntryBytes, "orientation"});
    }
}

// The report of the Exif cut and, unless it waits for the optimised result,
// the check and saving of the Exif-free copy. False when this file ends here.
bool CBatchOptimiser::ReportExifCut(const CExifCutSizes& sizes) {
    const EExifReportMode mode = ExifReportModeFor(m_settings);
    // The check of the Exif-free copy waits for the optimised result: when
    // that passes the same check, the copy is neither decoded nor written.
    // A stop that existing files decide now still follows the check.
    m_bExifCheckPending = mode == EExifReportMode::Removed && !m_saving->StopsAfterExifRemoval();
    std::string& log = m_result.m_strLog;
    const bool goOn =
        m_bExifCheckPending
            ? m_optimiser->AnnounceExifCheck(m_strDropped, mode, sizes.before, sizes.after, log)
            : m_optimiser->ReportExifRemoval(m_strDropped, mode, sizes.before, sizes.after, log);
    if (goOn) {
        return true;
    }
    if (mode == EExifReportMode::RemovalForbidden) {
        EndFile(EFileOutcome::Skipped, "the setting del_exif forbids removing the Exif block");
    } else {
        EndAfterSavingStopped();
    }
    return false;
}

// Copies the dropped file once, into the work file, and maps the copy. With
// the pixel check, its first check (or, where none runs, a decode of its own
// as the file ends) tells whether the original decodes; a name that is not a
// JPEG's tells at once. False (logged) when this file ended here.
bool CBatchOptimiser::TakeWorkCopy(const std::string& dropped, bool checkPixels) {
    m_workFile = std::make_unique<CTemporaryFile>(m_work.m_strTempData);
    const std::optional<uint64_t> length = CopyToWorkFile(dropped, m_workFile->File());
    m_workFile->Close();
    if (!length) {
        if (checkPixels) {
            m_result.m_strLog += UnreadableLine(dropped);
        }
        EndFile(EFileOutcome::Failed, "cannot be read");
        return false;
    }
    m_result.m_nInputBytes = static_cast<int64_t>(*length);
    if (checkPixels && !HasJpgName(dropped)) {
        EndUndecodable();
        return false;
    }
    m_workCopy = CMappedFile::Open(m_workFile->Path());
    if (checkPixels) {
        // The file on disk: the work copy loses its Exif block.
        m_reference =
            CPictureReference(CPictureSource::File(dropped, false), m_reference.Threads());
        m_reference.TakeFactsInNextCheck(m_bComputeDigests);
    }
    return true;
}

// The user may look at the work files; they hold what the batch works on.
bool CBatchOptimiser::WriteWorkFiles() const {
    return CopyFileBlocks(m_workFile->Path(), m_work.m_strTempData) &&
           WriteWholeFile(m_work.m_strExifDat, m_exifBlock.data(), m_exifBlock.size());
}

void CBatchOptimiser::FinishScan(EHedStatus status) {
    m_bScanning = false;
    if (status == EHedStatus::Finished) {
        FinishOptimisation();
        return;
    }
    if (m_bExifCheckPending) {
        m_optimiser->CheckExifRemoval(m_strDropped, nullptr, m_result.m_strLog);
    }
    if (status == EHedStatus::Cancelled) {
        const bool byUser = m_HedThread.m_bCancel != 0;
        m_result.m_strLog += "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました...\r\n";
        m_queue.clear();
        ClearSegments(m_HedThread.m_Obj);
        EndFile(byUser ? EFileOutcome::Skipped : EFileOutcome::Failed,
                byUser ? "cancelled" : "the segment scan cannot read the file");
        ReleaseReference();
        return;
    }
    EndFile(EFileOutcome::Failed, "the file holds no JPEG data to scan");
}

void CBatchOptimiser::FinishOptimisation() {
    // The optimisation's lines follow those of the Exif removal, which may
    // only end once the optimised result is known.
    std::string optimiseLog;
    EOptimiseResult result = m_optimiser->OptimiseWorkFile(m_strDropped, m_HedThread, optimiseLog);
    if (m_bExifCheckPending) {
        const std::string* checked =
            result == EOptimiseResult::Verified ? &m_optimiser->OptimisedFile() : nullptr;
        if (!m_optimiser->CheckExifRemoval(m_strDropped, checked, m_result.m_strLog)) {
            // Stopped as it would have before the scan: nothing counted.
            EndAfterSavingStopped();
            return;
        }
    }
    m_result.m_strLog += optimiseLog;
    if (result == EOptimiseResult::Verified &&
        !m_saving->SaveOptimised(m_optimiser->OptimisedFile(), m_result.m_strLog)) {
        result = EOptimiseResult::SaveStopped;
    }
    m_result.m_nCountedBefore = m_HedThread.m_nThreadSize;
    m_result.m_nCountedAfter = m_optimiser->ResultBytes();
    const bool exifCheckFailed = m_bExifCut && m_optimiser->ExifRemovalFailedCheck();
    switch (result) {
        case EOptimiseResult::Verified:
            EndFile(EFileOutcome::Optimised);
            break;
        case EOptimiseResult::SaveStopped:
            EndAfterSavingStopped();
            break;
        case EOptimiseResult::VerificationFailed:
            EndFile(EFileOutcome::CheckFailed,
                    m_saving->WrittenOutput().empty()
                        ? "the optimised picture fails the check"
                        : "the optimised picture fails the check; the copy without the Exif "
                          "block, which passed it, was written");
            break;
        case EOptimiseResult::NothingToRemove:
            // Without its Exif block the picture failed the check: nothing was
            // written, which is no success.
            if (exifCheckFailed) {
                EndFile(EFileOutcome::CheckFailed,
                        "the picture without its Exif block fails the check");
            } else {
                EndFile(m_bExifCut ? EFileOutcome::Optimised : EFileOutcome::NothingToRemove);
            }
            break;
    }
}

void CBatchOptimiser::EndAfterSavingStopped() {
    EndFile(m_saving->StoppedByExistingFile() ? EFileOutcome::Skipped : EFileOutcome::Failed,
            m_saving->StopReason());
}

// What the file's result learns from the optimiser and the saving before
// they go.
void CBatchOptimiser::CompleteResult() {
    if (m_optimiser) {
        if (m_optimiser->CheckRan()) {
            m_result.m_eCheck = m_result.m_pixels ? ECheckKind::Pixels : ECheckKind::DecodeOnly;
        }
        std::vector<CRemovedSegment> removed = m_optimiser->Removed();
        ShiftBehindStartMarker(removed, m_nExifCutBytes);
        m_result.m_removed = std::move(m_exifRemoved);
        m_result.m_removed.insert(m_result.m_removed.end(), removed.begin(), removed.end());
    }
    if (m_saving) {
        m_result.m_strOutput = m_saving->WrittenOutput();
        m_result.m_nOutputBytes = m_saving->WrittenBytes();
        m_result.m_strExifBackup = m_saving->WrittenExifBackup();
    }
    // Nothing is written before a check proved its samples equal to the reference's.
    if (m_result.m_pixels && !m_result.m_strOutput.empty()) {
        m_result.m_pixels->m_strSha256After = m_result.m_pixels->m_strSha256Before;
    }
    m_result.m_nMilliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - m_fileStart)
                                   .count();
}

// Before its result stands, a file under the pixel check learns whether its
// original decodes, from its first check or else from a decode of its own.
void CBatchOptimiser::EndFile(EFileOutcome outcome, const std::string& reason) {
    if (m_bCheckPixels && !TakeOriginalFacts()) {
        EndUndecodable();
        return;
    }
    m_bCheckPixels = false;
    m_result.m_eOutcome = outcome;
    m_result.m_strReason = reason;
    CompleteResult();
    m_nBytesBefore += m_result.m_nCountedBefore;
    m_nBytesAfter += m_result.m_nCountedAfter;
    // The lists of this file are not needed for the next one, nor its mapping.
    m_optimiser.reset();
    m_saving.reset();
    DropWorkCopy();
    m_bExifCheckPending = false;
    m_bFileOpen = false;
    if (m_onFileEnded) {
        m_onFileEnded(m_result);
    }
    if (m_pListener != nullptr) {
        m_pListener->OnLogChanged();
        m_pListener->OnTotalsChanged();
    }
}

bool CBatchOptimiser::TakeOriginalFacts() {
    const std::optional<CReferenceFacts>& facts = m_reference.Facts();
    if (facts) {
        const CPictureFacts& picture = facts->m_picture;
        m_result.m_pixels = CPixelProof{picture.m_nWidth, picture.m_nHeight, picture.m_nComponents,
                                        facts->m_strSha256, ""};
    }
    return facts.has_value();
}

// As if the file had never been read: none of its work stands, and no check
// of it passed, so nothing of it was written.
void CBatchOptimiser::EndUndecodable() {
    CFileResult unread;
    unread.m_strInput = m_result.m_strInput;
    unread.m_nInputBytes = m_result.m_nInputBytes;
    unread.m_bDryRun = m_result.m_bDryRun;
    unread.m_strLog = UnreadableLine(m_strDropped);
    m_result = std::move(unread);
    m_optimiser.reset();
    m_saving.reset();
    m_bCheckPixels = false;
    EndFile(EFileOutcome::Failed, "not a JPEG file that decodes");
}

void CBatchOptimiser::DropWorkCopy() {
    m_HedThread.m_mappedFile.reset();
    m_workCopy.reset();
    m_workFile.reset();
}

void CBatchOptimiser::ReleaseReference() {
    m_reference = CPictureReference(CPictureSource(), m_reference.Threads());
}

void CBatchOptimiser::RunQueue() {
    while (PrepareNextScan()) {
        ScanJpegHeaders(m_HedThread);
        FinishScan(m_HedThread.m_nStatus);
    }
}

CFileResult CBatchOptimiser::OptimiseFile(const std::string& path, CSavingRule rule) {
    rule.m_bMessagesInLog = true;
    m_rule = std::move(rule);
    m_queue = {path};
    RunQueue();
    m_rule = CSavingRule();
    return std::move(m_result);
}
