#include "widgets/ProgressDlg.h"

#include <QStyle>

#include "ui_ProgressDlg.h"
#include "widgets/ScanWindowIds.h"

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CProgressDlg>()) {
    m_ui->setupUi(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    m_ui->iconProgram->setPixmap(
        style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(iconSize, iconSize));
    m_ui->iconWork->setPixmap(
        style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(iconSize, iconSize));
    m_ui->IDC_1000->setRange(0, 100);
}

CProgressDlg::CProgressDlg(CHedThread& record, QWidget* parent) : CProgressDlg(parent) {
    m_pRecord = &record;
    m_ui->IDC_1004->setText(QStringLiteral("0％　終了しました..."));
    connect(m_ui->IDC_2, &QPushButton::clicked, this, [this] { m_pRecord->m_bCancel = 1; });
}

// Such work ends by itself and the window under it goes on: the keyboard
// stays where the user left it.
CProgressDlg::CProgressDlg(const QString& firstLine, QWidget* parent) : CProgressDlg(parent) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    SetFirstLine(firstLine);
    EnableCancel(false);
    m_ui->IDC_1000->setRange(0, 0);
    m_ui->IDC_1004->clear();
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::SetFirstLine(const QString& text) {
    m_ui->IDC_1003->setText(text);
}

void CProgressDlg::EnableCancel(bool enabled) {
    m_ui->IDC_2->setEnabled(enabled);
}

void CProgressDlg::ShowPercent(int percent) {
    if (percent > 80) {
        EnableCancel(false);
    }
    m_ui->IDC_1000->setValue(percent);
    m_ui->IDC_1004->setText(QStringLiteral("%1％　終了しました...").arg(percent));
    update();
}

void CProgressDlg::reject() {
    if (m_ui->IDC_2->isEnabled()) {
        m_ui->IDC_2->click();
    }
}

CBatchProgressDlg::CBatchProgressDlg(CHedThread& record, QWidget* parent)
    : CProgressDlg(record, parent) {
    setObjectName(QStringLiteral("IDD_%1").arg(scan_window_ids::IDD_BATCH_PROGRESS));
}
