// kestrin-cli: the command-line front end over the same core as the window.
#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <string>

#include "app/QtSettingsStore.h"
#include "cli/CommandLine.h"
#include "cli/DatesCommand.h"
#include "cli/ExifCommand.h"
#include "cli/OptimiseCommand.h"
#include "cli/SegmentsCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/SignalCleanup.h"
#include "cli/VerbParser.h"
#include "cli/VerifyCommand.h"
#include "util/DebrisSweep.h"
#include "util/MemoryTuning.h"
#include "util/Version.h"

namespace {

// The stored settings; one that cannot be used is reported, and its defaults serve.
const CQtSettingsStore& WarnedAbout(const CQtSettingsStore& store) {
    if (!store.UnusableFile().empty()) {
        std::fprintf(stderr,
                     "kestrin-cli: warning: the settings file %s is not a regular file; the "
                     "default settings are used\n",
                     store.UnusableFile().c_str());
    }
    return store;
}

int Dispatch(const std::string& command, const Arguments& arguments) {
    if (command == "exif") {
        return RunExifCommand(arguments, WarnedAbout(CQtSettingsStore()));
    }
    if (command == "optimise") {
        return RunOptimiseCommand(arguments, WarnedAbout(CQtSettingsStore()));
    }
    if (command == "dates") {
        return RunDatesCommand(arguments, WarnedAbout(CQtSettingsStore()));
    }
    if (command == "segments") {
        return RunSegmentsCommand(arguments);
    }
    if (command == "verify") {
        return RunVerifyCommand(arguments);
    }
    if (command == "settings") {
        CQtSettingsStore store;
        WarnedAbout(store);
        return RunSettingsCommand(arguments, store);
    }
    return UsageError("unknown command " + command);
}

// The program's own options come before the verb; everything after the verb
// is the verb's to parse.
int ParseAndDispatch(const Arguments& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    QStringList words{QStringLiteral("kestrin-cli")};
    for (const std::string& argument : arguments) {
        words << AsLatin1(argument);
    }
    if (!parser.parse(words)) {
        return UsageError(FromLatin1(parser.errorText()));
    }
    if (parser.isSet(help)) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", kProgramTitle, kProgramVersion);
        return kExitSuccess;
    }
    const QStringList verb = parser.positionalArguments();
    if (verb.isEmpty()) {
        return UsageError("no command given");
    }
    Arguments rest;
    for (qsizetype i = 1; i < verb.size(); ++i) {
        rest.push_back(FromLatin1(verb[i]));
    }
    return Dispatch(FromLatin1(verb[0]), rest);
}

}  // namespace

int main(int argc, char** argv) {
    CleanUpOnTerminationSignals();
    KeepFreedMemoryForPictures();
    SweepTemporaryFolderDebris();
    try {
        return WithStandardOutputClosed(ParseAndDispatch(Arguments(argv + 1, argv + argc)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrin-cli: %s\n", error.what());
        return WithStandardOutputClosed(kExitFileFailed);
    }
}
