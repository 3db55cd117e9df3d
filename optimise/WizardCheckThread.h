// The wizard's checks on a worker thread, one at a time: the copy and Exif
// cut of the work copy with its check, the optimisation with the check of its
// result, and the embedding of an Exif block with its check. Each decodes a
// whole picture, which on a large photo takes seconds the window must not
// spend.
//
// Ownership: from Start until the end handler was called, the check alone uses
// the wizard's session and its work files; the owner neither reads nor writes
// them meanwhile. Whatever the check uses must outlive the check.
#pragma once

#include <exception>
#include <functional>
#include <thread>

class CWizardCheckThread {
public:
    // Called on the worker thread when a check ended, with what it threw (or
    // null): an error in a check is the command's, and the owner throws it
    // again where the command runs. Must return quickly (a window posts it on).
    using EndHandler = std::function<void(std::exception_ptr failure)>;

    explicit CWizardCheckThread(EndHandler ended);
    // Waits for a running check: no work file is written after this returns.
    ~CWizardCheckThread();
    CWizardCheckThread(const CWizardCheckThread&) = delete;
    CWizardCheckThread& operator=(const CWizardCheckThread&) = delete;

    // Runs check on a thread of its own. Never while a check runs: the owner
    // waits for the end of one before it starts the next.
    void Start(std::function<void()> check);

private:
    void Join();

    EndHandler m_ended;
    std::thread m_thread;
};
