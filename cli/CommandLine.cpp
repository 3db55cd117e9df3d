#include "cli/CommandLine.h"

#include <cstdio>

std::string UsageText() {
    return "Usage:\n"
           "  kestrin-cli --help                  show this text\n"
           "  kestrin-cli --version               show the program version\n"
           "  kestrin-cli optimise [--jobs N] [-o key=value]... FILE...\n"
           "                                      optimise JPEG files as the batch dialog does\n"
           "  kestrin-cli exif backup [-o key=value]... FILE...\n"
           "                                      save the Exif block of each file as a .exif "
           "file\n"
           "  kestrin-cli exif embed [-o key=value]... FILE...\n"
           "                                      put each file's saved .exif block back\n"
           "  kestrin-cli exif transplant --sample SAMPLE FILE...\n"
           "                                      give each file the Exif block of SAMPLE (a\n"
           "                                      phone or camera picture) with a thumbnail of\n"
           "                                      its own picture; an Exif block the file\n"
           "                                      already has is replaced\n"
           "  kestrin-cli exif show [--json] FILE show the decoded Exif values of a file\n"
           "  kestrin-cli segments [--json] FILE  list the marker segments of a JPEG file\n"
           "  kestrin-cli dates --set \"YYYY-MM-DD HH:MM\" FILE...\n"
           "                                      set the times of files to one moment\n"
           "  kestrin-cli settings [KEY [VALUE]]  show every stored setting, one, or store one\n"
           "\n"
           "-o key=value changes a setting for this run only (keys as `settings` lists them).\n"
           "A folder given as FILE... stands for the JPEG files in it and its subfolders\n"
           "(names ending in jpg, any case), in name order; symbolic links inside it are\n"
           "passed over. A folder without JPEG files is reported and counts as skipped.\n"
           "--jobs N optimises N files at once; the log still follows the order of the files.\n"
           "segments prints one line per segment: marker, size in bytes and the\n"
           "printable form of its data, separated by tabs. exif show prints one line\n"
           "per Exif value: tag, name and value, separated by tabs.\n"
           "exif transplant prints one line per file: its path and whether it was\n"
           "converted, or why not; a SAMPLE that does not decode or has no Exif block\n"
           "is a usage error.\n"
           "Exit status: 0 every file done, 1 a file failed or was skipped, 2 usage error.\n";
}

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "kestrin-cli: %s\n\n%s", problem.c_str(), UsageText().c_str());
    return kExitUsage;
}
