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

// Appends the JPEG files below folder; a subfolder that cannot be read is
// appended itself, so that the batch names it instead of passing over it.
bool CollectJpegFiles(const fs::path& folder, std::vector<std::string>& files) {
    std::vector<fs::directory_entry> entries;
    if (!ListSorted(folder, entries)) {
        return false;
    }
    for (const fs::directory_entry& entry : entries) {
        std::error_code error;
        const fs::file_status status = entry.symlink_status(error);
        if (fs::is_directory(status)) {
            if (!CollectJpegFiles(entry.path(), files)) {
                files.push_back(entry.path().string());
            }
        } else if (fs::is_regular_file(status) && HasJpgName(entry.path().native())) {
            files.push_back(entry.path().string());
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> ExpandDroppedFolders(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        const size_t before = files.size();
        if (IsFolder(path)) {
            CollectJpegFiles(path, files);
        }
        if (files.size() == before) {
            files.push_back(path);
        }
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
