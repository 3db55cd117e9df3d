// The second page of the Exif embedding (resource 205): the .exif file to
// embed. Next embeds it and checks the picture on the wizard's check thread;
// a failure is told and the page stays.
#pragma once

#include <memory>

#include "widgets/KestrinPage.h"
#include "widgets/WizardCheckRun.h"

namespace Ui {
class CKestrinAddExif;
}

class CKestrinAddExif : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinAddExif(CWizardSession& session, QWidget* parent);
    ~CKestrinAddExif() override;

    bool IsBusy() const override { return m_check.IsRunning(); }
    bool isComplete() const override;
    bool validatePage() override;

private:
    void OnChooseFile();
    bool Embed();

    std::unique_ptr<Ui::CKestrinAddExif> m_ui;
    CWizardCheckRun m_check;
};
