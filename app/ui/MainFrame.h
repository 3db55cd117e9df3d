// The main window: menu, tool bar, status bar and the view of the document.
// It only creates its parts and connects the commands to their handlers; the
// enabling of the commands is decided in UpdateActions alone.
#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "app/ui/MainMenu.h"
#include "app/ui/PersistentFrame.h"

class CQuorvelDoc;
class CQuorvelView;
class QLabel;
class QToolBar;
class QUrl;

class CMainFrame : public CPersistentFrame {
    Q_OBJECT

public:
    // helpFile is the shipped help's first page.
    CMainFrame(CSettingsStore& settings, CQuorvelDoc& document, std::string helpFile,
               QWidget* parent = nullptr);

    // The action of a menu command (object name ID_<id>), or null.
    QAction* Action(int id) const;
    CQuorvelView& View() const { return *m_pView; }

    void SetRecentFiles(const QStringList& paths);
    void UpdateActions();

signals:
    void RecentFileChosen(int index);

protected:
    bool event(QEvent* event) override;

private:
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectCommands();
    // Runs handler on the command, with the command's exceptions shown.
    void ConnectCommand(int id, std::function<void()> handler);
    void OnDocumentChanged();
    void OnHelpContents();
    void OnHelpSearch();
    void OpenHelpAt(const QString& anchor);
    void OnHomePage();
    // Opens url with the desktop's opener; a message tells when that fails.
    void OpenInBrowser(const QUrl& url);
    // Shows the Exif values of the document's file; refused while no picture is loaded.
    void OnExifDisplay();
    void OnKeptHeaderSettings();
    void OnSystemSettings();

    CQuorvelDoc& m_doc;
    std::string m_strHelpFile;
    CommandActions m_actions;
    QStringList m_recentFiles;
    CQuorvelView* m_pView = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pPanes[3] = {};
};
