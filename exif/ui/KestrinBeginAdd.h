// The first page of the Exif embedding (resource 206): the copy of the
// document's file stripped of what the picture does not need, ready for the
// block to go in.
#pragma once

#include "widgets/WorkCopyPage.h"

class CKestrinBeginAdd : public CWorkCopyPage {
    Q_OBJECT

public:
    CKestrinBeginAdd(CWizardSession& session, QWidget* parent);

    // Back to the selection page, for another choice, once the scan ended.
    bool MayGoBack() const override;
};
