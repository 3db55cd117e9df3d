// The marker editor's checks on a worker thread of their own, one at a time.
//
// Ownership of the work files: from a Submit until the answer of the latest
// list was handed over, the worker alone writes the hex work file and the work
// copy; the owner neither reads nor writes them meanwhile (it waits first). A
// check that is queued and not yet started is replaced by a newer Submit: only
// the latest list is checked after the running one. The work files' paths,
// the reference picture and the submitted list must outlive this object.
//
// A list of a large file holds over a hundred thousand pieces of picture
// data, and a copy of it for each edit was most of what an edit cost the
// window's thread. So Submit copies nothing: the worker reads the owner's list
// itself, under the list lock, into the bytes the check needs. An edit waits
// for that lock only when it comes while the worker is reading.
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

    // Called from one thread only, the one that changes list.
    void Submit(const CEditorCheckRequest& request, const CSegmentList& list) override;
    std::unique_lock<std::mutex> LockList() override { return std::unique_lock(m_listMutex); }

private:
    struct CQueued {
        CEditorCheckRequest request;
        const CSegmentList* list;
    };
    void Run();
    // The queued check, once there is one; nothing when stopping.
    std::optional<CQueued> NextCheck();

    AnswerHandler m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<CQueued> m_queued;
    bool m_bStopping = false;
    // Held by the worker while it reads a list, and by the list's owner while
    // it changes it.
    std::mutex m_listMutex;
    // Last: it starts when everything it uses is there.
    std::thread m_thread;
};
