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

// One local moment (year, month 1-12, day, hour, minute; seconds 0) as a time
// for all three times. Nothing for a moment that does not exist.
std::optional<CFileTimes> TimesAtLocalMoment(int year, int month, int day, int hour, int minute);
