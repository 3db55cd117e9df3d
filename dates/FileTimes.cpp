#include "dates/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "util/FileFailure.h"

namespace {

timespec FromStatx(const statx_timestamp& stamp) {
    timespec time{};
    time.tv_sec = stamp.tv_sec;
    time.tv_nsec = stamp.tv_nsec;
    return time;
}

}  // namespace

std::optional<CFileTimes> ReadFileTimes(const std::string& path) {
    struct statx status {};
    const unsigned wanted = STATX_ATIME | STATX_MTIME | STATX_BTIME;
    if (::statx(AT_FDCWD, path.c_str(), 0, wanted, &status) != 0) {
        return std::nullopt;
    }
    CFileTimes times;
    times.modification = FromStatx(status.stx_mtime);
    times.access = FromStatx(status.stx_atime);
    if ((status.stx_mask & STATX_BTIME) != 0) {
        times.creation = FromStatx(status.stx_btime);
    }
    return times;
}

bool WriteFileTimes(const std::string& path, const CFileTimes& times) {
    const timespec both[2] = {times.access, times.modification};
    return ::utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
}

CTimesWritten SetFileTimesChecked(const std::string& path, const CFileTimes& times) {
    using EResult = CTimesWritten::EResult;
    errno = 0;
    const std::optional<CFileTimes> previous = ReadFileTimes(path);
    if (!previous || !WriteFileTimes(path, times)) {
        return {EResult::NotChanged, {}, errno};
    }
    const std::optional<CFileTimes> stored = ReadFileTimes(path);
    if (!stored) {
        return {EResult::NotChanged, {}, errno};
    }
    if (stored->modification.tv_sec == times.modification.tv_sec &&
        stored->modification.tv_nsec == times.modification.tv_nsec) {
        return {EResult::Set, stored->modification};
    }
    WriteFileTimes(path, *previous);
    return {EResult::NotHeld, stored->modification};
}

std::optional<CFileTimes> TimesAtLocalMoment(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;  // the system decides whether summer time applies
    const std::tm asked = local;
    const time_t moment = std::mktime(&local);
    // mktime normalises impossible dates (31 February); such a moment was not asked for.
    if (moment == static_cast<time_t>(-1) || local.tm_year != asked.tm_year ||
        local.tm_mon != asked.tm_mon || local.tm_mday != asked.tm_mday) {
        return std::nullopt;
    }
    CFileTimes times;
    times.modification.tv_sec = moment;
    times.access.tv_sec = moment;
    times.creation = times.modification;
    return times;
}

std::string UnchangedTimesLine(const std::string& path, const CTimesWritten& written) {
    if (written.result == CTimesWritten::EResult::NotHeld) {
        return path + "の日付をﾌｧｲﾙｼｽﾃﾑが保持できません。元の日付のままです。";
    }
    if (written.systemError == 0) {
        return path;
    }
    return FileFailureMessage(path, FileFailureOf(written.systemError), written.systemError);
}
