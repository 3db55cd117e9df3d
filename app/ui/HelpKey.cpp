#include "app/ui/HelpKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstring>
#include <utility>

namespace {

struct CHelpSection {
    const char* windowClass;
    const char* anchor;
};

constexpr CHelpSection kSections[] = {
    {"CKestrinProSeet", "wizard"},         {"CBatchOptimiseDlg", "batch-optimise"},
    {"CBatchExifBackupDlg", "batch-exif"}, {"CBatchExifEmbedDlg", "batch-exif"},
    {"CBatchFileDateDlg", "dates"},        {"CFileDateDlg", "dates"},
    {"CExifViewDlg", "exif-view"},         {"CSampleConvertDlg", "sample"},
    {"CSysProSheet", "settings"},          {"CKeptHeaderDlg", "settings"},
    {"CHeaderEditDlg", "settings"},
};

}  // namespace

QString HelpAnchorFor(const QWidget* window) {
    for (const QMetaObject* kind = window != nullptr ? window->metaObject() : nullptr;
         kind != nullptr; kind = kind->superClass()) {
        for (const CHelpSection& section : kSections) {
            if (std::strcmp(kind->className(), section.windowClass) == 0) {
                return QString::fromLatin1(section.anchor);
            }
        }
    }
    return QStringLiteral("contents");
}

CHelpKey::CHelpKey(std::function<void(const QString& anchor)> open, QObject* parent)
    : QObject(parent), m_open(std::move(open)) {
    QApplication::instance()->installEventFilter(this);
}

bool CHelpKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) {
        return QObject::eventFilter(watched, event);
    }
    m_open(HelpAnchorFor(QApplication::activeWindow()));
    return true;
}
