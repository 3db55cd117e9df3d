// The wizard's checks for its pages: each runs on the wizard's check thread,
// and its end comes back as a queued call on the window's thread. Run waits
// for that end turning the event loop without user input, so the window
// paints and shows that it is checking while the page's code goes on exactly
// as it would after an inline check: the log, the verdicts and the files are
// the same, and no button acts before the check decided.
#pragma once

#include <QObject>
#include <exception>
#include <functional>
#include <memory>

class CWizardCheckThread;
class QWidget;

// For tests: called on the check thread before each check runs, until an
// empty hook is set, so that a test can hold a check while it runs. Set it
// only while no check runs.
using WizardCheckStartedHook = std::function<void()>;
void SetWizardCheckStartedHook(WizardCheckStartedHook hook);

class CWizardCheckRun : public QObject {
    Q_OBJECT

public:
    explicit CWizardCheckRun(QObject* parent = nullptr);
    // Waits for a running check: no work file is written after this returns.
    ~CWizardCheckRun() override;
    CWizardCheckRun(const CWizardCheckRun&) = delete;
    CWizardCheckRun& operator=(const CWizardCheckRun&) = delete;

    // Runs check on the check thread and returns once it ended; what it threw
    // is thrown here, where the command runs. A progress window over
    // progressParent shows when it takes long (none with a null parent, under
    // a window of the caller's). Never while IsRunning().
    void Run(std::function<void()> check, QWidget* progressParent);
    // True from Run until the check's end was taken.
    bool IsRunning() const { return m_bRunning; }

private:
    void TakeEnd(std::exception_ptr failure);

    bool m_bRunning = false;
    std::exception_ptr m_failure;
    std::unique_ptr<CWizardCheckThread> m_pThread;
};
