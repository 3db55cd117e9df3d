// kestrin-cli exif transplant [--json] --sample SAMPLE FILE...: the dialog's
// conversion to a sample picture's layout, for many files from a script.
// --json gives one record per file (FileRecords.h) and moves the lines to
// standard error.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

// arguments: the words after "exif transplant". Prints one line per file: its path and
// whether it was converted, or why not. kExitSuccess when every file was
// converted, kExitFileFailed when one was skipped, kExitUsage after a usage
// error or for a sample that does not decode or carries no Exif block.
int RunTransplantCommand(const Arguments& arguments, const CSettingsStore& stored);
