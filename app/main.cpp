// kestrin: the window program.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <string>
#include <vector>

#include "app/QtTranslation.h"
#include "app/QuorvelApp.h"
#include "util/DebrisSweep.h"
#include "util/FileError.h"
#include "util/ProgramPlaces.h"
#include "util/Version.h"

namespace {

constexpr char kCannotStart[] = "起動できませんでした。\r\n";

}  // namespace

int main(int argc, char** argv) {
    UseJapaneseSystemLocale();
    QApplication application(argc, argv);
    InstallJapaneseQtTranslation(application);
    // What killed runs left in the temporary folder and beside the files to
    // open: nothing of a running one.
    SweepTemporaryFolderDebris();
    std::vector<std::string> files;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        files.push_back(argument.toStdString());
    }
    SweepDebrisBeside(files);
    try {
        CQuorvelApp app(FindProgramPlaces());
        if (!app.InitInstance(QApplication::arguments())) {
            return 1;
        }
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(
            nullptr, QString::fromLatin1(kProgramTitle),
            QString::fromStdString(std::string(kCannotStart) + ErrorTextFor(error)));
        return 1;
    }
}
