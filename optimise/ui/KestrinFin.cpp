#include "optimise/ui/KestrinFin.h"

#include <QCheckBox>
#include <QPushButton>

#include "optimise/WizardSession.h"
#include "ui_KestrinFin.h"
#include "util/FileHelpers.h"
#include "widgets/CommandGuard.h"
#include "widgets/SaveFileDialog.h"

CKestrinFin::CKestrinFin(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent), m_ui(std::make_unique<Ui::CKestrinFin>()) {
    m_ui->setupUi(this);
    setFinalPage(true);
    connect(m_ui->IDC_1015, &QPushButton::clicked, this, [this] {
        RunCommandShowingError([this] { OpenWithAssociatedApp(Session().WorkCopyForViewing()); });
    });
}

CKestrinFin::~CKestrinFin() = default;

void CKestrinFin::initializePage() {
    SessionChanged();
}

bool CKestrinFin::validatePage() {
    bool saved = false;
    RunCommandShowingError([this, &saved] { saved = Save(); });
    return saved;
}

// A failed overwrite ends the wizard after its message; a failed or
// cancelled save under a new name keeps the page open for another try.
bool CKestrinFin::Save() {
    if (Session().IsStopped()) {
        return true;
    }
    if (m_ui->IDC_1026->isChecked()) {
        Session().SaveOverDocument();
        return true;
    }
    const std::optional<std::string> path =
        AskSaveFileName(this, Session().DocumentPath(),
                        QStringLiteral("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"), QStringLiteral("jpg"));
    return path && Session().SaveAs(*path) == EWizardSave::Saved;
}
