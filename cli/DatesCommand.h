// kestrin-cli dates --set "YYYY-MM-DD HH:MM" FILE...: the file-date batch. The
// modification and access times are set; this system cannot change a file's
// creation time, and the output says so.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

int RunDatesCommand(const Arguments& arguments, const CSettingsStore& stored);
