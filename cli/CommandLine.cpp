#include "cli/CommandLine.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string UsageText() {
    return "Usage:\n"
           "  kestrin-cli --help                  show this text\n"
           "  kestrin-cli --version               show the program version\n"
           "  kestrin-cli optimise [options] FILE...\n"
           "                                      optimise JPEG files as the batch dialog does\n"
           "  kestrin-cli exif backup [-o key=value]... FILE...\n"
           "                                      save the Exif block of each file as a .exif "
           "file\n"
           "  kestrin-cli exif embed [options] FILE...\n"
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
           "  kestrin-cli verify [--json] A B     tell whether two JPEG files decode to the same\n"
           "                                      samples, and where they first differ\n"
           "  kestrin-cli settings [KEY [VALUE]]  show every stored setting, one, or store one\n"
           "\n"
           "Every command answers --help (or -h) with its own options.\n"
           "optimise takes --jobs N (N files at once; the log still follows the order of\n"
           "the files), --in-place or --suffix TEXT (the result replaces the file, or is\n"
           "named with TEXT before .jpg), --keep-exif or --remove-exif, --no-exif-backup;\n"
           "exif embed takes --in-place or --suffix TEXT.\n"
           "-o key=value changes any setting for this run only (keys as `settings` lists\n"
           "them); a named option and -o for the same setting is a usage error.\n"
           "A folder given as FILE... stands for the JPEG files in it and its subfolders\n"
           "(names ending in jpg, any case), in name order; symbolic links inside it are\n"
           "passed over. A folder without JPEG files is reported and counts as skipped.\n"
           "segments prints one line per segment: marker, size in bytes and the\n"
           "printable form of its data, separated by tabs. exif show prints one line\n"
           "per Exif value: tag, name and value, separated by tabs.\n"
           "exif transplant prints one line per file: its path and whether it was\n"
           "converted, or why not; a SAMPLE that does not decode, has no Exif block or\n"
           "no usable thumbnail in it is a usage error.\n"
           "Exit status: 0 every file done, 1 a file failed or was skipped, 2 usage error.\n";
}

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "kestrin-cli: %s\n\n%s", problem.c_str(), UsageText().c_str());
    return kExitUsage;
}

bool RefusesIrregularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) {
        return false;
    }
    std::fprintf(stderr,
                 "kestrin-cli: %s: not a regular file (a named pipe, device or socket); left "
                 "alone\n",
                 path.c_str());
    return true;
}

namespace {

bool g_bOutputFailureTold = false;

int ReportOutputFailure(int error) {
    if (!g_bOutputFailureTold) {
        std::fprintf(stderr, "kestrin-cli: cannot write to standard output: %s\n",
                     error != 0 ? std::strerror(error) : "write failed");
        g_bOutputFailureTold = true;
    }
    return kExitFileFailed;
}

}  // namespace

bool StandardOutputFailed() {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return false;
    }
    ReportOutputFailure(errno);
    return true;
}

int WithStandardOutputClosed(int status) {
    if (StandardOutputFailed()) {
        return kExitFileFailed;
    }
    // Everything was flushed: a closed standard output that was never
    // written to (EBADF) has lost nothing.
    if (std::fclose(stdout) != 0 && errno != EBADF) {
        return ReportOutputFailure(errno);
    }
    return status;
}
