// The batch optimiser: every dropped JPEG in turn through the optimisation,
// each result saved under a new name (or over the file), each removed Exif
// block backed up, with running byte totals. Each file's outcome, log and
// proof is built as a CFileResult while the file goes, and handed to the
// driver when the file ends; the batch keeps nothing of earlier files.
//
// The engine knows nothing of threads. Its driver repeats: PrepareNextScan()
// (true when a file waits for its scan), run the scan of Record() — on the
// scanner thread in the window, inline on the command line — then
// FinishScan(status) while the scanner still waits. A false
// PrepareNextScan() means the queue is empty and the batch is idle. A window
// takes one file at a time with PrepareNextFile() instead, so that a run of
// skipped files never holds its interface thread for long.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exif/ExifEngine.h"
#include "imaging/PictureCheck.h"
#include "optimise/BatchSaving.h"
#include "optimise/FileResult.h"
#include "optimise/Optimiser.h"
#include "util/EngineListener.h"

class CMappedFile;
class CSettingsStore;
class CTemporaryFile;

enum class EPrepareResult { ReadyToScan, Skipped, QueueEmpty };

class CBatchOptimiser {
public:
    // keptCodes is read for every file, so a list changed meanwhile counts
    // from the next file on; it must outlive the batch.
    CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                    const std::vector<std::string>& keptCodes, IEngineListener* listener = nullptr);
    CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                    std::vector<std::string>&& keptCodes,
                    IEngineListener* listener = nullptr) = delete;
    ~CBatchOptimiser();

    // The work copy and the cut Exif block are not written to the work files:
    // for a driver whose work files nobody looks at, such as a command-line
    // worker's.
    void KeepNoWorkFiles() { m_bWorkFilesOnDisk = false; }
    // Every file's pixel proof gets the SHA-256 digest of its samples, taken
    // as the original's bands pass in its first decode (about 1.6 GB of
    // samples a second).
    void ComputeDigests() { m_bComputeDigests = true; }
    // Whether each file's decodes share its core (One: other files keep the
    // other cores busy) or take a second one (Two, as when this is the only
    // file under way). Two unless told otherwise; it applies from the next file.
    void SetCheckThreads(ECheckThreads threads) { m_reference.SetThreads(threads); }
    // Told each file's result as the file ends, before the listener hears of it.
    void OnFileEnded(std::function<void(const CFileResult&)> handler) {
        m_onFileEnded = std::move(handler);
    }

    // Runs exactly path (a folder is not expanded) through the batch on this
    // thread, scanning inline, under rule; the queue must be empty. A message
    // the saving would show goes into the result's log.
    CFileResult OptimiseFile(const std::string& path, CSavingRule rule = {});

    // Appends the paths to the queue, in order, a folder as the JPEG files in
    // it (ExpandDroppedFolders); one without any is logged and skipped in its
    // turn. Refused (false) while a scan runs.
    bool Drop(const std::vector<std::string>& paths);

    // Takes files from the queue until one is ready for its scan (true), or the
    // queue is empty (false; the file manager is told unless expchk is on).
    bool PrepareNextScan();
    // Takes at most one file from the queue: ready for its scan, ended before
    // it (logged), or nothing left (the file manager is told as above).
    EPrepareResult PrepareNextFile();

    // The scanner record of the file being scanned.
    CHedThread& Record() { return m_HedThread; }
    bool IsScanning() const { return m_bScanning; }

    // The end of a scan: Finished optimises and saves, Cancelled ends the
    // batch and empties the queue, EmptyFile goes on with the next file.
    void FinishScan(EHedStatus status);

    // Runs the whole queue on this thread, scanning the work copy inline.
    void RunQueue();

    // The log of the file under way so far; empty between files, and while
    // the file's original may yet turn out not to decode (its lines would not stand).
    const std::string& FileLog() const;
    int64_t BytesBefore() const { return m_nBytesBefore; }
    int64_t BytesAfter() const { return m_nBytesAfter; }

private:
    bool PrepareFile(const std::string& dropped);
    bool TakeWorkCopy(const std::string& dropped, bool checkPixels);
    bool WriteWorkFiles() const;
    // The original's facts into the result; false when it does not decode.
    bool TakeOriginalFacts();
    void EndUndecodable();
    bool ReportExifCut(const CExifCutSizes& sizes);
    void NoteExifCut(uint16_t markerAfterStart, int64_t rawCut, const CExifCutSizes& sizes);
    void FinishOptimisation();
    void EndAfterSavingStopped();
    void ReleaseReference();
    void DropWorkCopy();
    void EndFile(EFileOutcome outcome, const std::string& reason = "");
    void CompleteResult();

    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    const std::vector<std::string>& m_keptCodes;
    // The list as the file under way found it: its scan joined pieces for
    // this list, so its filter must keep by the same one.
    std::vector<std::string> m_fileKeptCodes;
    IEngineListener* m_pListener;
    std::deque<std::string> m_queue;
    std::string m_strDropped;
    // The dropped file, decoded beside each result: no picture is held. The
    // first check reads it to its end and takes its facts, so a file costs
    // two decodes.
    CPictureReference m_reference{CPictureSource(), ECheckThreads::Two};
    // Whether the file under way is checked against its original, whose
    // decode is still to be proved (TakeOriginalFacts) before its result stands.
    bool m_bCheckPixels = false;
    // The dropped file's copy, then its Exif-free copy, on which every step
    // of the file works: a temporary file beside the work files, and its
    // mapping. The scan's segments are views of it, so it does not change
    // after the scan; the next file's copy is a file of its own. The work
    // files, when written, hold the same.
    std::unique_ptr<CTemporaryFile> m_workFile;
    std::shared_ptr<const CMappedFile> m_workCopy;
    ByteVector m_exifBlock;
    bool m_bWorkFilesOnDisk = true;
    std::unique_ptr<CBatchSaving> m_saving;
    std::unique_ptr<COptimiser> m_optimiser;
    bool m_bExifCut = false;
    // The Exif-free copy's check and saving wait for the optimised result.
    bool m_bExifCheckPending = false;
    bool m_bScanning = false;
    CHedThread m_HedThread;
    int64_t m_nBytesBefore = 0;
    int64_t m_nBytesAfter = 0;
    CSavingRule m_rule;
    bool m_bComputeDigests = false;
    std::function<void(const CFileResult&)> m_onFileEnded;
    // The file under way, from its PrepareFile to its end.
    CFileResult m_result;
    bool m_bFileOpen = false;
    std::chrono::steady_clock::time_point m_fileStart;
    // What the Exif cut removed, at offsets in the file.
    std::vector<CRemovedSegment> m_exifRemoved;
    int64_t m_nExifCutBytes = 0;
    // What became of the cut block's orientation.
    CCutOrientation m_cutOrientation;
};
