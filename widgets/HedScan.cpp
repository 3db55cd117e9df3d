#include "widgets/HedScan.h"

#include <QCoreApplication>
#include <QEvent>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "widgets/CommandGuard.h"
#include "widgets/ScanWindowIds.h"

// The finish notification's wait: the scanner blocks until the interface
// thread has handled the event, or until the window is going away.
struct CHedHandshake {
    std::mutex mutex;
    std::condition_variable handled;
    bool bReleased = false;
    bool bAbandoned = false;
};

namespace {

QEvent::Type RegisteredType(int message) {
    return static_cast<QEvent::Type>(QEvent::registerEventType(message));
}

class CHedEvent : public QEvent {
public:
    CHedEvent(QEvent::Type type, int value) : QEvent(type), m_nValue(value) {}
    int Value() const { return m_nValue; }

    static QEvent::Type ProgressType() {
        static const QEvent::Type type = RegisteredType(scan_window_ids::WM_HED_PROGRESS);
        return type;
    }
    static QEvent::Type FinishedType() {
        static const QEvent::Type type = RegisteredType(scan_window_ids::WM_HED_FINISHED);
        return type;
    }

private:
    int m_nValue;
};

HedProgressHook& ProgressHook() {
    static HedProgressHook hook;
    return hook;
}

}  // namespace

void SetHedProgressHook(HedProgressHook hook) {
    ProgressHook() = std::move(hook);
}

CHedScan::CHedScan(FinishHandler onFinished, QObject* parent)
    : QObject(parent), m_onFinished(std::move(onFinished)) {
    // Registered here, on the interface thread, before any scanner posts one.
    CHedEvent::ProgressType();
    CHedEvent::FinishedType();
}

CHedScan::~CHedScan() {
    if (m_pHandshake) {
        const std::lock_guard lock(m_pHandshake->mutex);
        m_pHandshake->bAbandoned = true;
        m_pHandshake->handled.notify_all();
    }
    if (m_pRecord != nullptr) {
        m_pRecord->m_bCancel = 1;
    }
    m_runner.Join();
    CloseProgress();
}

void CHedScan::CloseProgress() {
    delete m_pProgress.data();
    m_pProgress = nullptr;
}

void CHedScan::Start(CHedThread& record, const std::string& path, const CSettingsStore& settings,
                     std::unique_ptr<CProgressDlg> progress) {
    CloseProgress();
    m_pProgress = progress.release();
    m_pProgress->EnableCancel(true);
    m_pProgress->SetFirstLine(QStringLiteral("JPEGﾌｧｲﾙを解析中です..."));
    m_pProgress->show();
    // The previous scanner has handled its finish and is only ending: wait
    // for it before the record is reused.
    m_runner.Join();
    m_pHandshake = std::make_shared<CHedHandshake>();
    m_pRecord = &record;
    m_bRunning = true;
    m_runner.Start(record, *this, path, settings);
}

void CHedScan::OnHedProgress(int percent) {
    if (ProgressHook()) {
        ProgressHook()(percent);
    }
    const std::lock_guard lock(m_pHandshake->mutex);
    if (!m_pHandshake->bAbandoned) {
        QCoreApplication::postEvent(this, new CHedEvent(CHedEvent::ProgressType(), percent));
    }
}

void CHedScan::OnHedFinished(EHedStatus status) {
    std::unique_lock lock(m_pHandshake->mutex);
    if (m_pHandshake->bAbandoned) {
        return;
    }
    QCoreApplication::postEvent(this,
                                new CHedEvent(CHedEvent::FinishedType(), static_cast<int>(status)));
    m_pHandshake->handled.wait(
        lock, [this] { return m_pHandshake->bReleased || m_pHandshake->bAbandoned; });
}

void CHedScan::customEvent(QEvent* event) {
    if (event->type() == CHedEvent::ProgressType()) {
        if (m_bRunning && m_pProgress) {
            m_pProgress->ShowPercent(static_cast<CHedEvent*>(event)->Value());
        }
    } else if (event->type() == CHedEvent::FinishedType()) {
        HandleFinished(static_cast<EHedStatus>(static_cast<CHedEvent*>(event)->Value()));
    } else {
        QObject::customEvent(event);
    }
}

void CHedScan::HandleFinished(EHedStatus status) {
    if (m_bRunning) {
        // Every end closes the progress window, an empty file's too: the owner
        // goes on by itself, so nothing would ever close it later.
        CloseProgress();
        RunCommandShowingError([this, status] { m_onFinished(status); });
        // Only now: a message shown by the handler runs the event loop, and a
        // new scan started from there would wait for this one for ever.
        m_bRunning = false;
    }
    const std::lock_guard lock(m_pHandshake->mutex);
    m_pHandshake->bReleased = true;
    m_pHandshake->handled.notify_all();
}
