#include "segment/ui/HeaderEditDlg.h"

#include "ui_HeaderEditDlg.h"

CHeaderEditDlg::CHeaderEditDlg(const QString& prompt, const CKeptHeaderRow& row, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CHeaderEditDlg>()) {
    m_ui->setupUi(this);
    m_ui->IDC_1030->setText(prompt);
    m_ui->IDC_1026->setText(QString::fromStdString(row.m_strCode));
    m_ui->IDC_1029->setText(QString::fromStdString(row.m_strDescription));
}

CHeaderEditDlg::~CHeaderEditDlg() = default;

CKeptHeaderRow CHeaderEditDlg::Row() const {
    return CKeptHeaderRow{m_ui->IDC_1026->text().toStdString(),
                          m_ui->IDC_1029->text().toStdString()};
}
