// kestrin-cli optimise [options] FILE...: the batch
// optimiser over the given files, its log on standard output in input order
// and the byte totals at the end. Each worker has its own scratch files.
#pragma once

#include "cli/CommandLine.h"

class CSettingsStore;

int RunOptimiseCommand(const Arguments& arguments, const CSettingsStore& stored);
