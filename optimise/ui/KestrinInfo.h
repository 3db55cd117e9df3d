// The wizard's first page (resource 133): what the program does, nothing to choose.
#pragma once

#include <memory>

#include "widgets/KestrinPage.h"

namespace Ui {
class CKestrinInfo;
}

class CKestrinInfo : public CKestrinPage {
    Q_OBJECT

public:
    CKestrinInfo(CWizardSession& session, QWidget* parent);
    ~CKestrinInfo() override;

private:
    std::unique_ptr<Ui::CKestrinInfo> m_ui;
};
