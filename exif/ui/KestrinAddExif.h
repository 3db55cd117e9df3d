// The second page of the Exif embedding (resource 205): the .exif file to
// embed. Next embeds it and checks the picture; a failure is told and the
// page stays.
#pragma once

#include <memory>

#include "widgets/KestrinPage.h"

namespace Ui {
class CKestrinAddExif;
}

class CKestrinAddExif : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinAddExif(CWizardSession& session, QWidget* parent);
    ~CKestrinAddExif() override;

    bool isComplete() const override;
    bool validatePage() override;

private:
    void OnChooseFile();
    bool Embed();

    std::unique_ptr<Ui::CKestrinAddExif> m_ui;
};
