// kestrin-cli exif show [--json] FILE: the Exif values of a file, decoded into
// the tag dictionary beside the program, as the Exif display lists them.
// kestrin-cli exif backup|embed [-o key=value]... FILE...: the Exif batches.
// kestrin-cli exif transplant --sample SAMPLE FILE...: see TransplantCommand.h.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

// Exit status kExitSuccess when the file carries a decodable Exif structure,
// kExitFileFailed when it does not or cannot be read, kExitUsage otherwise.
int RunExifCommand(const Arguments& arguments, const CSettingsStore& stored);
