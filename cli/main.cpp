// kestrin-cli: the command-line front end over the same core as the window.
#include <cstdio>
#include <exception>
#include <string>

#include "app/QtSettingsStore.h"
#include "app/Version.h"
#include "cli/CommandLine.h"
#include "cli/DatesCommand.h"
#include "cli/ExifCommand.h"
#include "cli/OptimiseCommand.h"
#include "cli/SegmentsCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/SignalCleanup.h"
#include "cli/VerifyCommand.h"
#include "util/DebrisSweep.h"
#include "util/MemoryTuning.h"

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
    if (command == "--help" || command == "-h") {
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    }
    if (command == "--version") {
        std::printf("%s %s\n", kProgramTitle, kProgramVersion);
        return kExitSuccess;
    }
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

}  // namespace

int main(int argc, char** argv) {
    CleanUpOnTerminationSignals();
    if (argc < 2) {
        return UsageError("no command given");
    }
    KeepFreedMemoryForPictures();
    SweepTemporaryFolderDebris();
    const Arguments arguments(argv + 2, argv + argc);
    try {
        return WithStandardOutputClosed(Dispatch(argv[1], arguments));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrin-cli: %s\n", error.what());
        return WithStandardOutputClosed(kExitFileFailed);
    }
}
