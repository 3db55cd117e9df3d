// The finish page (resource 138): Finish saves the result over the
// document's file (check box 1026) or under a name chosen in the save dialog.
// A save that wrote nothing says why and keeps the page open. A result that no
// longer shows the picture is flagged, the overwrite starts unticked and is
// asked again with "No" as the default. Reached by a run that may not save
// (the editor left without a list), its Finish only ends the wizard. The
// save, which makes the result from the hex work file and copies it, runs on
// the wizard's check thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "optimise/WizardSession.h"
#include "widgets/KestrinPage.h"
#include "widgets/WizardCheckRun.h"

namespace Ui {
class CKestrinFin;
}

class CKestrinFin : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinFin(CWizardSession& session, QWidget* parent);
    ~CKestrinFin() override;

    bool IsBusy() const override { return m_check.IsRunning(); }
    void initializePage() override;
    bool validatePage() override;

private:
    bool Save();
    bool MayReplaceDocument(const std::string& target);
    // Runs save on the check thread; true when it saved and the sheet is still open.
    bool SavedOnCheckThread(const std::function<EWizardSave(CWizardSession&)>& save);

    std::unique_ptr<Ui::CKestrinFin> m_ui;
    CWizardCheckRun m_check;
};
