#include "editor/ui/EditorCheckRun.h"

#include <utility>

#include "editor/EditorCheckThread.h"
#include "editor/MarkerEditor.h"
#include "widgets/CheckWait.h"
#include "widgets/CommandGuard.h"

namespace {

EditorCheckAnsweredHook& AnsweredHook() {
    static EditorCheckAnsweredHook hook;
    return hook;
}

}  // namespace

void SetEditorCheckAnsweredHook(EditorCheckAnsweredHook hook) {
    AnsweredHook() = std::move(hook);
}

CEditorCheckRun::CEditorCheckRun(CMarkerEditor& editor, QObject* parent)
    : QObject(parent), m_editor(editor) {
    // The worker only posts: the answer is taken on this object's thread.
    m_pThread = std::make_unique<CEditorCheckThread>([this](CEditorCheckAnswer answer) {
        if (AnsweredHook()) {
            AnsweredHook()();
        }
        QMetaObject::invokeMethod(
            this, [this, answer = std::move(answer)] { TakeAnswer(answer); }, Qt::QueuedConnection);
    });
    m_editor.SetChecker(m_pThread.get());
}

// The thread goes while this object is whole: a post it makes on its way out
// still finds its receiver, which drops it.
CEditorCheckRun::~CEditorCheckRun() {
    m_editor.SetChecker(nullptr);
    m_pThread.reset();
}

void CEditorCheckRun::TakeAnswer(const CEditorCheckAnswer& answer) {
    RunCommandShowingError([this, &answer] { m_editor.TakeCheckAnswer(answer); });
    emit AnswerTaken();
}

void CEditorCheckRun::WaitForAnswer(QWidget* parent) {
    WaitForCheck(parent, [this] { return m_editor.CheckPending(); });
}
