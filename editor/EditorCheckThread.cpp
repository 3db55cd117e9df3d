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

void CEditorCheckThread::Submit(const CEditorCheckRequest& request, const CSegmentList& list) {
    {
        const std::lock_guard lock(m_mutex);
        m_queued = CQueued{request, &list};
    }
    m_wake.notify_one();
}

// The list is read under its own lock, never under the queue's: Submit never
// waits for a check.
void CEditorCheckThread::Run() {
    while (std::optional<CQueued> check = NextCheck()) {
        m_answered(RunEditorCheck(check->request, *check->list, &m_listMutex));
    }
}

std::optional<CEditorCheckThread::CQueued> CEditorCheckThread::NextCheck() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_bStopping || m_queued; });
    if (m_bStopping) {
        return std::nullopt;
    }
    return std::exchange(m_queued, std::nullopt);
}
