#include "app/ScratchPlace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "util/DebrisSweep.h"
#include "util/FileError.h"

namespace {

// Left in place at exit: removing it could let a third window lock a new file
// while a second one still holds the old.
constexpr const char* kLockFileName = "kestrin.lock";

}  // namespace

CScratchPlace::CScratchPlace(const std::string& lockFolder) {
    if (TakeLock(lockFolder)) {
        m_strFolder = lockFolder;
        return;
    }
    MakePrivateFolder();
}

CScratchPlace::~CScratchPlace() {
    if (m_nLockFd >= 0) {
        ::close(m_nLockFd);
    }
    if (m_bPrivate) {
        std::error_code ignored;
        std::filesystem::remove_all(m_strFolder, ignored);
    }
}

bool CScratchPlace::TakeLock(const std::string& lockFolder) {
    // Close-on-exec: a browser started for the help must not inherit the lock
    // and keep holding it after this window has gone.
    const std::string path = lockFolder + kLockFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    // flock belongs to the open file, so a second window in the same process
    // (as in the tests) is refused just like one in another process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_nLockFd = fd;
    return true;
}

void CScratchPlace::MakePrivateFolder() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    // The name carries this process's id: once it has gone, the start-up
    // sweep removes what a killed window left.
    std::string pattern = WindowScratchFolderPattern(temp.string());
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw CFileException(temp.string(), errno);
    }
    m_strFolder = pattern + "/";
    m_bPrivate = true;
}
