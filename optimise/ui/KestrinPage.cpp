#include "optimise/ui/KestrinPage.h"

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
    if (m_session.IsStopped()) {
        setButtonText(QWizard::FinishButton, QStringLiteral("ｳｨｻﾞｰﾄﾞを中止"));
    }
    emit completeChanged();
}
