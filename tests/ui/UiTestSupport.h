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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/QuorvelApp.h"

#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"
#include "util/MessageSink.h"

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

// What each test function of a window test starts from: a private settings
// location, an empty program folder and no messages. Renew it in init() and
// release it in cleanup().
class CWindowTestPlace {
public:
    void Renew() {
        m_settings = std::make_unique<CTestSettingsLocation>();
        m_folder = std::make_unique<CTempDir>();
        messages.clear();
    }
    void Release() {
        m_folder.reset();
        m_settings.reset();
    }

    std::string ProgramFolder() const { return m_folder->Path().string() + "/"; }
    std::string File(const std::string& name) const { return m_folder->File(name); }

    // Starts the window program from the program folder, its messages
    // collected in messages; null when it does not start.
    std::unique_ptr<CQuorvelApp> StartProgram(const QStringList& arguments = {"kestrin"}) {
        auto app = std::make_unique<CQuorvelApp>(PlacesBesidePrograms(ProgramFolder()));
        SetMessageSink([this](const std::string& text) { messages.push_back(text); });
        if (!app->InitInstance(arguments)) {
            return nullptr;
        }
        return app;
    }

    std::vector<std::string> messages;

private:
    std::unique_ptr<CTestSettingsLocation> m_settings;
    std::unique_ptr<CTempDir> m_folder;
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
// Dropped at the target's centre unless at is given.
inline void DropFiles(QWidget& target, const QStringList& paths,
                      std::optional<QPoint> at = std::nullopt) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data.setUrls(urls);
    const QPoint centre = at.value_or(target.rect().center());
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}
