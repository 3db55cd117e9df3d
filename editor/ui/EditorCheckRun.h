// The marker editor's checks for a window: each runs on the editor's check
// thread while the window goes on, and its answer comes back as a queued call
// on the window's thread, where the editor takes it under the command guard
// (an answer for an older list is dropped there). Waiting for the answer turns
// the event loop without user input, with the progress window when it takes
// long, so nothing reads or saves the work files before they are checked.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class CEditorCheckThread;
class CMarkerEditor;
struct CEditorCheckAnswer;
class QWidget;

// For tests: called on the check thread with each answer, before the window
// hears of it, until an empty hook is set, so that a test can hold
// answers back. Set it only while no check runs.
using EditorCheckAnsweredHook = std::function<void()>;
void SetEditorCheckAnsweredHook(EditorCheckAnsweredHook hook);

class CEditorCheckRun : public QObject {
    Q_OBJECT

public:
    // Becomes editor's checker; editor must outlive this object.
    explicit CEditorCheckRun(CMarkerEditor& editor, QObject* parent = nullptr);
    // Gives the editor back its inline checks and waits for a running check:
    // no work file is written after this returns.
    ~CEditorCheckRun() override;
    CEditorCheckRun(const CEditorCheckRun&) = delete;
    CEditorCheckRun& operator=(const CEditorCheckRun&) = delete;

    // Returns once the editor has the answer for its list. A progress window
    // over parent shows when the wait passes a moment.
    void WaitForAnswer(QWidget* parent);

signals:
    // An answer was handed to the editor, current or not.
    void AnswerTaken();

private:
    void TakeAnswer(const CEditorCheckAnswer& answer);

    CMarkerEditor& m_editor;
    std::unique_ptr<CEditorCheckThread> m_pThread;
};
