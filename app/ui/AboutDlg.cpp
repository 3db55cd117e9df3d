#include "app/ui/AboutDlg.h"

#include "ui_AboutDlg.h"
#include "util/Version.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    m_ui->IDC_1000->setText(
        QStringLiteral("%1 ﾊﾞｰｼﾞｮﾝ %2")
            .arg(QString::fromLatin1(kProgramTitle), QString::fromLatin1(kProgramVersion)));
}

CAboutDlg::~CAboutDlg() = default;
