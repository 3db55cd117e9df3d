#include "editor/EditorCheckThread.h"

#include <utility>

CEditorCheckThread::CEditorCheckThread(AnswerHandler answered)
    : m_answered(std::move(answered)), m_thread([this] { Run(); }) {}

CEditorCheckThread::~CEditorCheckThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_bStopping = true;
        m_queued.reset();
    }
    m_wake.notify_one();
    m_thread.join();
}

// The copy is made outside the lock, into a list the worker no longer
// holds: a queued check not started yet gives its copy back.
void CEditorCheckThread::Submit(const CEditorCheckRequest& request, const CSegmentList& list) {
    CSegmentList copy;
    {
        const std::lock_guard lock(m_mutex);
        copy = std::move(m_queued ? m_queued->list : m_spare);
        m_queued.reset();
    }
    copy = list;
    {
        const std::lock_guard lock(m_mutex);
        m_queued = CQueued{request, std::move(copy)};
    }
    m_wake.notify_one();
}

// The list is checked, and freed, outside the lock: Submit never waits for a
// decode.
void CEditorCheckThread::Run() {
    while (std::optional<CQueued> check = NextCheck()) {
        m_answered(RunEditorCheck(check->request, check->list));
        Recycle(std::move(check->list));
    }
}

void CEditorCheckThread::Recycle(CSegmentList done) {
    const std::lock_guard lock(m_mutex);
    std::swap(m_spare, done);
}

std::optional<CEditorCheckThread::CQueued> CEditorCheckThread::NextCheck() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_bStopping || m_queued; });
    if (m_bStopping) {
        return std::nullopt;
    }
    return std::exchange(m_queued, std::nullopt);
}
