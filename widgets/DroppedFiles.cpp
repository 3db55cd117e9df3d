#include "widgets/DroppedFiles.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>

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

void AcceptFileDrag(QDragMoveEvent* event) {
    if (!DroppedPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

CWaitCursor::CWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor() {
    QApplication::restoreOverrideCursor();
}
