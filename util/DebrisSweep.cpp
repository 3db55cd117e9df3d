#include "util/DebrisSweep.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

namespace {

constexpr std::string_view kBesideMark = ".kestrin-";
constexpr std::string_view kScratchPrefix = "kestrin-cli-";
constexpr std::string_view kWindowScratchPrefix = "kestrin-";
constexpr size_t kUniqueChars = 6;

std::string ProcessPart() {
    return std::to_string(::getpid()) + "-XXXXXX";
}

// The process id in "<pid>-<six letters or digits>", the whole of tail.
std::optional<pid_t> ProcessOfTail(std::string_view tail) {
    const size_t dash = tail.find('-');
    if (dash == std::string_view::npos || tail.size() - dash - 1 != kUniqueChars) {
        return std::nullopt;
    }
    for (const char c : tail.substr(dash + 1)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(tail.data(), tail.data() + dash, pid);
    if (error != std::errc() || end != tail.data() + dash || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

bool HasEnded(pid_t pid) {
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

struct CDebrisName {
    pid_t maker;
    bool isFolder;
};

// What name says when it is one of ours: who made it and of which kind it is.
std::optional<CDebrisName> ParseDebrisName(std::string_view name) {
    for (const std::string_view prefix : {kScratchPrefix, kWindowScratchPrefix}) {
        const std::optional<pid_t> maker =
            name.starts_with(prefix) ? ProcessOfTail(name.substr(prefix.size())) : std::nullopt;
        if (maker) {
            return CDebrisName{*maker, true};
        }
    }
    const size_t mark = name.rfind(kBesideMark);
    if (mark == std::string_view::npos || mark == 0) {
        return std::nullopt;
    }
    const std::optional<pid_t> maker = ProcessOfTail(name.substr(mark + kBesideMark.size()));
    if (!maker) {
        return std::nullopt;
    }
    return CDebrisName{*maker, false};
}

void SweepEntry(const std::filesystem::path& entry) {
    const std::optional<CDebrisName> debris = ParseDebrisName(entry.filename().native());
    struct stat status {};
    if (!debris || ::lstat(entry.c_str(), &status) != 0 || status.st_uid != ::getuid()) {
        return;
    }
    const bool kindMatches = debris->isFolder ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
    if (kindMatches && HasEnded(debris->maker)) {
        std::error_code ignored;
        std::filesystem::remove_all(entry, ignored);
    }
}

}  // namespace

std::string TemporaryPatternBeside(const std::string& path) {
    return path + std::string(kBesideMark) + ProcessPart();
}

std::string ScratchFolderPattern(const std::string& folder) {
    return (std::filesystem::path(folder) / (std::string(kScratchPrefix) + ProcessPart())).string();
}

std::string WindowScratchFolderPattern(const std::string& folder) {
    return (std::filesystem::path(folder) / (std::string(kWindowScratchPrefix) + ProcessPart()))
        .string();
}

void SweepTemporaryFolderDebris() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (!error) {
        SweepDebris(folder.string());
    }
}

void SweepDebrisBeside(const std::vector<std::string>& files) {
    std::set<std::string> folders;
    for (const std::string& file : files) {
        folders.insert(std::filesystem::path(file).parent_path().string());
    }
    for (const std::string& folder : folders) {
        SweepDebris(folder);
    }
}

void SweepDebris(const std::string& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
         !error && it != end; it.increment(error)) {
        SweepEntry(it->path());
    }
}
