// The batch optimiser: every dropped JPEG in turn through the optimisation,
// each result saved under a new name (or over the file), each removed Exif
// block backed up, with running byte totals and one growing log.
//
// The engine knows nothing of threads. Its driver repeats: PrepareNextScan()
// (true when a file waits for its scan), run the scan of Record() — on the
// scanner thread in the window, inline on the command line — then
// FinishScan(status) while the scanner still waits. A false
// PrepareNextScan() means the queue is empty and the batch is idle. A window
// takes one file at a time with PrepareNextFile() instead, so that a run of
// skipped files never holds its interface thread for long.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exif/ExifEngine.h"
#include "imaging/PackedPicture.h"
#include "optimise/BatchSaving.h"
#include "optimise/Optimiser.h"
#include "util/EngineListener.h"

class CSettingsStore;

// How the last file of the batch ended.
enum class EBatchFileOutcome { Saved, NothingToRemove, Skipped };

enum class EPrepareResult { ReadyToScan, Skipped, QueueEmpty };

class CBatchOptimiser {
public:
    // keptCodes is read for every file, so a list changed meanwhile counts
    // from the next file on; it must outlive the batch.
    CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                    const std::vector<std::string>& keptCodes, CExifEngine& exif,
                    IEngineListener* listener = nullptr);
    CBatchOptimiser(const CWorkFiles& work, const CSettingsStore& settings,
                    std::vector<std::string>&& keptCodes, CExifEngine& exif,
                    IEngineListener* listener = nullptr) = delete;

    // The work copy and the cut Exif block stay in memory and are not written
    // to the work files: for a driver that scans inline (RunQueue) and whose
    // work files nobody looks at, such as a command-line worker's.
    void KeepWorkCopyInMemory() { m_bWorkFilesOnDisk = false; }

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

    const std::string& Log() const { return m_strLog; }
    // Empties the log; the totals stay.
    void ClearLog();
    int64_t BytesBefore() const { return m_nBytesBefore; }
    int64_t BytesAfter() const { return m_nBytesAfter; }
    // Outcome of every file taken from the queue, in order.
    const std::vector<EBatchFileOutcome>& Outcomes() const { return m_outcomes; }

private:
    bool PrepareFile(const std::string& dropped);
    bool TakeWorkCopy(const std::string& dropped, bool checkPixels);
    bool WriteWorkFiles() const;
    void FinishOptimisation();
    void EndFile(EBatchFileOutcome outcome);

    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    const std::vector<std::string>& m_keptCodes;
    CExifEngine& m_exif;
    IEngineListener* m_pListener;
    std::deque<std::string> m_queue;
    std::string m_strDropped;
    CPackedPicture m_reference;
    // The dropped file once read, then its Exif-free copy: every step of the
    // file works on these bytes; the work files, when written, hold the same.
    ByteVector m_workCopy;
    ByteVector m_exifBlock;
    bool m_bWorkFilesOnDisk = true;
    std::unique_ptr<CBatchSaving> m_saving;
    std::unique_ptr<COptimiser> m_optimiser;
    bool m_bExifCut = false;
    // The Exif-free copy's check and saving wait for the optimised result.
    bool m_bExifCheckPending = false;
    bool m_bScanning = false;
    CHedThread m_HedThread;
    std::string m_strLog;
    int64_t m_nBytesBefore = 0;
    int64_t m_nBytesAfter = 0;
    std::vector<EBatchFileOutcome> m_outcomes;
};
