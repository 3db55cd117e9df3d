// What every page of the wizard sheet shares: the sheet's session, the rule
// that a stopped run only ends (Finish reads "ｳｨｻﾞｰﾄﾞを中止" and no later page
// follows), and three answers the sheet asks for: may Back be used, is a
// scan or a check running (Next and Cancel are then refused), and would
// leaving drop work of the user.
#pragma once

#include <QWizardPage>

class CWizardSession;

// The caption of Finish where it saves, whatever translation of Qt is installed.
inline constexpr char kFinishCaption[] = "完了(&F)";

class CKestrinPage : public QWizardPage {
    Q_OBJECT

public:
    CKestrinPage(CWizardSession& session, QWidget* parent);

    virtual bool MayGoBack() const { return true; }
    virtual bool IsBusy() const { return false; }
    // Work of the user on this page that leaving the wizard would drop.
    virtual bool HasUnsavedWork() const { return false; }
    int nextId() const override;

protected:
    CWizardSession& Session() const { return m_session; }
    // Names the page IDD_<resource> once its layout set a name of its own.
    void SetResourceId(int resource);
    // After the session changed: the sheet looks at the buttons again.
    void SessionChanged();
    // The sheet was closed while a check ran, which only ended now: what
    // would follow the check (a question, a scan, a message) is not wanted.
    bool SheetClosed() const;

private:
    CWizardSession& m_session;
};
