// A window's scanner: one scan at a time on the scanner thread, with its
// progress dialog. The scanner's two notifications come back as the events
// WM_HED_PROGRESS and WM_HED_FINISHED on the interface thread. The finish is
// handled while the scanner waits, so the finish handler may use the record;
// it must not start the next scan itself (the scanner has not ended yet) but
// post that for later.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "segment/HedThread.h"
#include "widgets/ProgressDlg.h"

class CSettingsStore;
struct CHedHandshake;

// For tests: called on the scanner thread with each progress report before
// the window hears of it, until an empty hook is set, so that a test can hold
// a scan at a known point. Set it only while no scan runs.
using HedProgressHook = std::function<void(int percent)>;
void SetHedProgressHook(HedProgressHook hook);

class CHedScan : public QObject, private IHedOwner {
    Q_OBJECT

public:
    using FinishHandler = std::function<void(EHedStatus status)>;

    explicit CHedScan(FinishHandler onFinished, QObject* parent = nullptr);
    // A running scan is cancelled and its thread waited for.
    ~CHedScan() override;
    CHedScan(const CHedScan&) = delete;
    CHedScan& operator=(const CHedScan&) = delete;

    // Shows progress, its Cancel button enabled, and scans path into record
    // with the priority of the setting cpu. Never while IsRunning(). progress
    // is closed and deleted when the scan ends or this object does, unless
    // its Qt parent deleted it first.
    void Start(CHedThread& record, const std::string& path, const CSettingsStore& settings,
               std::unique_ptr<CProgressDlg> progress);
    // True from Start until the finish handler has run.
    bool IsRunning() const { return m_bRunning; }
    // The progress dialog of the running scan, or null.
    CProgressDlg* Progress() const { return m_pProgress.data(); }

protected:
    void customEvent(QEvent* event) override;

private:
    void OnHedProgress(int percent) override;
    void OnHedFinished(EHedStatus status) override;
    void HandleFinished(EHedStatus status);
    void CloseProgress();

    FinishHandler m_onFinished;
    std::shared_ptr<CHedHandshake> m_pHandshake;
    // A progress window usually has a Qt parent, which may go first: the
    // guarded pointer never deletes it twice.
    QPointer<CProgressDlg> m_pProgress;
    bool m_bRunning = false;
    CHedThread* m_pRecord = nullptr;
    CHedThreadRunner m_runner;
};
