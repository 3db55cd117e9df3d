// The marker editor's checks on a worker thread of their own, one at a time.
//
// Ownership of the work files: from a Submit until the answer of the latest
// list was handed over, the worker alone writes the hex work file and the work
// copy; the owner neither reads nor writes them meanwhile (it waits first). A
// check that is queued and not yet started is replaced by a newer Submit: only
// the latest list is checked after the running one. The worker owns its copy
// of each list; the work files' paths and the reference picture must outlive
// this object.
//
// A list of a large file holds tens of thousands of pieces of picture data:
// copying it anew and freeing it after each check cost more than the whole
// budget of an edit. The copies are kept and assigned over instead, so their
// pieces keep their memory from one edit to the next.
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

    // Copies list over a kept copy; called from one thread only.
    void Submit(const CEditorCheckRequest& request, const CSegmentList& list) override;

private:
    struct CQueued {
        CEditorCheckRequest request;
        CSegmentList list;
    };
    void Run();
    // The queued check, once there is one; nothing when stopping.
    std::optional<CQueued> NextCheck();
    // Keeps a checked list's copy as the spare.
    void Recycle(CSegmentList done);

    AnswerHandler m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<CQueued> m_queued;
    // A copy done with, for the next Submit to assign over.
    CSegmentList m_spare;
    bool m_bStopping = false;
    // Last: it starts when everything it uses is there.
    std::thread m_thread;
};
