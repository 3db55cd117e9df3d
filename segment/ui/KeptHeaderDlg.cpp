#include "segment/ui/KeptHeaderDlg.h"

#include <QIcon>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidgetItem>

#include "segment/ui/HeaderEditDlg.h"
#include "ui_KeptHeaderDlg.h"
#include "util/FileError.h"

namespace {

const char kNewPrompt[] = "新しいJPGﾍｯﾀﾞを追加して下さい";
const char kChangePrompt[] = "JPGﾍｯﾀﾞを編集して下さい";
const char kDuplicateCode[] = "同じ名前ですでに登録されています。";
const char kNoSelection[] = "文字列が選択されていません。";

QMessageBox::StandardButton AskWithMessageBox(QWidget* parent, const QString& text,
                                              QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("KestrinJPEG"), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

CKeptHeaderDlg::CKeptHeaderDlg(const std::string& listPath, QWidget* parent)
    : QDialog(parent),
      m_strListPath(listPath),
      m_ui(std::make_unique<Ui::CKeptHeaderDlg>()),
      m_fnAsk([this](const QString& text, QMessageBox::StandardButtons buttons) {
          return AskWithMessageBox(this, text, buttons);
      }) {
    m_ui->setupUi(this);
    connect(m_ui->IDC_1, &QPushButton::clicked, this, &CKeptHeaderDlg::accept);
    connect(m_ui->IDC_1024, &QPushButton::clicked, this, &CKeptHeaderDlg::OnNew);
    connect(m_ui->IDC_1027, &QPushButton::clicked, this, &CKeptHeaderDlg::OnChange);
    connect(m_ui->IDC_1016, &QPushButton::clicked, this, &CKeptHeaderDlg::OnDelete);
    connect(m_ui->IDC_1028, &QPushButton::clicked, this, &CKeptHeaderDlg::OnReset);
    m_ui->IDC_1025->header()->setStretchLastSection(true);
    m_ui->IDC_1025->setColumnWidth(0, 90);
    RunFileStep([this] { m_list.Load(m_strListPath); });
    ShowRows();
}

CKeptHeaderDlg::~CKeptHeaderDlg() = default;

void CKeptHeaderDlg::accept() {
    bool written = false;
    RunFileStep([this, &written] { written = m_list.Save(m_strListPath); });
    if (written) {
        QDialog::accept();
    }
}

void CKeptHeaderDlg::OnNew() {
    CKeptHeaderRow row;
    while (EditRow(QString::fromUtf8(kNewPrompt), row)) {
        if (m_list.AddRow(row.m_strCode, row.m_strDescription)) {
            ShowRows(0);
            return;
        }
        m_fnAsk(QString::fromUtf8(kDuplicateCode), QMessageBox::Ok);
    }
}

void CKeptHeaderDlg::OnChange() {
    const int index = SelectedRowOrTell();
    if (index < 0) {
        return;
    }
    CKeptHeaderRow row = m_list.Rows()[static_cast<size_t>(index)];
    while (EditRow(QString::fromUtf8(kChangePrompt), row)) {
        if (m_list.ChangeRow(index, row.m_strCode, row.m_strDescription)) {
            ShowRows(index);
            return;
        }
        m_fnAsk(QString::fromUtf8(kDuplicateCode), QMessageBox::Ok);
    }
}

void CKeptHeaderDlg::OnDelete() {
    const int index = SelectedRowOrTell();
    if (index >= 0) {
        m_list.DeleteRow(index);
        ShowRows();
    }
}

void CKeptHeaderDlg::OnReset() {
    RunFileStep([this] { m_list.ResetToDefaults(m_strListPath); });
    ShowRows();
}

void CKeptHeaderDlg::ShowRows(int selectRow) {
    QTreeWidget* view = m_ui->IDC_1025;
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    view->clear();
    for (const CKeptHeaderRow& row : m_list.Rows()) {
        auto* item = new QTreeWidgetItem(view, {QString::fromStdString(row.m_strCode),
                                                QString::fromStdString(row.m_strDescription)});
        item->setIcon(0, icon);
    }
    if (QTreeWidgetItem* item = view->topLevelItem(selectRow)) {
        view->setCurrentItem(item);
    }
}

int CKeptHeaderDlg::SelectedRowOrTell() {
    const QList<QTreeWidgetItem*> selected = m_ui->IDC_1025->selectedItems();
    if (selected.isEmpty()) {
        m_fnAsk(QString::fromUtf8(kNoSelection), QMessageBox::Ok);
        return -1;
    }
    return m_ui->IDC_1025->indexOfTopLevelItem(selected.front());
}

bool CKeptHeaderDlg::EditRow(const QString& prompt, CKeptHeaderRow& row) {
    CHeaderEditDlg dialog(prompt, row, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    row = dialog.Row();
    return true;
}

void CKeptHeaderDlg::RunFileStep(const std::function<void()>& step) {
    try {
        step();
    } catch (const CFileException& error) {
        m_fnAsk(QString::fromStdString(error.what()), QMessageBox::Ok);
    }
}
