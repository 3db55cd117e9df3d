#include "app/ui/HelpKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>
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
    {"CSysProSeet", "settings"},           {"CKeptHeaderDlg", "settings"},
    {"CHeaderEditDlg", "settings"},        {"CDlgSysKeep", "settings-keep"},
};

// The anchor of the section about widget's kind, or a null text.
QString SectionOf(const QWidget* widget) {
    for (const QMetaObject* kind = widget != nullptr ? widget->metaObject() : nullptr;
         kind != nullptr; kind = kind->superClass()) {
        for (const CHelpSection& section : kSections) {
            if (std::strcmp(kind->className(), section.windowClass) == 0) {
                return QString::fromLatin1(section.anchor);
            }
        }
    }
    return {};
}

}  // namespace

// In a sheet of tabbed pages, a page with a section of its own wins over
// the window's.
QString HelpAnchorFor(const QWidget* window) {
    if (window == nullptr) {
        return QStringLiteral("contents");
    }
    for (const QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        if (const QString page = SectionOf(tabs->currentWidget()); !page.isNull()) {
            return page;
        }
    }
    const QString own = SectionOf(window);
    return own.isNull() ? QStringLiteral("contents") : own;
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
