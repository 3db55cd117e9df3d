// The three times of a file. The creation time is read where the file system
// reports it; Linux offers no way to write it, so only the modification and
// access times are ever set here.
#pragma once

#include <ctime>
#include <optional>
#include <string>

struct CFileTimes {
    // Nothing when the file system does not report a creation time.
    std::optional<timespec> creation;
    timespec modification{};
    timespec access{};
};

// False on this platform: a set of times never changes a file's creation time.
inline constexpr bool kCanWriteCreationTime = false;

// Nothing when the file cannot be examined.
std::optional<CFileTimes> ReadFileTimes(const std::string& path);

// Gives path the modification and access times of times (the creation time
// cannot be written here). False when the file cannot be changed.
bool WriteFileTimes(const std::string& path, const CFileTimes& times);

// What became of a moment given to a file as its times.
struct CTimesWritten {
    enum class EResult {
        Set,
        // The file could not be examined or changed.
        NotChanged,
        // The file system kept another time than the one asked for (ext4, say,
        // holds 1901-12-13 to 2446-05-10 and silently clamps what lies outside);
        // the file got its previous times back.
        NotHeld,
    };
    EResult result = EResult::NotChanged;
    // The modification time the file system kept, for NotHeld.
    timespec stored{};
    // The errno of the call that failed, for NotChanged; 0 when none did.
    int systemError = 0;
};

// WriteFileTimes, then the times read back: only the modification time is
// compared, as some file systems keep access times by the day only.
CTimesWritten SetFileTimesChecked(const std::string& path, const CFileTimes& times);

// path and why its times were left as they were (the path alone when that
// is not known), as the window lists it.
std::string UnchangedTimesLine(const std::string& path, const CTimesWritten& written);

// One local moment (year, month 1-12, day, hour, minute; seconds 0) as a time
// for all three times. Nothing for a moment that does not exist.
std::optional<CFileTimes> TimesAtLocalMoment(int year, int month, int day, int hour, int minute);
