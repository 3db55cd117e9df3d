#include "exif/ui/BatchLogDlg.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include "app/ui/CommandGuard.h"

namespace {

// Local files among the dropped URLs, in their order.
std::vector<std::string> DroppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

// The wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace

CBatchLogDlg::CBatchLogDlg(QWidget* parent) : QDialog(parent) {
    setAcceptDrops(true);
}

void CBatchLogDlg::Attach(QPlainTextEdit& log, QPushButton& clearLog, QPushButton& close) {
    m_pLog = &log;
    // Drops on the log box reach the dialog.
    m_pLog->setAcceptDrops(false);
    m_pLog->viewport()->setAcceptDrops(false);
    connect(&clearLog, &QPushButton::clicked, this, [this] { ClearBatchLog(); });
    connect(&close, &QPushButton::clicked, this, &QDialog::hide);
}

void CBatchLogDlg::OnLogChanged() {
    m_pLog->setPlainText(QString::fromStdString(BatchLog()));
    m_pLog->verticalScrollBar()->setValue(m_pLog->verticalScrollBar()->maximum());
    // The batch runs inside the drop: draw now, so a long batch shows how far it is.
    m_pLog->repaint();
}

void CBatchLogDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void CBatchLogDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void CBatchLogDlg::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    const CWaitCursor wait;
    RunGuarded([this, &paths] { ProcessDrop(paths); });
}
