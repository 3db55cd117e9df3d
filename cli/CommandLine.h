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
