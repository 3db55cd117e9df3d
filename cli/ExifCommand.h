// kestrin-cli exif show [--display] [--json] FILE: the Exif values of a file as
// a command-line user reads them, named from the tag dictionary beside the
// program; with --display, the texts the window's Exif display lists.
// kestrin-cli exif backup|embed [--json] [-o key=value]... FILE...: the Exif
// batches; --json gives one record per file (FileRecords.h).
// kestrin-cli exif transplant --sample SAMPLE FILE...: see TransplantCommand.h.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

// Exit status kExitSuccess when the file carries a decodable Exif structure,
// kExitFileFailed when it does not or cannot be read, kExitUsage otherwise.
int RunExifCommand(const Arguments& arguments, const CSettingsStore& stored);
