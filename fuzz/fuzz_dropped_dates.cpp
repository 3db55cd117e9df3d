// Builds a hostile folder tree (JPEG and other files, folders, links to a
// folder and a file outside it), drops the tree as a batch window gets it,
// and gives every file a hostile moment as the file-date batch does. The
// expansion must find every JPEG file below the tree and nothing else, never
// through a link, and give itself back when expanded again; the batch must
// set exactly those files' times and touch nothing outside the tree.
//
// Input: the moment (year, month, day, hour, minute: a byte each), then one
// byte per entry of the tree.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "dates/FileDateBatch.h"
#include "fuzz/FuzzSupport.h"
#include "settings/MemorySettingsStore.h"
#include "util/DroppedFolders.h"
#include "util/FileHelpers.h"
#include "util/TextHelpers.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMostEntries = 24;
const char* const kNames[] = {"a.jpg", "B.JPG", "c.jpeg", "d.txt", "e", "f.Jpg", "g", "ｱ.jpg"};
constexpr size_t kNameCount = sizeof(kNames) / sizeof(kNames[0]);

enum EEntry : uint8_t { JpegFile, OtherFile, Folder, Up, FolderLink, FileLink };
constexpr uint8_t kEntryKinds = FileLink + 1;

struct CTreeFiles {
    CTreeFiles() {
        std::error_code ignored;
        fs::create_directory(outside.File("folder"), ignored);
        Require(WriteWholeFile(outsideFile, "outside"));
    }
    CFuzzFolder outside;
    CFuzzFolder tree;
    std::string outsideFile = outside.File("folder/o.jpg");
    std::string root = tree.File("drop");
};

void BuildTree(CFuzzReader& input, const CTreeFiles& files) {
    std::error_code ignored;
    fs::create_directory(files.root, ignored);
    fs::path folder = files.root;
    for (size_t entry = 0; entry < kMostEntries && !input.Empty(); ++entry) {
        const uint8_t byte = input.Byte();
        const fs::path path = folder / kNames[byte / kEntryKinds % kNameCount];
        switch (byte % kEntryKinds) {
            case JpegFile:
            case OtherFile:
                WriteWholeFile(path.string(), "x");
                break;
            case Folder:
                if (fs::create_directory(path, ignored)) {
                    folder = path;
                }
                break;
            case Up:
                folder = folder == files.root ? folder : folder.parent_path();
                break;
            case FolderLink:
                fs::create_directory_symlink(files.outside.File("folder"), path, ignored);
                break;
            case FileLink:
                fs::create_symlink(files.outsideFile, path, ignored);
                break;
        }
    }
}

// Every file the expansion must find, by a walk that never follows a link.
std::vector<std::string> JpegFilesBelow(const std::string& root) {
    std::vector<std::string> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file() && !it->is_symlink() && HasJpgName(it->path().string())) {
            found.push_back(it->path().string());
        }
    }
    Require(!error);
    return found;
}

void CheckExpansion(const CTreeFiles& files, const std::vector<std::string>& expanded) {
    std::vector<std::string> expected = JpegFilesBelow(files.root);
    if (expected.empty()) {
        expected.push_back(files.root);
    }
    std::vector<std::string> sorted = expanded;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    Require(sorted == expected);
    Require(ExpandDroppedFolders(expanded) == expanded);
}

int64_t ModificationSeconds(const std::string& path) {
    struct stat status {};
    Require(::lstat(path.c_str(), &status) == 0);
    return status.st_mtim.tv_sec;
}

void CheckDates(CFuzzReader& moment, const CTreeFiles& files,
                const std::vector<std::string>& expanded) {
    const int year = 1890 + moment.Byte() * 3;
    const int month = moment.Byte() % 14;
    const int day = moment.Byte() % 33;
    const int hour = moment.Byte() % 26;
    const int minute = moment.Byte() % 62;
    const std::optional<CFileTimes> times = TimesAtLocalMoment(year, month, day, hour, minute);
    if (!times) {
        return;
    }
    std::map<std::string, int64_t> before;
    for (const std::string& path : expanded) {
        before[path] = ModificationSeconds(path);
    }
    const int64_t outsideBefore = ModificationSeconds(files.outsideFile);
    CMemorySettingsStore settings;
    const std::vector<CFileDateBatch::CFailure> failures =
        CFileDateBatch(settings).Apply({files.root}, *times);
    std::map<std::string, CTimesWritten::EResult> failed;
    for (const CFileDateBatch::CFailure& failure : failures) {
        failed[failure.path] = failure.written.result;
    }
    for (const std::string& path : expanded) {
        const auto failure = failed.find(path);
        if (failure == failed.end()) {
            Require(ModificationSeconds(path) == times->modification.tv_sec);
        } else if (failure->second == CTimesWritten::EResult::NotHeld) {
            Require(ModificationSeconds(path) == before[path]);
        }
    }
    Require(ModificationSeconds(files.outsideFile) == outsideBefore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CTreeFiles files;
    const size_t momentBytes = std::min<size_t>(size, 5);
    CFuzzReader moment(data, momentBytes);
    CFuzzReader tree(data + momentBytes, size - momentBytes);
    files.tree.Empty();
    BuildTree(tree, files);
    const std::vector<std::string> expanded = ExpandDroppedFolders({files.root});
    CheckExpansion(files, expanded);
    CheckDates(moment, files, expanded);
    return 0;
}
