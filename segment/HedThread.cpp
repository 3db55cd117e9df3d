#include "segment/HedThread.h"

#include <sys/resource.h>
#include <unistd.h>
#include <exception>
#include <limits>
#include <optional>
#include <utility>

#include "segment/SegmentScanner.h"
#include "settings/SettingsStore.h"
#include "util/FileBytes.h"
#include "util/MappedFile.h"

namespace {

// Nice steps that stand for the two raised and lowered thread priorities.
constexpr int kPriorityNiceStep = 2;

void Finish(CHedThread& record, EHedStatus status) {
    record.m_nStatus = status;
    if (record.m_hOwner != nullptr) {
        record.m_hOwner->OnHedFinished(status);
    }
}

// Linux gives each thread its own nice value. Raising the priority needs a
// privilege most users lack; the scan then simply runs at normal priority.
void ApplyToCurrentThread(EThreadPriority priority) {
    if (priority == EThreadPriority::Normal) {
        return;
    }
    const auto thread = static_cast<id_t>(::gettid());
    const int current = ::getpriority(PRIO_PROCESS, thread);
    const int step = priority == EThreadPriority::Highest ? -kPriorityNiceStep : kPriorityNiceStep;
    ::setpriority(PRIO_PROCESS, thread, current + step);
}

// The length checks of every scan; true when the scan goes ahead.
bool Scannable(CHedThread& record, size_t length) {
    ClearSegments(record.m_Obj);
    if (length > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        Finish(record, EHedStatus::Cancelled);
        return false;
    }
    if (length == 0) {
        Finish(record, EHedStatus::EmptyFile);
    }
    return length > 0;
}

template <typename File>
bool ScanShared(CHedThread& record, std::shared_ptr<const File> file) {
    record.m_nThreadSize = static_cast<int32_t>(file->size());
    CSegmentScanner scanner(
        std::move(file),
        [&record](int percent) {
            record.m_nPercent = percent;
            if (record.m_hOwner != nullptr) {
                record.m_hOwner->OnHedProgress(percent);
            }
            return record.m_bCancel.load() == 1;
        },
        record.m_joined);
    const bool completed = scanner.Run();
    record.m_Obj = scanner.Segments();
    Finish(record, completed ? EHedStatus::Finished : EHedStatus::Cancelled);
    return completed;
}

// An empty file counts as scanned; one too long for the record as cancelled.
template <typename File>
bool ScanChecked(CHedThread& record, std::shared_ptr<const File> file) {
    return Scannable(record, file->size()) ? ScanShared(record, std::move(file))
                                           : record.m_nStatus == EHedStatus::EmptyFile;
}

}  // namespace

bool ScanJpegBytes(CHedThread& record, const uint8_t* bytes, size_t length) {
    return ScanShared(record, std::make_shared<const ByteVector>(bytes, bytes + length));
}

bool ScanJpegHeaders(CHedThread& record) {
    if (record.m_mappedFile) {
        return ScanChecked(record, record.m_mappedFile);
    }
    ClearSegments(record.m_Obj);
    const std::optional<uint64_t> length = FileLength(record.m_strFileName);
    if (!length || *length > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        Finish(record, EHedStatus::Cancelled);
        return false;
    }
    std::shared_ptr<const ByteVector> bytes;
    try {
        if (std::optional<ByteVector> read = ReadFileBytes(record.m_strFileName)) {
            bytes = std::make_shared<const ByteVector>(std::move(*read));
        }
    } catch (const std::exception&) {
        // A read error or a file too large for memory: nothing was scanned.
        // This runs on the scanner thread, where no command boundary is, so
        // the failure becomes the record's status.
        bytes.reset();
    }
    if (!bytes) {
        Finish(record, EHedStatus::Cancelled);
        return false;
    }
    return ScanJpegFileBytes(record, std::move(bytes));
}

bool ScanJpegFileBytes(CHedThread& record, std::shared_ptr<const ByteVector> file) {
    return ScanChecked(record, std::move(file));
}

EThreadPriority ThreadPriorityForCpu(int cpu) {
    switch (cpu) {
        case 0:
            return EThreadPriority::Highest;
        case 2:
            return EThreadPriority::Lowest;
        default:
            return EThreadPriority::Normal;
    }
}

CHedThreadRunner::~CHedThreadRunner() {
    Join();
}

void CHedThreadRunner::Start(CHedThread& record, IHedOwner& owner, const std::string& path,
                             const CSettingsStore& settings) {
    Join();
    record.m_hOwner = &owner;
    record.m_bCancel = 0;
    record.m_strFileName = path;
    const EThreadPriority priority = ThreadPriorityForCpu(settings.Read(settings::kCpu));
    m_thread = std::thread([&record, priority] {
        ApplyToCurrentThread(priority);
        ScanJpegHeaders(record);
    });
}

void CHedThreadRunner::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
