#include "app/ui/DlgSysKeep.h"

#include "settings/SystemSettingsModel.h"
#include "ui_DlgSysKeep.h"

namespace {

int CheckValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

CDlgSysKeep::CDlgSysKeep(CSystemSettingsModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_ui(std::make_unique<Ui::CDlgSysKeep>()) {
    m_ui->setupUi(this);
    connect(m_ui->IDC_1055, &QPushButton::clicked, this, &CDlgSysKeep::OnRestoreDefaults);
    LoadValues();
}

CDlgSysKeep::~CDlgSysKeep() = default;

void CDlgSysKeep::LoadValues() {
    const CSystemSettingsValues& values = m_model.Values();
    m_ui->IDC_1068->setChecked(values.m_nKeepIcc != 0);
    m_ui->IDC_1069->setChecked(values.m_nKeepOrientation != 0);
    m_ui->IDC_1070->setChecked(values.m_nKeepMotion != 0);
}

void CDlgSysKeep::ApplyValues() {
    CSystemSettingsValues& values = m_model.Values();
    values.m_nKeepIcc = CheckValue(m_ui->IDC_1068);
    values.m_nKeepOrientation = CheckValue(m_ui->IDC_1069);
    values.m_nKeepMotion = CheckValue(m_ui->IDC_1070);
}

void CDlgSysKeep::OnRestoreDefaults() {
    m_model.RestoreKeepDefaults();
    LoadValues();
}
