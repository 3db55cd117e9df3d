#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallJapaneseQtTranslation(QCoreApplication& application) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // Dates and month names in Qt's widgets (the calendar, the file dialog)
    // follow the same language as the texts.
    QLocale::setDefault(japanese);
    auto* translator = new QTranslator(&application);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void UseJapaneseSystemLocale() {
    constexpr char kJapanese[] = "ja_JP.UTF-8";
    // LC_ALL, when set, overrides every other variable.
    if (!qEnvironmentVariableIsEmpty("LC_ALL")) {
        qputenv("LC_ALL", kJapanese);
        return;
    }
    qputenv("LC_NUMERIC", kJapanese);
    qputenv("LC_TIME", kJapanese);
}
