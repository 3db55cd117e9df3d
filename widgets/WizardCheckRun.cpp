#include "widgets/WizardCheckRun.h"

#include <utility>

#include "optimise/WizardCheckThread.h"
#include "widgets/CheckWait.h"

namespace {

WizardCheckStartedHook& StartedHook() {
    static WizardCheckStartedHook hook;
    return hook;
}

}  // namespace

void SetWizardCheckStartedHook(WizardCheckStartedHook hook) {
    StartedHook() = std::move(hook);
}

CWizardCheckRun::CWizardCheckRun(QObject* parent) : QObject(parent) {
    // The worker only posts: the end is taken on this object's thread.
    m_pThread = std::make_unique<CWizardCheckThread>([this](std::exception_ptr failure) {
        QMetaObject::invokeMethod(
            this, [this, failure] { TakeEnd(failure); }, Qt::QueuedConnection);
    });
}

// The thread goes while this object is whole: the end it posts on its way out
// still finds its receiver, and goes with it.
CWizardCheckRun::~CWizardCheckRun() {
    m_pThread.reset();
}

void CWizardCheckRun::TakeEnd(std::exception_ptr failure) {
    m_failure = std::move(failure);
    m_bRunning = false;
}

void CWizardCheckRun::Run(std::function<void()> check, QWidget* progressParent) {
    m_bRunning = true;
    m_failure = nullptr;
    m_pThread->Start([check = std::move(check)] {
        if (StartedHook()) {
            StartedHook()();
        }
        check();
    });
    WaitForCheck(progressParent, [this] { return m_bRunning; });
    if (m_failure) {
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    }
}
