// The automatic optimisation page (resource 201).
#pragma once

#include "widgets/WorkCopyPage.h"

class CKestrinAuto : public CWorkCopyPage {
    Q_OBJECT

public:
    CKestrinAuto(CWizardSession& session, QWidget* parent);
};
