// kestrin-cli settings [KEY [VALUE]]: shows every stored setting, shows one, or
// stores one. Keys are those of the settings sheet and the window placement.
#pragma once

#include "cli/CommandLine.h"

class CQtSettingsStore;

// A value is stored only when it reached the settings file: a file that is
// read-only, a folder or no regular file at all gives kExitFileFailed.
int RunSettingsCommand(const Arguments& arguments, CQtSettingsStore& store);
