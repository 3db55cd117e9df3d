#include "widgets/BatchLogDlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"
#include "widgets/DroppedFiles.h"

CBatchLogDlg::CBatchLogDlg(QWidget* parent) : QDialog(parent) {
    setAcceptDrops(true);
}

void CBatchLogDlg::Attach(QPlainTextEdit& log, QPushButton& clearLog, QPushButton& close) {
    m_pLog = &log;
    // Drops on the log box reach the dialog.
    m_pLog->setAcceptDrops(false);
    m_pLog->viewport()->setAcceptDrops(false);
    connect(&clearLog, &QPushButton::clicked, this, [this] { ClearBatchLog(); });
    connect(&close, &QPushButton::clicked, this, &CBatchLogDlg::reject);
}

void CBatchLogDlg::OnLogChanged() {
    m_pLog->setPlainText(QString::fromStdString(BatchLog()));
    m_pLog->verticalScrollBar()->setValue(m_pLog->verticalScrollBar()->maximum());
    // The batch runs inside the drop: draw now, so a long batch shows how far it is.
    m_pLog->repaint();
}

void CBatchLogDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFileDrag(event);
}

void CBatchLogDlg::dragMoveEvent(QDragMoveEvent* event) {
    AcceptFileDrag(event);
}

void CBatchLogDlg::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    if (!MayInterrupt()) {
        return;
    }
    event->acceptProposedAction();
    const CWaitCursor wait;
    RunCommandShowingError([this, &paths] { ProcessDrop(paths); });
}

void CBatchLogDlg::reject() {
    if (MayInterrupt()) {
        hide();
    }
}

bool CBatchLogDlg::MayInterrupt() const {
    if (!IsBusy()) {
        return true;
    }
    ShowMessage("計算中です！");
    return false;
}
