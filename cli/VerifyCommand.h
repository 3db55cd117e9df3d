// kestrin-cli verify [--json] A B: whether two JPEG files, written by any
// program, decode to the same samples; where they differ when they do not.
#pragma once

#include "cli/CommandLine.h"

int RunVerifyCommand(const Arguments& arguments);
