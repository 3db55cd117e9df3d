// The window program's application: starts up in a fixed order (settings,
// recent files, the one document, the main frame, the file of the command
// line, the first show) and owns everything it made until exit.
//
// Ownership: the lock or private folder of the scratch files outlives the
// document, which deletes its scratch files before the folder goes; the
// settings store outlives the frame, which stores its placement when it is
// destroyed.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>
#include <string>

#include "app/QtSettingsStore.h"
#include "app/RecentFileList.h"
#include "app/ScratchPlace.h"
#include "util/MessageSink.h"
#include "util/ProgramPlaces.h"

class CMainFrame;
class CQuorvelDoc;

class CQuorvelApp : public QObject {
    Q_OBJECT

public:
    // places holds the list files, the help and the lock that decides where
    // the scratch files go. Installs the message box as the message sink.
    explicit CQuorvelApp(const CProgramPlaces& places);
    ~CQuorvelApp() override;

    // Creates the document and the main frame, opens the file named by the
    // first argument after the program's own, and shows the window. False
    // when that file cannot be opened: the program then ends.
    bool InitInstance(const QStringList& arguments);

    // The framework's open: false when the file cannot be read. A file that
    // does not decode is reported and leaves the window as it was.
    bool OpenDocumentFile(const std::string& path);

    CQuorvelDoc& Document() const { return *m_pDoc; }
    CMainFrame& MainFrame() const { return *m_pFrame; }
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }

private:
    // A settings file that cannot be used is named once; its defaults serve.
    void WarnOfUnusableSettings() const;
    void ConnectCommands();
    void OnFileOpen();
    void OnRecentFile(int index);
    void OnAppAbout();
    void ShowMessageBox(const std::string& text);

    CProgramPlaces m_places;
    CScratchPlace m_scratch;
    MessageSink m_previousSink;
    CQtSettingsStore m_settings;
    CRecentFileList m_recentFiles;
    std::unique_ptr<CQuorvelDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};
