#include "optimise/WizardCheckThread.h"

#include <utility>

CWizardCheckThread::CWizardCheckThread(EndHandler ended) : m_ended(std::move(ended)) {}

CWizardCheckThread::~CWizardCheckThread() {
    Join();
}

void CWizardCheckThread::Start(std::function<void()> check) {
    // The previous check has reported its end and is only ending.
    Join();
    m_thread = std::thread([this, check = std::move(check)] {
        // Nothing may leave a thread's function: it would end the program.
        std::exception_ptr failure;
        try {
            check();
        } catch (...) {
            failure = std::current_exception();
        }
        m_ended(failure);
    });
}

void CWizardCheckThread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
