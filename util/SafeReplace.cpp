#include "util/SafeReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <vector>

#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kAnyWriteBit = 0222;
constexpr size_t kCopyBlockBytes = 1 << 20;

[[noreturn]] void ThrowFileError(const std::string& path) {
    throw CFileException(path, errno);
}

// The file a symbolic link points to, so that the link survives; any other
// path as it is.
std::string FileBehindLinks(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error) {
        throw CFileException(path, error.value());
    }
    return target.string();
}

// Refuses what the user cannot, or chose not to, write: a path without any
// write permission bit, or one the system would refuse (a read-only drive
// says so; a refused permission counts as read-only, as the user sees it).
void RequireWritable(const std::string& path, EFileFailure readOnly) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return;
    }
    if ((status.st_mode & kAnyWriteBit) == 0) {
        throw CFileException(path, readOnly);
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        const int error = errno;
        const EFileFailure cause = FileFailureOf(error);
        throw CFileException(path, cause == EFileFailure::NoPermission ? readOnly : cause, error);
    }
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : kNewFileMode;
}

CWriteOutcome Reported(const std::function<void()>& write) {
    try {
        write();
        return {};
    } catch (const CFileException& error) {
        return {error.what(), error.Cause()};
    }
}

}  // namespace

// The checks come before the temporary file, so that a refusal leaves nothing behind.
CSafeReplacement::CSafeReplacement(const std::string& path)
    : m_strTarget(CheckedTarget(path)), m_temporary(m_strTarget) {}

CSafeReplacement::~CSafeReplacement() = default;

std::string CSafeReplacement::CheckedTarget(const std::string& path) {
    std::string target = FileBehindLinks(path);
    RequireWritable(target, EFileFailure::ReadOnlyFile);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    RequireWritable(folder.empty() ? "." : folder.string(), EFileFailure::ReadOnlyFolder);
    return target;
}

void CSafeReplacement::Write(const void* data, size_t size) {
    try {
        m_temporary.File().WriteAll(data, size);
    } catch (const CFileException& error) {
        throw CFileException(m_strTarget, error.Cause(), error.SystemError());
    }
}

void CSafeReplacement::CopyFrom(const std::string& source, uint64_t offset) {
    const CFileHandle input(source, O_RDONLY);
    if (!input.IsOpen()) {
        throw CFileException(source, errno);
    }
    input.SeekTo(offset);
    std::vector<char> block(kCopyBlockBytes);
    for (size_t got = block.size(); got == block.size();) {
        got = input.ReadUpTo(block.data(), block.size());
        Write(block.data(), got);
    }
}

void CSafeReplacement::Finish() {
    try {
        const CFileHandle& file = m_temporary.File();
        if (::fchmod(file.Get(), ModeOf(m_strTarget)) != 0 || ::fsync(file.Get()) != 0) {
            ThrowFileError(m_temporary.Path());
        }
        m_temporary.Close();
    } catch (const CFileException& error) {
        throw CFileException(m_strTarget, error.Cause(), error.SystemError());
    }
}

void CSafeReplacement::Commit() {
    const int error = m_temporary.RenameOver(m_strTarget);
    if (error != 0) {
        throw CFileException(m_strTarget, error);
    }
}

void ReplaceFileSafely(const std::string& path, const void* data, size_t size) {
    CSafeReplacement replacement(path);
    replacement.Write(data, size);
    replacement.Finish();
    replacement.Commit();
}

CWriteOutcome WriteFileSafely(const std::string& path, const void* data, size_t size) {
    return Reported([&] { ReplaceFileSafely(path, data, size); });
}

// The source is opened first, so that a missing one is named before the
// destination is looked at; it is copied in blocks, never held whole.
void ReplaceFileWithCopy(const std::string& source, const std::string& destination) {
    if (!FileLength(source)) {
        throw CFileException(source, errno);
    }
    CSafeReplacement replacement(destination);
    replacement.CopyFrom(source, 0);
    replacement.Finish();
    replacement.Commit();
}

CWriteOutcome CopyFileSafely(const std::string& source, const std::string& destination) {
    return Reported([&] { ReplaceFileWithCopy(source, destination); });
}

std::string CopyFailedMessage(const CWriteOutcome& outcome) {
    return (DiskMayBeFull(outcome.cause) ? kCopyFailedText : kCopyFailedAloneText) +
           std::string("\r\n") + outcome.failure;
}
