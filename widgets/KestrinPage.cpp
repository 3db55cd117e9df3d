#include "widgets/KestrinPage.h"

#include <QWizard>

#include "optimise/WizardSession.h"

CKestrinPage::CKestrinPage(CWizardSession& session, QWidget* parent)
    : QWizardPage(parent), m_session(session) {}

int CKestrinPage::nextId() const {
    return m_session.IsStopped() ? -1 : QWizardPage::nextId();
}

void CKestrinPage::SetResourceId(int resource) {
    setObjectName(QStringLiteral("IDD_%1").arg(resource));
}

void CKestrinPage::SessionChanged() {
    // The editor's page can send a run here stopped and, after Back and an
    // undo, again with a list: the caption follows the session both ways.
    setButtonText(QWizard::FinishButton, m_session.IsStopped() ? QStringLiteral("ｳｨｻﾞｰﾄﾞを中止")
                                                               : QString::fromUtf8(kFinishCaption));
    emit completeChanged();
}

bool CKestrinPage::SheetClosed() const {
    return wizard() != nullptr && !wizard()->isVisible();
}
