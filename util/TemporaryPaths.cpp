#include "util/TemporaryPaths.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

struct CRecord {
    std::mutex mutex;
    std::set<std::string> paths;
};

// Never destroyed: a signal may arrive while static objects are torn down.
CRecord& Record() {
    static CRecord* record = new CRecord;
    return *record;
}

// A worker may still be creating a work file inside a scratch folder while it
// is removed: the folder then is not empty when its turn comes, so the removal
// goes again. Once the folder is gone nothing can be created in it by name.
constexpr int kRemovalAttempts = 100;

void RemovePath(const std::string& path) {
    for (int attempt = 0; attempt < kRemovalAttempts; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(path, error);
        std::error_code unknown;
        if (!error || !std::filesystem::exists(std::filesystem::symlink_status(path, unknown))) {
            return;
        }
    }
}

}  // namespace

int CreateTemporaryFile(std::string& pattern) {
    CRecord& record = Record();
    const std::lock_guard lock(record.mutex);
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
        record.paths.insert(pattern);
    }
    return fd;
}

bool CreateTemporaryFolder(std::string& pattern) {
    CRecord& record = Record();
    const std::lock_guard lock(record.mutex);
    if (::mkdtemp(pattern.data()) == nullptr) {
        return false;
    }
    record.paths.insert(pattern);
    return true;
}

int RenameTemporaryOver(const std::string& path, const std::string& target) {
    CRecord& record = Record();
    const std::lock_guard lock(record.mutex);
    if (::rename(path.c_str(), target.c_str()) != 0) {
        return errno;
    }
    record.paths.erase(path);
    return 0;
}

void RemoveTemporary(const std::string& path) {
    CRecord& record = Record();
    const std::lock_guard lock(record.mutex);
    RemovePath(path);
    record.paths.erase(path);
}

std::unique_lock<std::mutex> RemoveAllTemporaryPaths() {
    CRecord& record = Record();
    std::unique_lock lock(record.mutex);
    for (const std::string& path : record.paths) {
        RemovePath(path);
    }
    record.paths.clear();
    return lock;
}
