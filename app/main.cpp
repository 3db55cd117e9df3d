// kestrin: the window program.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <string>

#include "app/QtTranslation.h"
#include "app/QuorvelApp.h"
#include "app/Version.h"
#include "util/FileError.h"
#include "util/ProgramPlaces.h"

namespace {

constexpr char kCannotStart[] = "起動できませんでした。\r\n";

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallJapaneseQtTranslation(application);
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
