// kestrin-cli dates [--json] --set "YYYY-MM-DD HH:MM" FILE...: the file-date
// batch. The modification and access times are set; this system cannot change
// a file's creation time, and the output says so. --json gives one record per
// file (FileRecords.h) and moves the lines to standard error.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

int RunDatesCommand(const Arguments& arguments, const CSettingsStore& stored);
