// The finish page (resource 138): Finish saves the result over the
// document's file (check box 1026) or under a name chosen in the save dialog.
// A save that wrote nothing says why and keeps the page open. A result that no
// longer shows the picture is flagged, the overwrite starts unticked and is
// asked again with "No" as the default. Reached by a run that may not save
// (the editor left without a list), its Finish only ends the wizard.
#pragma once

#include <memory>
#include <string>

#include "widgets/KestrinPage.h"

namespace Ui {
class CKestrinFin;
}

class CKestrinFin : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinFin(CWizardSession& session, QWidget* parent);
    ~CKestrinFin() override;

    void initializePage() override;
    bool validatePage() override;

private:
    bool Save();
    bool MayReplaceDocument(const std::string& target);

    std::unique_ptr<Ui::CKestrinFin> m_ui;
};
