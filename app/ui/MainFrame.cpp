#include "app/ui/MainFrame.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <functional>

#include "app/QuorvelDoc.h"
#include "app/ResourceIds.h"
#include "app/ui/HelpKey.h"
#include "app/ui/QuorvelView.h"
#include "app/ui/SysProSheet.h"
#include "app/ui/ToolBarIcons.h"
#include "exif/ui/ExifViewDlg.h"
#include "segment/ui/KeptHeaderDlg.h"
#include "util/MessageSink.h"
#include "util/Version.h"
#include "widgets/CommandGuard.h"

namespace {

constexpr int kPaneWidths[] = {300, 150};
constexpr const char* kCannotBrowse = "を開けません。ﾌﾞﾗｳｻﾞを起動できませんでした";
constexpr const char* kIdleText = "ﾚﾃﾞｨ";
constexpr const char* kDamagedText = "   JPEGﾃﾞｰﾀが破損しています";
// The document's name while no file is open.
constexpr const char* kUntitled = "新規ﾌｧｲﾙ";

QLabel* NewPane(QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return pane;
}

QString TitleOf(const std::string& path) {
    const QString name = path.empty() ? QString::fromUtf8(kUntitled)
                                      : QFileInfo(QString::fromStdString(path)).fileName();
    return name + QStringLiteral(" - ") + QString::fromLatin1(kProgramTitle);
}

}  // namespace

CMainFrame::CMainFrame(CSettingsStore& settings, CQuorvelDoc& document, std::string helpFile,
                       QWidget* parent)
    : CPersistentFrame(settings, parent), m_doc(document), m_strHelpFile(std::move(helpFile)) {
    resize(800, 600);
    m_pView = new CQuorvelView(m_doc, this);
    setCentralWidget(m_pView);
    m_actions = CreateCommandActions(this);
    BuildMainMenu(*menuBar(), m_actions);
    CreateToolBar();
    CreateStatusBar();
    ConnectCommands();
    new CHelpKey([this](const QString& anchor) { OpenHelpAt(anchor); }, this);
    connect(&m_doc, &CQuorvelDoc::Changed, this, &CMainFrame::OnDocumentChanged);
    m_pView->OnInitialUpdate();
    SetRecentFiles({});
    OnDocumentChanged();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateToolBar() {
    m_pToolBar = new QToolBar(QStringLiteral("標準"), this);
    m_pToolBar->setObjectName(QStringLiteral("IDW_%1").arg(IDW_TOOLBAR));
    m_pToolBar->setIconSize(QSize(32, 32));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    const int buttons[] = {
        ID_FILE_OPEN,     ID_FILE_SAVE_AS_JPEG, ID_EDIT_COPY, 0, ID_OPTIMISE_WIZARD, 0,
        ID_HELP_CONTENTS, ID_APP_ABOUT};
    for (const int id : buttons) {
        if (id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        action->setIcon(ToolBarIcon(id));
        action->setIconVisibleInMenu(false);
        m_pToolBar->addAction(action);
    }
    connect(m_pToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateActions);
}

void CMainFrame::CreateStatusBar() {
    statusBar()->setObjectName(QStringLiteral("IDW_%1").arg(IDW_STATUS_BAR));
    for (int i = 0; i < 3; ++i) {
        m_pPanes[i] = NewPane(statusBar());
    }
    m_pPanes[0]->setFixedWidth(kPaneWidths[0]);
    m_pPanes[1]->setFixedWidth(kPaneWidths[1]);
    m_pPanes[0]->setText(QString::fromUtf8(kIdleText));
    statusBar()->addWidget(m_pPanes[0]);
    statusBar()->addWidget(m_pPanes[1]);
    statusBar()->addWidget(m_pPanes[2], 1);
}

void CMainFrame::ConnectCommand(int id, std::function<void()> handler) {
    connect(Action(id), &QAction::triggered, this,
            [handler = std::move(handler)] { RunCommandShowingError(handler); });
}

void CMainFrame::ConnectCommands() {
    ConnectCommand(ID_FILE_SAVE_AS_JPEG, [this] { m_pView->OnFileSaveAs(); });
    ConnectCommand(ID_EDIT_COPY, [this] { m_pView->OnEditCopy(); });
    ConnectCommand(ID_APP_EXIT, [this] { close(); });
    ConnectCommand(ID_OPTIMISE_WIZARD, [this] { m_pView->OnOptimiseWizard(); });
    ConnectCommand(ID_BATCH_OPTIMISE, [this] { m_pView->OnBatchOptimise(); });
    ConnectCommand(ID_BATCH_EXIF_BACKUP, [this] { m_pView->OnBatchExifBackup(); });
    ConnectCommand(ID_BATCH_EXIF_EMBED, [this] { m_pView->OnBatchExifEmbed(); });
    ConnectCommand(ID_BATCH_DATES, [this] { m_pView->OnBatchFileDates(); });
    ConnectCommand(ID_FILE_DATES, [this] { m_pView->OnFileDates(); });
    ConnectCommand(ID_SAMPLE_LAYOUT, [this] { m_pView->OnSampleLayout(); });
    ConnectCommand(ID_EXIF_DISPLAY, [this] { OnExifDisplay(); });
    ConnectCommand(ID_KEPT_HEADERS, [this] { OnKeptHeaderSettings(); });
    ConnectCommand(ID_SYSTEM_SETTINGS, [this] { OnSystemSettings(); });
    ConnectCommand(ID_HELP_CONTENTS, [this] { OnHelpContents(); });
    ConnectCommand(ID_HELP_SEARCH, [this] { OnHelpSearch(); });
    ConnectCommand(ID_HOME_PAGE, [this] { OnHomePage(); });
    connect(Action(ID_VIEW_TOOLBAR), &QAction::triggered, m_pToolBar, &QToolBar::setVisible);
    connect(Action(ID_VIEW_STATUS_BAR), &QAction::triggered, this, [this](bool shown) {
        statusBar()->setVisible(shown);
        UpdateActions();
    });
    for (int i = 0; i < kRecentFileCount; ++i) {
        connect(Action(ID_FILE_MRU_FILE1 + i), &QAction::triggered, this,
                [this, i] { emit RecentFileChosen(i); });
    }
}

void CMainFrame::SetRecentFiles(const QStringList& paths) {
    m_recentFiles = paths;
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* entry = Action(ID_FILE_MRU_FILE1 + i);
        if (i < paths.size()) {
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]));
        } else if (i == 0) {
            entry->setText(EmptyRecentFileText());
        }
        entry->setVisible(i == 0 || i < paths.size());
    }
    UpdateActions();
}

void CMainFrame::UpdateActions() {
    const bool loaded = m_doc.IsLoaded();
    Action(ID_EDIT_COPY)->setEnabled(loaded);
    Action(ID_FILE_SAVE_AS_JPEG)->setEnabled(loaded);
    Action(ID_FILE_DATES)->setEnabled(loaded);
    Action(ID_OPTIMISE_WIZARD)->setEnabled(loaded);
    Action(ID_FILE_MRU_FILE1)->setEnabled(!m_recentFiles.isEmpty());
    Action(ID_VIEW_TOOLBAR)->setChecked(!m_pToolBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
}

bool CMainFrame::event(QEvent* event) {
    // The prompt of the command under the pointer goes into the first pane,
    // leaving the other two in view.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_pPanes[0]->setText(tip.isEmpty() ? QString::fromUtf8(kIdleText) : tip);
        return true;
    }
    return CPersistentFrame::event(event);
}

void CMainFrame::OnDocumentChanged() {
    const CPackedPicture& picture = m_doc.Picture();
    setWindowTitle(TitleOf(m_doc.PathName()));
    m_pPanes[1]->setText(
        m_doc.IsLoaded()
            ? QStringLiteral("%1 x %2 ﾋﾟｸｾﾙ").arg(picture.m_nWidth).arg(picture.m_nHeight)
            : QString());
    const auto& status = m_doc.Status();
    QString size = status ? QStringLiteral("%1 ﾊﾞｲﾄ").arg(status->m_nSize) : QString();
    // The decoder stepped over bytes or ran out of them: what shows is not
    // the whole picture, and the editor's check would say so too.
    if (m_doc.IsLoaded() && picture.m_nWarnings > 0) {
        size += QString::fromUtf8(kDamagedText);
    }
    m_pPanes[2]->setText(size);
    UpdateActions();
}

void CMainFrame::OnHelpContents() {
    OpenInBrowser(QUrl::fromLocalFile(QString::fromStdString(m_strHelpFile)));
}

void CMainFrame::OnHelpSearch() {
    OpenHelpAt(QStringLiteral("keywords"));
}

void CMainFrame::OpenHelpAt(const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(m_strHelpFile));
    url.setFragment(anchor);
    OpenInBrowser(url);
}

void CMainFrame::OnHomePage() {
    // The program has no public page yet: the help's start page stands in.
    OpenInBrowser(QUrl::fromLocalFile(QString::fromStdString(m_strHelpFile)));
}

void CMainFrame::OpenInBrowser(const QUrl& url) {
    // The desktop's opener is waited for in the background: its exit status is
    // the only sign that no browser could be started.
    auto* opener = new QProcess(this);
    const QString shown = url.isLocalFile() ? url.toLocalFile() : url.toString();
    const auto fail = [shown] { ShowMessage(shown.toStdString() + "\r\n" + kCannotBrowse); };
    connect(opener, &QProcess::errorOccurred, this, [opener, fail](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            fail();
            opener->deleteLater();
        }
    });
    connect(opener, &QProcess::finished, this,
            [opener, fail](int exitCode, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || exitCode != 0) {
                    fail();
                }
                opener->deleteLater();
            });
    opener->start(QStringLiteral("xdg-open"), {url.toString()});
}

void CMainFrame::OnExifDisplay() {
    if (!m_doc.IsLoaded()) {
        ShowMessage("ﾌｧｲﾙが開かれていません");
        return;
    }
    CExifViewDlg dialog(this);
    if (dialog.ShowFile(m_doc.ExifEngine(), m_doc.PathName())) {
        dialog.exec();
    }
}

void CMainFrame::OnKeptHeaderSettings() {
    CKeptHeaderDlg dialog(m_doc.WorkFiles().m_strNokCode, this);
    dialog.exec();
    // Also after Cancel: the dialog's reset rewrites the file at once.
    m_doc.ReloadKeptHeaderCodes();
}

void CMainFrame::OnSystemSettings() {
    CSysProSeet sheet(m_doc.Settings(), this);
    sheet.exec();
}
