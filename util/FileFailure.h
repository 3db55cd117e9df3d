// Why a file operation failed, in the words the user is shown: the cause
// behind a system error number, and one Japanese sentence per cause. A
// message names the real cause, so that a read-only photo is never blamed
// on the disk's free space.
#pragma once

#include <string>

enum class EFileFailure {
    ReadOnlyFile,
    ReadOnlyFolder,
    ReadOnlyDrive,
    NoPermission,
    DiskFull,
    NameTooLong,
    Missing,
    // A file stands where the path needs a folder.
    FileInPath,
    NotRegularFile,
    // Any other system error; the message then gives its number.
    Unknown,
};

// The cause behind errno systemError of a failed open, read, write or rename.
EFileFailure FileFailureOf(int systemError);

// True when the cause may be a full disk: it is one, or it is not known.
bool DiskMayBeFull(EFileFailure cause);

// What the message says after the path ("…は読み取り専用のﾌｧｲﾙです。…").
const char* FileFailureText(EFileFailure cause);

// The path followed by the cause; an unknown cause also gives systemError's number.
std::string FileFailureMessage(const std::string& path, EFileFailure cause, int systemError = 0);
