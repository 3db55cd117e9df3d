// The last page of the Exif embedding (resource 142): the values of the
// embedded block as the work copy now carries them.
#pragma once

#include <memory>

#include "widgets/KestrinPage.h"

namespace Ui {
class CKestrinExif;
}

class CKestrinExif : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinExif(CWizardSession& session, QWidget* parent);
    ~CKestrinExif() override;

    void initializePage() override;

private:
    std::unique_ptr<Ui::CKestrinExif> m_ui;
};
