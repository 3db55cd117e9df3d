#include "editor/ui/SegmentDataDlg.h"

#include "ui_SegmentDataDlg.h"
#include "util/MessageSink.h"
#include "util/TextHelpers.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CSegmentDataDlg::CSegmentDataDlg(const CSegmentDataFields& fields, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSegmentDataDlg>()) {
    m_ui->setupUi(this);
    m_ui->IDC_1030->setText(FromUtf8(fields.m_strPrompt));
    m_ui->IDC_1026->setText(FromUtf8(fields.m_strMarker));
    ShowReference(FromUtf8(fields.m_strReference));
    m_ui->IDC_1036->setPlainText(FromUtf8(fields.m_strData));
    m_ui->IDC_1063->setText(FromUtf8(fields.m_strSize));
    connect(m_ui->IDC_1036, &QPlainTextEdit::textChanged, this, &CSegmentDataDlg::OnDataChanged);
    connect(m_ui->IDC_1042, &QLineEdit::textChanged, this, &CSegmentDataDlg::OnToolTextChanged);
}

CSegmentDataDlg::~CSegmentDataDlg() = default;

CSegmentDataFields CSegmentDataDlg::Fields() const {
    CSegmentDataFields fields;
    fields.m_strMarker = m_ui->IDC_1026->text().toStdString();
    fields.m_strPrompt = m_ui->IDC_1030->text().toStdString();
    fields.m_strReference = m_ui->IDC_1029->text().toStdString();
    fields.m_strData = m_ui->IDC_1036->toPlainText().toStdString();
    fields.m_strSize = m_ui->IDC_1063->text().toStdString();
    return fields;
}

void CSegmentDataDlg::OnDataChanged() {
    const std::string data = m_ui->IDC_1036->toPlainText().toStdString();
    ShowReference(FromUtf8(HexToDisplayText(data)));
    m_ui->IDC_1063->setText(FromUtf8(SegmentSizeField(data)));
}

void CSegmentDataDlg::ShowReference(const QString& text) {
    m_ui->IDC_1029->setText(text);
    m_ui->IDC_1029->setCursorPosition(0);
}

void CSegmentDataDlg::OnToolTextChanged() {
    m_ui->IDC_1043->setText(FromUtf8(TypedTextToHex(m_ui->IDC_1042->text().toStdString())));
}

void CSegmentDataDlg::accept() {
    const CSegmentDataProblem problem = CheckSegmentData(Fields());
    switch (problem.m_control) {
        case ESegmentDataControl::None:
            QDialog::accept();
            return;
        case ESegmentDataControl::Marker:
            ShowMessage(problem.m_strMessage);
            m_ui->IDC_1026->setFocus();
            return;
        case ESegmentDataControl::Data:
            ShowMessage(problem.m_strMessage);
            m_ui->IDC_1036->setFocus();
            return;
    }
}
