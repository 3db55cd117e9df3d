#include "cli/DatesCommand.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/BatchArguments.h"
#include "cli/FileRecords.h"
#include "cli/JsonLine.h"
#include "cli/VerbParser.h"
#include "dates/FileDateBatch.h"
#include "util/DroppedFolders.h"

namespace {

struct CLocalMoment {
    int year, month, day, hour, minute;
};

// Exactly "YYYY-MM-DD HH:MM": four, two, two, two and two digits, an hour of
// 0 to 23 and a minute of 0 to 59. sscanf alone would take "2020-1-1 1:1".
std::optional<CLocalMoment> ParseMoment(const std::string& text) {
    constexpr std::string_view kForm = "dddd-dd-dd dd:dd";
    if (text.size() != kForm.size()) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kForm.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kForm[i] == 'd' ? !digit : text[i] != kForm[i]) {
            return std::nullopt;
        }
    }
    const auto number = [&text](size_t at, size_t length) {
        return std::stoi(text.substr(at, length));
    };
    const CLocalMoment moment{number(0, 4), number(5, 2), number(8, 2), number(11, 2),
                              number(14, 2)};
    if (moment.hour > 23 || moment.minute > 59) {
        return std::nullopt;
    }
    return moment;
}

std::string LocalText(const timespec& time) {
    std::tm local{};
    char text[64] = "";
    if (::localtime_r(&time.tv_sec, &local) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    }
    return text;
}

// The line a file's result gets in the text output, on out.
void ReportFile(const CFileDateBatch::CFileResult& result, const std::string& asked, FILE* out) {
    const char* path = result.path.c_str();
    if (IsFolder(result.path)) {
        std::fputs(LogForTerminal(NoJpegFilesLine(result.path)).c_str(), out);
    } else if (result.written.result == CTimesWritten::EResult::Set) {
        std::fprintf(out, "%s: modification and access times set to %s:00\n", path, asked.c_str());
    } else if (result.written.result == CTimesWritten::EResult::NotHeld) {
        std::fprintf(out,
                     "kestrin-cli: %s: its file system cannot hold %s (it kept %s instead); its "
                     "times were left as they were\n",
                     path, asked.c_str(), LocalText(result.written.stored).c_str());
    } else {
        std::fprintf(out, "kestrin-cli: %s: its times cannot be changed\n", path);
    }
}

}  // namespace

int RunDatesCommand(const Arguments& arguments, const CSettingsStore& stored) {
    CVerbParser parser("dates", "[--json] --set \"YYYY-MM-DD HH:MM\" FILE...",
                       "Sets the modification and access times of files to one moment in local "
                       "time.");
    parser.AddOption({QStringLiteral("set")}, "the moment, as \"YYYY-MM-DD HH:MM\"", "TIME");
    parser.AddOption({QStringLiteral("json")},
                     "print one JSON object per file on standard output, the other lines on "
                     "standard error");
    parser.AddArgument("FILE", "a file, or a folder standing for the JPEG files in it");
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    if (!parser.IsSet("set")) {
        return parser.Error("use dates --set \"YYYY-MM-DD HH:MM\" FILE...");
    }
    const std::string asked = parser.Value("set");
    const std::optional<CLocalMoment> moment = ParseMoment(asked);
    const std::optional<CFileTimes> times =
        moment ? TimesAtLocalMoment(moment->year, moment->month, moment->day, moment->hour,
                                    moment->minute)
               : std::nullopt;
    if (!times) {
        return parser.Error("\"" + asked + "\" is not a moment of the form YYYY-MM-DD HH:MM");
    }
    const bool json = parser.IsSet("json");
    // With --json the records alone go to standard output, the lines to standard error.
    FILE* out = json ? stderr : stdout;
    const auto onFile = [&asked, &times, json, out](const CFileDateBatch::CFileResult& result) {
        ReportFile(result, asked, out);
        if (json) {
            PrintJsonLine(DatesRecord(result, *times));
        }
    };
    const std::vector<CFileDateBatch::CFailure> failed =
        CFileDateBatch(stored).Apply(ExpandDroppedFolders(parser.Positional()), *times, onFile);
    if (!kCanWriteCreationTime) {
        std::fputs(
            "The creation time of a file cannot be changed on this system; it was left as it "
            "was.\n",
            out);
    }
    return failed.empty() ? kExitSuccess : kExitFileFailed;
}
