#include "editor/ui/EditorCheckRun.h"

#include <QEventLoop>
#include <QTimer>
#include <utility>

#include "editor/EditorCheckThread.h"
#include "editor/MarkerEditor.h"
#include "widgets/CommandGuard.h"
#include "widgets/ProgressDlg.h"

namespace {

const char kChecking[] = "JPEGの読込を確認中です...";
// A wait shorter than this shows no window that would only flash.
constexpr int kProgressAfterMs = 300;

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
    if (!m_editor.CheckPending()) {
        return;
    }
    std::unique_ptr<CProgressDlg> progress;
    QEventLoop loop;
    QTimer::singleShot(kProgressAfterMs, &loop, [&progress, parent] {
        progress = std::make_unique<CProgressDlg>(QString::fromUtf8(kChecking), parent);
        progress->show();
    });
    connect(this, &CEditorCheckRun::AnswerTaken, &loop, &QEventLoop::quit);
    // Clicks and keys wait in the queue: nothing may change the list or
    // leave the page before the answer.
    while (m_editor.CheckPending()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}
