// The expert page of the wizard (resource 137): the marker segments of the
// document's file in a list, with commands that delete, zero, add and edit
// segments, undo and redo, and an icon that shows while the rebuilt work copy
// still shows the document's picture. It works on the session's work copy
// only; the wizard's finish page saves it from the hex work file.
//
// initializePage makes the work copy through the session, on the wizard's
// check thread, and starts the scan; leaving the page with Next hands the
// edited copy to the session. Every command runs under the command guard: a
// file the system refuses to write shows its message and the page goes on.
// The rebuild and check after each edit runs on the editor's check thread;
// whatever reads or writes the work files (Next, showing the result, a new
// scan, the page's end) waits for it.
#pragma once

#include <memory>

#include "editor/MarkerEditor.h"
#include "widgets/KestrinPage.h"
#include "widgets/WizardCheckRun.h"

namespace Ui {
class CKestrinFF;
}

class CEditorCheckRun;
class CHedScan;
class CSegmentRowModel;
class QMenu;

class CKestrinFF : public CKestrinPage {
    Q_OBJECT

public:
    // The session (its record, work files, settings, kept-header codes and
    // document) must outlive the page.
    CKestrinFF(CWizardSession& session, QWidget* parent);
    ~CKestrinFF() override;

    bool IsBusy() const override { return m_bBusy || m_copyRun.IsRunning(); }
    bool MayGoBack() const override { return false; }
    // The finish page follows even a stopped run: there Finish only ends it.
    int nextId() const override { return QWizardPage::nextId(); }
    // The list differs from the file as scanned.
    bool HasUnsavedWork() const override;
    CMarkerEditor& Editor() { return m_editor; }
    // The list's popup menu with its items enabled for the present state. It
    // has no Qt parent: the caller alone owns it.
    std::unique_ptr<QMenu> BuildPopupMenu();
    void ShowPopupMenu(const QPoint& at);
    void ShowPopupMenuFromKeyboard();

    void initializePage() override;
    void cleanupPage() override;
    bool isComplete() const override;
    bool validatePage() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Command = void (CKestrinFF::*)();

    void SetUpList();
    void ConnectCommands();
    void StartScan();
    // Until the editor has the answer for the list on show.
    void WaitForCheck();
    void OnScanFinished(EHedStatus status);
    void UpdateControls();
    int SelectedRow() const;
    bool HandleListKey(int key, bool control);
    // Runs command under the guard: no exception leaves it.
    void RunCommand(Command command);

    void OnZero();
    void OnDelete();
    void OnAdd();
    void OnEdit();
    void OnUndo();
    void OnRedo();
    void OnReset();
    void OnRemoveProprietary();
    void OnFillRows();
    void OnRedraw();
    void OnShowResult();
    void OnShowAll(bool checked);

    std::unique_ptr<Ui::CKestrinFF> m_ui;
    CMarkerEditor m_editor;
    // Owns the work files while a check runs; goes before the editor it
    // answers, waiting for that check.
    std::unique_ptr<CEditorCheckRun> m_pCheckRun;
    // Declared after the editor, so it goes first: it unregisters from the
    // editor as it ends. The list view only borrows it.
    std::unique_ptr<CSegmentRowModel> m_pModel;
    std::unique_ptr<CHedScan> m_pScan;
    // From the start of the scan until its end was handled.
    bool m_bBusy = false;
    size_t m_nExifPosition = 0;
    // Makes the work copy; goes first, waiting for a copy under way.
    CWizardCheckRun m_copyRun;
};
