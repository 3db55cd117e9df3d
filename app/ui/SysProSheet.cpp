#include "app/ui/SysProSheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/DlgSysExif.h"
#include "app/ui/DlgSysKeep.h"
#include "app/ui/DlgSysLevel.h"
#include "app/ui/SettingsIds.h"
#include "settings/SettingsStore.h"

namespace {

QString ControlName(int id) {
    return QStringLiteral("IDC_%1").arg(id);
}

}  // namespace

CSysProSeet::CSysProSeet(CSettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    m_model.Load(m_settings);
    setWindowTitle(QStringLiteral("KestrinJPEG設定"));

    m_pTabs = new QTabWidget(this);
    m_pLevelPage = new CDlgSysLevel(m_model, m_pTabs);
    m_pExifPage = new CDlgSysExif(m_model, m_pTabs);
    m_pKeepPage = new CDlgSysKeep(m_model, m_pTabs);
    m_pTabs->addTab(m_pLevelPage, m_pLevelPage->windowTitle());
    m_pTabs->addTab(m_pExifPage, m_pExifPage->windowTitle());
    m_pTabs->addTab(m_pKeepPage, m_pKeepPage->windowTitle());
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CSysProSeet::OnPageChanged);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setText(QStringLiteral("OK"));
    ok->setObjectName(ControlName(settings_ids::IDOK));
    cancel->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    cancel->setObjectName(ControlName(settings_ids::IDCANCEL));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSysProSeet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSysProSeet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CSysProSeet::accept() {
    if (m_pTabs->currentWidget() == m_pExifPage && !m_pExifPage->CanLeave()) {
        return;
    }
    m_pLevelPage->ApplyValues();
    m_pExifPage->ApplyValues();
    m_pKeepPage->ApplyValues();
    m_model.Save(m_settings);
    QDialog::accept();
}

// A tab change has already happened when this runs: the batch page is shown
// again while its checks ask, and stays when they refuse.
void CSysProSeet::OnPageChanged(int index) {
    if (m_pTabs->widget(m_nShownPage) == m_pExifPage && m_pTabs->widget(index) != m_pExifPage) {
        const QSignalBlocker blocker(m_pTabs);
        m_pTabs->setCurrentIndex(m_nShownPage);
        if (!m_pExifPage->CanLeave()) {
            return;
        }
        m_pTabs->setCurrentIndex(index);
    }
    m_nShownPage = index;
}
