// The wizard sheet: an introduction, the choice of a wizard, then the pages
// of the chosen one, ending on the finish page that saves the result. The
// pages keep their state in the session; the sheet only orders them and
// enforces the rules every page shares: Back only where the page allows it,
// Next and Cancel refused with "計算中です！" while a scan or a check runs, a
// question before Esc, Cancel or the close box drops edits or a result not
// saved, and a stopped run that ends on Finish without saving.
#pragma once

#include <QWizard>

#include "optimise/WizardSession.h"

class CKestrinPage;

class CKestrinProSeet : public QWizard {
    Q_OBJECT

public:
    // The session must outlive the sheet.
    CKestrinProSeet(CWizardSession& session, QWidget* parent);

    // The pages of path after the selection page, in place of those of an
    // earlier choice: choosing again after going Back starts that wizard anew.
    void AddPagesFor(EWizardPath path);

    void done(int result) override;
    void reject() override;
    bool validateCurrentPage() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The introduction and the selection come first; the chosen wizard's
    // pages follow from kFirstChosenPage on.
    enum : int { kInfoPage = 0, kSelectionPage = 1, kFirstChosenPage = 2 };

    void AddPage(int id, QWizardPage* page);
    QSize LargestPageSize();
    void ApplyPageRules();
    CKestrinPage* CurrentPage() const;
    // A scan or a check runs; a check for a page starts while the sheet
    // switches to it, once it is the current page.
    bool CurrentPageIsBusy() const;
    // Edits on a page, or a result of this run that was not saved.
    bool HasUnsavedWork() const;

    CWizardSession& m_session;
    const QSize m_pageSize;
};
