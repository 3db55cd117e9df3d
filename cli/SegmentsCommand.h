// kestrin-cli segments [--json] FILE: the marker segments of a file exactly as
// the scanner finds them, before any Exif cut or filtering.
#pragma once

#include "cli/CommandLine.h"

int RunSegmentsCommand(const Arguments& arguments);
