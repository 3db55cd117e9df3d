// The main menu (resource 128): its commands with texts, accelerators and
// status-bar prompts, and the menus they sit in. Only commands that work are
// here; the wizard, the batches and the tools join together with their dialogs.
#pragma once

#include <QAction>
#include <map>

class QMenuBar;

using CommandActions = std::map<int, QAction*>;

// One action per command, named ID_<number> and owned by owner. The recent
// files are the actions ID_FILE_MRU_FILE1 and the kRecentFileCount - 1 after it.
CommandActions CreateCommandActions(QObject* owner);

// Fills menuBar with the menus of resource 128 holding actions.
void BuildMainMenu(QMenuBar& menuBar, const CommandActions& actions);

// "最新のﾌｧｲﾙ", the text of the first recent-file entry while the list is empty.
QString EmptyRecentFileText();
