#include "app/ui/DlgSysLevel.h"

#include "settings/SystemSettingsModel.h"
#include "ui_DlgSysLevel.h"

namespace {

int CheckValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

CDlgSysLevel::CDlgSysLevel(CSystemSettingsModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_ui(std::make_unique<Ui::CDlgSysLevel>()) {
    m_ui->setupUi(this);
    connect(m_ui->IDC_1055, &QPushButton::clicked, this, &CDlgSysLevel::OnRestoreDefaults);
    LoadValues();
}

CDlgSysLevel::~CDlgSysLevel() = default;

void CDlgSysLevel::LoadValues() {
    const CSystemSettingsValues& values = m_model.Values();
    // A stored share outside 0..2 checks no button and is written back as it was.
    QRadioButton* const cpuButtons[] = {m_ui->IDC_1014, m_ui->IDC_1015, m_ui->IDC_1016};
    if (values.m_nCpu >= 0 && values.m_nCpu <= 2) {
        cpuButtons[values.m_nCpu]->setChecked(true);
    }
    m_ui->IDC_1041->setChecked(values.m_nJoukyuuEdit != 0);
    m_ui->IDC_1042->setChecked(values.m_nFfe0 != 0);
    m_ui->IDC_1044->setChecked(values.m_nExpChk != 0);
    m_ui->IDC_1047->setChecked(values.m_nDelExif != 0);
    m_ui->IDC_1058->setChecked(values.m_nDamage != 0);
}

void CDlgSysLevel::ApplyValues() {
    CSystemSettingsValues& values = m_model.Values();
    if (m_ui->IDC_1014->isChecked()) {
        values.m_nCpu = 0;
    } else if (m_ui->IDC_1015->isChecked()) {
        values.m_nCpu = 1;
    } else if (m_ui->IDC_1016->isChecked()) {
        values.m_nCpu = 2;
    }
    values.m_nJoukyuuEdit = CheckValue(m_ui->IDC_1041);
    values.m_nFfe0 = CheckValue(m_ui->IDC_1042);
    values.m_nExpChk = CheckValue(m_ui->IDC_1044);
    values.m_nDelExif = CheckValue(m_ui->IDC_1047);
    values.m_nDamage = CheckValue(m_ui->IDC_1058);
}

void CDlgSysLevel::OnRestoreDefaults() {
    // The damage option is kept as the user left it on the page.
    ApplyValues();
    m_model.RestoreLevelDefaults();
    LoadValues();
}
