#include "dates/ui/FileDateDlg.h"

#include "ui_FileDateDlg.h"
#include "util/MessageSink.h"

CFileDateDlg::CFileDateDlg(const QDateTime& initial, QWidget* parent)
    : CDateTimeDlg(parent), m_ui(std::make_unique<Ui::CFileDateDlg>()) {
    m_ui->setupUi(this);
    Attach({*m_ui->IDC_1000, *m_ui->IDC_1009, *m_ui->IDC_1010, *m_ui->IDC_1011, *m_ui->IDC_1066,
            *m_ui->IDC_1067},
           initial);
    connect(m_ui->IDC_1, &QPushButton::clicked, this, &CFileDateDlg::accept);
    connect(m_ui->IDC_2, &QPushButton::clicked, this, &CFileDateDlg::reject);
}

CFileDateDlg::~CFileDateDlg() = default;

void CFileDateDlg::accept() {
    const std::optional<CLocalMoment> moment = TakeFields();
    if (!moment) {
        return;
    }
    m_moment = *moment;
    CDateTimeDlg::accept();
}

void ChangeFileDates(const std::string& path, QWidget* parent) {
    const std::optional<CFileTimes> current = ReadFileTimes(path);
    if (!current) {
        ShowMessage("ﾌｧｲﾙの日付を読み取れません。\n" + path);
        return;
    }
    // File systems that keep no creation time get the modification time
    // offered instead, the nearest thing to when the picture was made.
    const timespec shown = current->creation.value_or(current->modification);
    CFileDateDlg dialog(QDateTime::fromSecsSinceEpoch(shown.tv_sec), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::optional<CFileTimes> times = dialog.Moment().Times();
    const CTimesWritten written = times ? SetFileTimesChecked(path, *times) : CTimesWritten{};
    if (written.result != CTimesWritten::EResult::Set) {
        ShowMessage("ﾌｧｲﾙの日付を変更できませんでした。\n" + UnchangedTimesLine(path, written));
    }
}
