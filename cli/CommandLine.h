// What every command of kestrin-cli shares: its arguments and exit codes.
#pragma once

#include <string>
#include <vector>

inline constexpr int kExitSuccess = 0;
// A file failed or was skipped.
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;

using Arguments = std::vector<std::string>;

// The program's usage text, printed by --help and after a usage error.
std::string UsageText();

// Prints "kestrin-cli: <problem>" and the usage text to standard error and
// returns kExitUsage.
int UsageError(const std::string& problem);

// True, after saying so on standard error, when path names something that is
// neither a regular file nor a folder (a named pipe, a device, a socket, or a
// link to one): reading it could wait forever or never end.
bool RefusesIrregularFile(const std::string& path);

// True when everything printed so far reached standard output. Otherwise
// says so on standard error (once): a command then stops early, as other
// tools do when their output is gone.
bool StandardOutputFailed();

// status, or kExitFileFailed when standard output could not be flushed and
// closed: a result that never reached its reader is no success.
int WithStandardOutputClosed(int status);
