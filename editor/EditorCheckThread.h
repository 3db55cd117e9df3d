// The marker editor's checks on a worker thread of their own, one at a time.
//
// Ownership of the work files: from a Submit until the answer of the latest
// list was handed over, the worker alone writes the hex work file and the work
// copy; the owner neither reads nor writes them meanwhile (it waits first). A
// check that is queued and not yet started is replaced by a newer Submit: only
// the latest list is checked after the running one. The worker owns its copy
// of each list; the work files' paths and the reference picture must outlive
// this object.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "editor/EditorCheck.h"

class CEditorCheckThread : public IEditorChecker {
public:
    using AnswerHandler = std::function<void(CEditorCheckAnswer answer)>;
    // answered gets each answer on the worker thread, in the order of the
    // checks; it must return quickly (a window posts it on) and must not
    // call back.
    explicit CEditorCheckThread(AnswerHandler answered);
    // Drops a queued check and waits for the running one.
    ~CEditorCheckThread() override;
    CEditorCheckThread(const CEditorCheckThread&) = delete;
    CEditorCheckThread& operator=(const CEditorCheckThread&) = delete;

    void Submit(const CEditorCheckRequest& request, CSegmentList list) override;

private:
    struct CQueued {
        CEditorCheckRequest request;
        CSegmentList list;
    };
    void Run();
    // The queued check, once there is one; nothing when stopping.
    std::optional<CQueued> NextCheck();

    AnswerHandler m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<CQueued> m_queued;
    bool m_bStopping = false;
    // Last: it starts when everything it uses is there.
    std::thread m_thread;
};
