// kestrin-cli optimise -: one JPEG from standard input, its verified result
// on standard output, as a filter in a pipe. A picture with nothing to
// remove comes out unchanged; one whose result fails the check, or that
// cannot be read, gives nothing and status 1. No Exif backup is kept.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class CSettingsStore;

// log: where the file's log goes (nullptr: nowhere). The exit status.
int OptimiseStandardInput(const CSettingsStore& settings, const std::vector<std::string>& keptCodes,
                          std::FILE* log);
