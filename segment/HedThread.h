// The segment scanner: splits a JPEG file into its marker segments on a worker
// thread, reports progress about 21 times per file and can be cancelled.
//
// Ownership: the owner keeps one CHedThread per window and reuses it for every
// scan. While a scan runs, the worker alone writes the record; the owner may
// only set m_bCancel. The owner reads the result inside OnHedFinished, while the
// worker waits for that call to return, or after the runner has joined.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "segment/SegmentList.h"
#include "segment/SegmentScanner.h"
#include "util/FileBytes.h"

class CMappedFile;
class CSettingsStore;

// How a scan ended. The numbers are those the logs and the JSON output show.
enum class EHedStatus : int32_t {
    // Until the first scan in the record ended.
    None = 0,
    Finished = 200,
    EmptyFile = 250,
    // Cancelled, or the file could not be opened or is too long for the record.
    Cancelled = 300,
};

// The two notifications of a scan. Both are called on the scanner thread.
class IHedOwner {
public:
    virtual ~IHedOwner() = default;
    // Must return quickly: a window posts it on. percent is 0 to 100.
    virtual void OnHedProgress(int percent) = 0;
    // The scanner waits until this returns, so the owner may use the record.
    virtual void OnHedFinished(EHedStatus status) = 0;
};

struct CHedThread {
    IHedOwner* m_hOwner = nullptr;
    // 1 asks the scanner to stop at its next progress report.
    std::atomic<int> m_bCancel{0};
    int32_t m_nThreadSize = 0;
    CSegmentList m_Obj;
    EHedStatus m_nStatus = EHedStatus::None;
    int32_t m_nPercent = 0;
    std::string m_strFileName;
    // Set by an owner that mapped m_strFileName already (the batch's work
    // copy): the scan reads the mapping instead of the file.
    std::shared_ptr<const CMappedFile> m_mappedFile;
    // The pieces the scan joins to their start-of-scan segment; none for an
    // owner that shows or edits every piece.
    CJoinedMarkers m_joined;
};

// Scans m_strFileName (or m_mappedFile, when set) into m_Obj. True when the scan ran to its end or
// the file was empty; false when it was cancelled, could not be opened, or is longer than the
// record's 32-bit size (never wrapped round). A read failure is no exception
// but a cancelled scan: the scan runs on its own thread. Notifies m_hOwner when set.
bool ScanJpegHeaders(CHedThread& record);

// The same scan over a copy of bytes in memory; length must fit the record's size.
bool ScanJpegBytes(CHedThread& record, const uint8_t* bytes, size_t length);

// ScanJpegHeaders over a file's bytes already read: the same statuses for an
// empty file and for one too long for the record; m_strFileName is not used.
// The segments are views of file, which must not change while they live.
bool ScanJpegFileBytes(CHedThread& record, std::shared_ptr<const ByteVector> file);

enum class EThreadPriority { Highest, Normal, Lowest };

// The priority chosen by the setting cpu: 0 highest, 1 normal, 2 lowest; any
// other value runs the scanner like every other thread.
EThreadPriority ThreadPriorityForCpu(int cpu);

// Starts scans on their own thread and joins them. The thread ends by itself
// after the finish notification; a second Start, or the destruction of the
// runner, waits for the previous one. Never start while a scan runs.
class CHedThreadRunner {
public:
    CHedThreadRunner() = default;
    CHedThreadRunner(const CHedThreadRunner&) = delete;
    CHedThreadRunner& operator=(const CHedThreadRunner&) = delete;
    ~CHedThreadRunner();

    // Prepares record for a scan of path reported to owner, reads the setting
    // cpu and starts the scanner thread at that priority.
    void Start(CHedThread& record, IHedOwner& owner, const std::string& path,
               const CSettingsStore& settings);
    // Waits until the scanner thread has ended; nothing when none was started.
    void Join();

private:
    std::thread m_thread;
};
