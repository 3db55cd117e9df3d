// What the window tests share: a private settings location, JPEG files of a
// given size, dropping files on a widget, and finding a control by its number.
#pragma once

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSettings>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <string>

#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

// Points every QSettings of the process at a fresh, empty folder while it lives.
class CTestSettingsLocation {
public:
    CTestSettingsLocation() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(m_folder.Path().string()));
    }

private:
    CTempDir m_folder;
};

inline void WriteJpegOfSize(const std::string& path, int width, int height) {
    CJpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    WriteFile(path, MakeJpeg(recipe));
}

// The control numbered id below root (object name IDC_<id>), or null.
template <typename Widget>
Widget* FindControl(const QWidget& root, int id) {
    return root.findChild<Widget*>(QStringLiteral("IDC_%1").arg(id));
}

// Drags the files over target and drops them there, as the file manager does.
inline void DropFiles(QWidget& target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data.setUrls(urls);
    const QPoint centre = target.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}
