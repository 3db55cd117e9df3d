#include "optimise/BatchOptimiser.h"

#include <utility>

#include "imaging/JpegDecoder.h"
#include "imaging/SampleDigest.h"
#include "optimise/KeptTrailer.h"
#include "optimise/OrientationExif.h"
#include "optimise/RemovedSegments.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/DroppedFolders.h"
#include "util/FileError.h"
#include "util/FileHelpers.h"
#include "util/ShellNotify.h"
#include "util/TextHelpers.h"

namespace {

// The marker right behind the start marker, or 0 when bytes 2 and 3 are none.
uint16_t MarkerAfterStart(const ByteVector& file) {
    return file.size() >= 4 && file[2] == 0xFF ? static_cast<uint16_t>(0xFF00 | file[3]) : 0;
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
                                 const std::vector<std::string>& keptCodes, CExifEngine& exif,
                                 IEngineListener* listener)
    : m_work(work),
      m_settings(settings),
      m_keptCodes(keptCodes),
      m_exif(exif),
      m_pListener(listener) {}

CBatchOptimiser::~CBatchOptimiser() = default;

bool CBatchOptimiser::Drop(const std::vector<std::string>& paths) {
    if (m_bScanning) {
        return false;
    }
    const std::vector<std::string> files = ExpandDroppedFolders(paths);
    m_queue.insert(m_queue.end(), files.begin(), files.end());
    return true;
}

const std::string& CBatchOptimiser::FileLog() const {
    static const std::string kNone;
    return m_bFileOpen ? m_result.m_strLog : kNone;
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
        m_workCopy.reset();
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
    m_result = CFileResult();
    m_result.m_strInput = dropped;
    m_result.m_bDryRun = m_rule.m_bDryRun;
    m_bFileOpen = true;
    m_fileStart = std::chrono::steady_clock::now();
    m_exifRemoved.clear();
    m_nExifCutBytes = 0;
    m_cutOrientation = {};
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
    const uint16_t markerAfterStart = MarkerAfterStart(*m_workCopy);
    const CPhoneExtras extras = FindPhoneExtras(*m_workCopy);
    CExifCutSizes sizes;
    const EExifResult cut = m_exif.CutExif(*m_workCopy, m_exifBlock, sizes);
    m_bExifCut = cut == EExifResult::Done;
    const bool exifStopsFile =
        m_bExifCut && ExifReportModeFor(m_settings) != EExifReportMode::Removed;
    if (!exifStopsFile) {
        m_result.m_strLog += RemovedExtrasWarning(dropped, extras, m_settings);
    }
    if (cut == EExifResult::Unrestorable) {
        m_result.m_strLog += UnrestorableExifLine(dropped);
    }
    const int64_t rawCut = sizes.before - sizes.after;
    if (m_bExifCut && !exifStopsFile) {
        m_cutOrientation = KeepCutOrientation(*m_workCopy, m_exifBlock,
                                              m_settings.Read(settings::kKeepOrientation) != 0);
        sizes.after += m_cutOrientation.m_nKeptBytes;
        // The copy without the Exif block keeps what lies behind its picture;
        // the index that points there counts from a place that moved.
        RepointMpfIndex(*m_workCopy, extras);
    }
    if (m_bWorkFilesOnDisk && !WriteWorkFiles()) {
        EndFile(EFileOutcome::Failed, "the work files cannot be written");
        return false;
    }
    m_saving = std::make_unique<CBatchSaving>(dropped, times, *m_workCopy, m_exifBlock, m_settings,
                                              m_rule);
    m_optimiser =
        std::make_unique<COptimiser>(EOptimiseForm::Batch, m_work, m_settings, m_keptCodes);
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
    }
    ClearSegments(m_HedThread.m_Obj);
    m_HedThread.m_strFileName = m_work.m_strTempData;
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

// Reads the dropped file once and decodes it from those bytes: a file whose
// picture does not decode ends here, as no check of it could pass. False
// (logged) when this file ended here.
bool CBatchOptimiser::TakeWorkCopy(const std::string& dropped, bool checkPixels) {
    std::optional<ByteVector> bytes;
    try {
        bytes = ReadFileBytes(dropped);
    } catch (const CFileException&) {
        // Unreadable is unreadable, whenever the system says so.
    }
    if (bytes) {
        m_result.m_nInputBytes = static_cast<int64_t>(bytes->size());
    }
    if (checkPixels && (!bytes || !DecodeOriginal(dropped, *bytes))) {
        m_result.m_strLog += dropped + "は読み込めません...\r\n\r\n";
        EndFile(EFileOutcome::Failed, bytes ? "not a JPEG file that decodes" : "cannot be read");
        return false;
    }
    if (!bytes) {
        EndFile(EFileOutcome::Failed, "cannot be read");
        return false;
    }
    if (checkPixels && !m_heldPicture.m_pBits.empty()) {
        m_workCopy = std::make_shared<ByteVector>(std::move(*bytes));
        m_reference = CPictureReference(m_heldPicture);
    } else if (checkPixels) {
        m_workCopy = std::make_shared<ByteVector>(*bytes);
        m_original = std::move(*bytes);
        m_reference = CPictureReference(CPictureSource::Bytes(m_original.data(), m_original.size()),
                                        m_reference.Threads());
    } else {
        m_workCopy = std::make_shared<ByteVector>(std::move(*bytes));
    }
    return true;
}

// The first decode of the original, which keeps its size, channels and, when
// asked, the digest of its samples; the picture itself only when it is small
// (HoldsPicture).
bool CBatchOptimiser::DecodeOriginal(const std::string& dropped, const ByteVector& bytes) {
    if (!HasJpgName(dropped)) {
        return false;
    }
    int32_t width = 0;
    int32_t height = 0;
    if (ReadJpegHeaderSize(bytes.data(), bytes.size(), width, height) &&
        int64_t{width} * height * 3 <= kHeldPictureBytes) {
        return HoldOriginal(bytes);
    }
    m_heldPicture = CPackedPicture();
    std::optional<CSampleDigest> digest;
    if (m_bComputeDigests) {
        digest.emplace();
    }
    // A second thread only pays when this one has the digest to take.
    const ECheckThreads threads = digest ? m_reference.Threads() : ECheckThreads::One;
    const std::optional<CPictureFacts> facts = DecodePicture(
        CPictureSource::Bytes(bytes.data(), bytes.size()), threads, digest ? &*digest : nullptr);
    if (!facts) {
        return false;
    }
    m_result.m_pixels = CPixelProof{facts->m_nWidth, facts->m_nHeight, facts->m_nComponents,
                                    digest ? digest->Finish() : "", ""};
    return true;
}

// The window's scanner reads the work copy from its file, and the user may
// look at the work files; they hold what the batch holds in memory.
bool CBatchOptimiser::WriteWorkFiles() const {
    return WriteWholeFile(m_work.m_strTempData, m_workCopy->data(), m_workCopy->size()) &&
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
    m_nBytesBefore += m_result.m_nCountedBefore;
    m_nBytesAfter += m_result.m_nCountedAfter;
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

void CBatchOptimiser::EndFile(EFileOutcome outcome, const std::string& reason) {
    m_result.m_eOutcome = outcome;
    m_result.m_strReason = reason;
    CompleteResult();
    // The lists of this file are not needed for the next one.
    m_optimiser.reset();
    m_saving.reset();
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

bool CBatchOptimiser::HoldOriginal(const ByteVector& bytes) {
    if (!DecodeJpegBytesToPacked(bytes.data(), bytes.size(), m_heldPicture)) {
        m_heldPicture = CPackedPicture();
        return false;
    }
    const CPackedPicture& held = m_heldPicture;
    std::string digest;
    if (m_bComputeDigests) {
        CSampleDigest samples;
        samples.Start(held.m_nComponents);
        const auto width = static_cast<size_t>(held.m_nWidth);
        samples.AddBgrRows(held.m_pBits.data(), width, static_cast<size_t>(held.m_nHeight),
                           width * 3);
        digest = samples.Finish();
    }
    m_result.m_pixels =
        CPixelProof{held.m_nWidth, held.m_nHeight, held.m_nComponents, std::move(digest), ""};
    return true;
}

void CBatchOptimiser::ReleaseReference() {
    m_heldPicture = CPackedPicture();
    m_reference = CPictureReference(CPictureSource(), m_reference.Threads());
    m_original = ByteVector();
}

void CBatchOptimiser::RunQueue() {
    while (PrepareNextScan()) {
        ScanJpegFileBytes(m_HedThread, m_workCopy);
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
