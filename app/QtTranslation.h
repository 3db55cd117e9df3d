// Qt's own dialogs, buttons and context menus speak the program's language.
#pragma once

class QCoreApplication;

// Loads Qt's Japanese translation from the folder the Qt installation names
// and installs it in application. False, with nothing changed, when the
// distribution's translation files are missing: Qt then stays in English.
bool InstallJapaneseQtTranslation(QCoreApplication& application);
