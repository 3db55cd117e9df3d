// Qt's own dialogs, buttons and context menus speak the program's language.
#pragma once

class QCoreApplication;

// Loads Qt's Japanese translation from the folder the Qt installation names
// and installs it in application. False, with nothing changed, when the
// distribution's translation files are missing: Qt then stays in English.
bool InstallJapaneseQtTranslation(QCoreApplication& application);

// Before the application object exists. Qt's file dialog writes sizes and
// dates in the system's locale, not the program's: the program speaks
// Japanese, so the locale Qt reads from the environment for numbers and
// dates is made Japanese too.
void UseJapaneseSystemLocale();
