#include "cli/DatesCommand.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchArguments.h"
#include "dates/FileDateBatch.h"
#include "util/DroppedFolders.h"

namespace {

struct CLocalMoment {
    int year, month, day, hour, minute;
};

// "YYYY-MM-DD HH:MM" with an hour of 0 to 23 and a minute of 0 to 59.
std::optional<CLocalMoment> ParseMoment(const std::string& text) {
    CLocalMoment moment{};
    int consumed = 0;
    const int fields =
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &moment.year, &moment.month, &moment.day,
                    &moment.hour, &moment.minute, &consumed);
    if (fields != 5 || static_cast<size_t>(consumed) != text.size() || moment.hour < 0 ||
        moment.hour > 23 || moment.minute < 0 || moment.minute > 59) {
        return std::nullopt;
    }
    return moment;
}

}  // namespace

int RunDatesCommand(const Arguments& arguments, const CSettingsStore& stored) {
    if (arguments.size() < 3 || arguments[0] != "--set") {
        return UsageError("dates: use dates --set \"YYYY-MM-DD HH:MM\" FILE...");
    }
    const std::optional<CLocalMoment> moment = ParseMoment(arguments[1]);
    const std::optional<CFileTimes> times =
        moment ? TimesAtLocalMoment(moment->year, moment->month, moment->day, moment->hour,
                                    moment->minute)
               : std::nullopt;
    if (!times) {
        return UsageError("dates: \"" + arguments[1] +
                          "\" is not a moment of the form YYYY-MM-DD HH:MM");
    }
    const std::vector<std::string> files =
        ExpandDroppedFolders(Arguments(arguments.begin() + 2, arguments.end()));
    const std::vector<std::string> failed = CFileDateBatch(stored).Apply(files, *times);
    for (const std::string& file : files) {
        if (IsFolder(file)) {
            std::fputs(LogForTerminal(NoJpegFilesLine(file)).c_str(), stdout);
        } else if (std::find(failed.begin(), failed.end(), file) != failed.end()) {
            std::fprintf(stderr, "kestrin-cli: %s: its times cannot be changed\n", file.c_str());
        } else {
            std::printf("%s: modification and access times set to %s:00\n", file.c_str(),
                        arguments[1].c_str());
        }
    }
    if (!kCanWriteCreationTime) {
        std::printf(
            "The creation time of a file cannot be changed on this system; it was left as it "
            "was.\n");
    }
    return failed.empty() ? kExitSuccess : kExitFileFailed;
}
