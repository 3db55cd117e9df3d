#include "dates/ui/BatchFileDateDlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>

#include "ui_BatchFileDateDlg.h"
#include "util/DroppedFolders.h"
#include "util/MessageSink.h"
#include "util/TextHelpers.h"
#include "widgets/CommandGuard.h"
#include "widgets/DroppedFiles.h"

namespace {

std::string FailureMessage(const std::vector<std::string>& lines) {
    std::string text = "次のﾌｧｲﾙの日付は変更できませんでした。";
    for (const std::string& line : lines) {
        text += "\n" + line;
    }
    return text;
}

// What a batch left undone: the files that could not be changed and why,
// then a line for each folder that held no JPEG file.
std::string BatchFailureMessage(const std::vector<CFileDateBatch::CFailure>& failed) {
    std::vector<std::string> files;
    std::string folders;
    for (const CFileDateBatch::CFailure& failure : failed) {
        if (IsFolder(failure.path)) {
            folders += '\n';
            folders += DropRight(NoJpegFilesLine(failure.path), 4);
        } else {
            files.push_back(UnchangedTimesLine(failure.path, failure.written));
        }
    }
    return files.empty() ? folders.substr(1) : FailureMessage(files) + folders;
}

}  // namespace

CBatchFileDateDlg::CBatchFileDateDlg(const CSettingsStore& settings, QWidget* parent)
    : CDateTimeDlg(parent), m_ui(std::make_unique<Ui::CBatchFileDateDlg>()), m_batch(settings) {
    m_ui->setupUi(this);
    Attach({*m_ui->IDC_1000, *m_ui->IDC_1009, *m_ui->IDC_1010, *m_ui->IDC_1011, *m_ui->IDC_1066,
            *m_ui->IDC_1067},
           QDateTime::currentDateTime());
    connect(m_ui->IDC_2, &QPushButton::clicked, this, &QDialog::hide);
    setAcceptDrops(true);
    // A path dropped on a field would otherwise become its text instead of a file to change.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->setAcceptDrops(false);
    }
}

CBatchFileDateDlg::~CBatchFileDateDlg() = default;

void CBatchFileDateDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFileDrag(event);
}

void CBatchFileDateDlg::dragMoveEvent(QDragMoveEvent* event) {
    AcceptFileDrag(event);
}

void CBatchFileDateDlg::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    RunCommandShowingError([this, &paths] { ApplyTo(paths); });
}

void CBatchFileDateDlg::ApplyTo(const std::vector<std::string>& paths) {
    const std::optional<CLocalMoment> moment = TakeFields();
    if (!moment) {
        return;
    }
    const std::optional<CFileTimes> times = moment->Times();
    if (!times) {
        ShowMessage(FailureMessage(paths));
        return;
    }
    std::vector<CFileDateBatch::CFailure> failed;
    {
        const CWaitCursor wait;
        failed = m_batch.Apply(paths, *times);
    }
    if (!failed.empty()) {
        ShowMessage(BatchFailureMessage(failed));
    }
}
