#include "widgets/FileDialogColumns.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace {

// Wide enough for a name column beside full size, type and date columns.
constexpr QSize kSmallestDialog(760, 460);
constexpr char kWatcherName[] = "FileDialogColumns";

void Widen(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) {
        return;
    }
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.resize(dialog.size().expandedTo(kSmallestDialog));
}

class CFileDialogWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QFileDialog*>(watched)) {
                Widen(*dialog);
            }
        }
        return false;
    }
};

}  // namespace

void WidenFileDialogColumns(QApplication& application) {
    if (application.findChild<QObject*>(QString::fromLatin1(kWatcherName),
                                        Qt::FindDirectChildrenOnly) != nullptr) {
        return;
    }
    auto* watcher = new CFileDialogWatcher(&application);
    watcher->setObjectName(QString::fromLatin1(kWatcherName));
    application.installEventFilter(watcher);
}
