#include "app/QuorvelApp.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QThread>

#include "app/QuorvelDoc.h"
#include "app/ResourceIds.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"
#include "util/DebrisSweep.h"
#include "util/FileFailure.h"
#include "util/FileHelpers.h"
#include "util/MemoryTuning.h"
#include "util/Version.h"
#include "util/WorkFiles.h"
#include "widgets/CommandGuard.h"
#include "widgets/FileDialogColumns.h"

namespace {

constexpr const char* kHelpFile = "help/index.html";
constexpr const char* kDefaultsUsed =
    "\r\n設定を読み込めないため、初期値で動作します。設定の変更は保存されません。";

}  // namespace

CQuorvelApp::CQuorvelApp(const CProgramPlaces& places)
    : m_places(places), m_scratch(places.m_strWorkFolder), m_recentFiles(kRecentFileCount) {
    // A killed run may have left a batch result beside its work copy.
    SweepDebris(places.m_strWorkFolder);
    m_previousSink = SetMessageSink([this](const std::string& text) { ShowMessageBox(text); });
    KeepFreedMemoryForPictures();
}

CQuorvelApp::~CQuorvelApp() {
    SetMessageSink(m_previousSink);
    m_pFrame.reset();
    m_pDoc.reset();
    m_settings.Sync();
}

bool CQuorvelApp::InitInstance(const QStringList& arguments) {
    // Every window inherits the icon; the desktop file ties the running
    // program to its launcher entry.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin-48.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.marvoke.KestrinJPEG"));
    WidenFileDialogColumns(*qApp);
    const CWorkFiles files = MakeWorkFiles(m_places.m_strListFolder, m_scratch.Folder());
    m_pDoc = std::make_unique<CQuorvelDoc>(files, m_settings);
    m_pFrame =
        std::make_unique<CMainFrame>(m_settings, *m_pDoc, m_places.m_strDataFolder + kHelpFile);
    ConnectCommands();
    WarnOfUnusableSettings();
    if (arguments.size() > 1 && !OpenDocumentFile(arguments[1].toStdString())) {
        return false;
    }
    m_pFrame->ActivateFrame();
    return true;
}

bool CQuorvelApp::OpenDocumentFile(const std::string& path) {
    if (!FileExists(path)) {
        ShowMessage(path + "\r\n" + kCannotOpenFile);
        return false;
    }
    m_pDoc->OpenPicture(path);
    return true;
}

void CQuorvelApp::WarnOfUnusableSettings() const {
    const std::string& file = m_settings.UnusableFile();
    if (!file.empty()) {
        ShowMessage(FileFailureMessage(file, EFileFailure::NotRegularFile) + kDefaultsUsed);
    }
}

void CQuorvelApp::ConnectCommands() {
    connect(m_pDoc.get(), &CQuorvelDoc::PathNameSet, &m_recentFiles, &CRecentFileList::Add);
    connect(&m_recentFiles, &CRecentFileList::Changed, m_pFrame.get(),
            [this] { m_pFrame->SetRecentFiles(m_recentFiles.Paths()); });
    m_pFrame->SetRecentFiles(m_recentFiles.Paths());
    connect(m_pFrame->Action(ID_FILE_OPEN), &QAction::triggered, this,
            [this] { RunCommandShowingError([this] { OnFileOpen(); }); });
    connect(m_pFrame->Action(ID_APP_ABOUT), &QAction::triggered, this, [this] { OnAppAbout(); });
    connect(m_pFrame.get(), &CMainFrame::RecentFileChosen, this,
            [this](int index) { RunCommandShowingError([this, index] { OnRecentFile(index); }); });
}

void CQuorvelApp::OnFileOpen() {
    // Starts in the folder of the picture on show, where the next one usually is.
    const std::string& shown = m_pDoc->PathName();
    const QString folder =
        shown.empty() ? QString() : QFileInfo(QString::fromStdString(shown)).absolutePath();
    const QString path =
        QFileDialog::getOpenFileName(m_pFrame.get(), QStringLiteral("開く"), folder,
                                     QStringLiteral("jpgﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"));
    if (!path.isEmpty()) {
        OpenDocumentFile(path.toStdString());
    }
}

void CQuorvelApp::OnRecentFile(int index) {
    const QStringList& paths = m_recentFiles.Paths();
    if (index >= paths.size()) {
        return;
    }
    // A recent file that is gone leaves the list, as the framework does.
    if (!OpenDocumentFile(paths[index].toStdString())) {
        m_recentFiles.Remove(index);
    }
}

void CQuorvelApp::OnAppAbout() {
    CAboutDlg dialog(m_pFrame.get());
    dialog.exec();
}

void CQuorvelApp::ShowMessageBox(const std::string& text) {
    // A worker thread's message waits until the window thread has shown it.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { ShowMessageBox(text); }, Qt::BlockingQueuedConnection);
        return;
    }
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), shown, QMessageBox::Ok,
                    m_pFrame.get());
    box.exec();
}
