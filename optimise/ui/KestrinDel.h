// The selection page (resource 136): which wizard follows. Its Next hands
// the choice to the sheet, which adds that wizard's pages.
#pragma once

#include <functional>
#include <memory>

#include "optimise/WizardSession.h"
#include "widgets/KestrinPage.h"

namespace Ui {
class CKestrinDel;
}

class CKestrinDel : public CKestrinPage {
    Q_OBJECT

public:
    using ChoiceHandler = std::function<void(EWizardPath)>;

    // nextPage: the id the sheet gives the first page of a chosen wizard.
    CKestrinDel(CWizardSession& session, ChoiceHandler onChosen, int nextPage, QWidget* parent);
    ~CKestrinDel() override;

    bool validatePage() override;
    // The chosen wizard's pages only exist once Next was pressed; until then
    // the page still leads somewhere, so Next and not Finish is offered.
    int nextId() const override { return m_nNextPage; }
    EWizardPath Choice() const;

private:
    std::unique_ptr<Ui::CKestrinDel> m_ui;
    ChoiceHandler m_onChosen;
    int m_nNextPage;
};
