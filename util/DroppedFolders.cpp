#include "util/DroppedFolders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "util/TextHelpers.h"

namespace fs = std::filesystem;

namespace {

// The entries of folder sorted by name; false when it cannot be listed.
bool ListSorted(const fs::path& folder, std::vector<fs::directory_entry>& entries) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& left, const auto& right) {
        return left.path().filename().native() < right.path().filename().native();
    });
    return !error;
}

bool IsSameFolder(const fs::path& folder, const fs::path& other) {
    std::error_code error;
    return !other.empty() && fs::equivalent(folder, other, error);
}

// Appends the JPEG files below folder, each with its place under place; a
// subfolder that cannot be read is appended itself, so that the batch names
// it instead of passing over it. The folder skip is not entered.
bool CollectJpegFiles(const fs::path& folder, const fs::path& place, const fs::path& skip,
                      std::vector<CDroppedFile>& files) {
    std::vector<fs::directory_entry> entries;
    if (!ListSorted(folder, entries)) {
        return false;
    }
    for (const fs::directory_entry& entry : entries) {
        std::error_code error;
        const fs::file_status status = entry.symlink_status(error);
        const fs::path entryPlace = place / entry.path().filename();
        if (fs::is_directory(status)) {
            if (IsSameFolder(entry.path(), skip)) {
                continue;
            }
            if (!CollectJpegFiles(entry.path(), entryPlace, skip, files)) {
                files.push_back({entry.path().string(), entryPlace.string()});
            }
        } else if (fs::is_regular_file(status) && HasJpgName(entry.path().native())) {
            files.push_back({entry.path().string(), entryPlace.string()});
        }
    }
    return true;
}

// The last name of path, also for "photos/", "." or "..".
fs::path LastName(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::weakly_canonical(fs::absolute(path, error), error);
    return absolute.filename().empty() ? fs::path(path).filename() : absolute.filename();
}

}  // namespace

std::vector<CDroppedFile> ExpandDroppedFoldersWithPlaces(const std::vector<std::string>& paths,
                                                         const std::string& skip) {
    std::vector<CDroppedFile> files;
    for (const std::string& path : paths) {
        const size_t before = files.size();
        if (IsFolder(path)) {
            CollectJpegFiles(path, LastName(path), skip, files);
        }
        if (files.size() == before) {
            files.push_back({path, LastName(path).string()});
        }
    }
    return files;
}

std::vector<std::string> ExpandDroppedFolders(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (CDroppedFile& file : ExpandDroppedFoldersWithPlaces(paths, "")) {
        files.push_back(std::move(file.m_strPath));
    }
    return files;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string NoJpegFilesLine(const std::string& folder) {
    return folder + "にJPEGﾌｧｲﾙは見つかりません。\r\n\r\n";
}
