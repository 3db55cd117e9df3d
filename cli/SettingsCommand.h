// kestrin-cli settings [KEY [VALUE]]: shows every stored setting, shows one, or
// stores one. Keys are those of the settings sheet and the window placement.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

int RunSettingsCommand(const Arguments& arguments, CSettingsStore& store);
