#include "app/ui/DlgSysExif.h"

#include <QPushButton>

#include "settings/SettingsValues.h"
#include "settings/SystemSettingsModel.h"
#include "ui_DlgSysExif.h"

namespace {

const char kEmptyNameQuestion[] =
    "最適化後に作成するﾌｧｲﾙを空白にすると、処理後、同じﾌｧｲﾙに上書きします。"
    "本当に上書き設定にしてよろしいですか？";
const char kForbiddenCharacters[] =
    "Windowsでは、\\/:,;*?\"<>|　をﾌｧｲﾙ名に使うことは禁止されています";

QMessageBox::StandardButton AskWithMessageBox(QWidget* parent, const QString& text,
                                              QMessageBox::StandardButtons buttons) {
    const bool question = buttons.testFlag(QMessageBox::Yes);
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning,
                    QStringLiteral("KestrinJPEG"), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (question) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int CheckValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

CDlgSysExif::CDlgSysExif(CSystemSettingsModel& model, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_ui(std::make_unique<Ui::CDlgSysExif>()),
      m_fnAsk([this](const QString& text, QMessageBox::StandardButtons buttons) {
          return AskWithMessageBox(this, text, buttons);
      }) {
    m_ui->setupUi(this);
    connect(m_ui->IDC_1053, &QCheckBox::clicked, this, &CDlgSysExif::OnSaveExifClicked);
    connect(m_ui->IDC_1055, &QPushButton::clicked, this, &CDlgSysExif::OnRestoreDefaults);
    LoadValues();
}

CDlgSysExif::~CDlgSysExif() = default;

void CDlgSysExif::LoadValues() {
    const CSystemSettingsValues& values = m_model.Values();
    m_ui->IDC_1005->setText(QString::fromStdString(values.m_strFileName));
    m_ui->IDC_1006->setText(QString::fromStdString(values.m_strExifName));
    m_ui->IDC_1053->setChecked(values.m_nSaveExif != 0);
    m_ui->IDC_1054->setChecked(values.m_nOverwrite != 0);
    UpdateEnabling();
}

void CDlgSysExif::ApplyValues() {
    CSystemSettingsValues& values = m_model.Values();
    values.m_strFileName = m_ui->IDC_1005->text().toStdString();
    values.m_strExifName = m_ui->IDC_1006->text().toStdString();
    values.m_nSaveExif = CheckValue(m_ui->IDC_1053);
    values.m_nOverwrite = CheckValue(m_ui->IDC_1054);
}

bool CDlgSysExif::CanLeave() {
    ApplyValues();
    switch (m_model.CheckFileName()) {
        case EFileNameCheck::EmptyOverwrites:
            return m_fnAsk(QString::fromUtf8(kEmptyNameQuestion),
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        case EFileNameCheck::ForbiddenCharacter:
            m_fnAsk(QString::fromUtf8(kForbiddenCharacters), QMessageBox::Ok);
            m_ui->IDC_1005->setFocus();
            return false;
        case EFileNameCheck::Accepted:
            break;
    }
    if (!settings::IsValidNamePart(m_model.Values().m_strExifName)) {
        m_fnAsk(QString::fromUtf8(kForbiddenCharacters), QMessageBox::Ok);
        m_ui->IDC_1006->setFocus();
        return false;
    }
    return true;
}

void CDlgSysExif::OnSaveExifClicked() {
    ApplyValues();
    UpdateEnabling();
}

void CDlgSysExif::OnRestoreDefaults() {
    m_model.RestoreBatchDefaults();
    LoadValues();
}

// The same rule holds when the page opens, so that an Exif name is never
// editable while no backup is saved.
void CDlgSysExif::UpdateEnabling() {
    const bool backupOn = m_model.IsExifBackupOn();
    m_ui->IDC_1006->setEnabled(backupOn);
    m_ui->IDC_1054->setEnabled(backupOn);
}
