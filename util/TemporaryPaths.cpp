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

void RemovePath(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
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
