#include "cli/CommandLine.h"

#include <cstdio>

std::string UsageText() {
    return "Usage:\n"
           "  kestrin-cli --help                  show this text\n"
           "  kestrin-cli --version               show the program version\n"
           "  kestrin-cli segments [--json] FILE  list the marker segments of a JPEG file\n"
           "  kestrin-cli settings [KEY [VALUE]]  show every stored setting, one, or store one\n"
           "\n"
           "segments prints one line per segment: marker, size in bytes and the\n"
           "printable form of its data, separated by tabs.\n"
           "Exit status: 0 done, 1 a file could not be processed, 2 usage error.\n";
}

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "kestrin-cli: %s\n\n%s", problem.c_str(), UsageText().c_str());
    return kExitUsage;
}
