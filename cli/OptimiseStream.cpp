#include "cli/OptimiseStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "cli/CommandLine.h"
#include "cli/OptimiseWorker.h"
#include "util/FileHandle.h"

namespace {

// A picture on standard input larger than this is refused rather than held.
constexpr size_t kMaxInputBytes = size_t{512} << 20;

constexpr size_t kBlock = size_t{1} << 16;

// Everything on standard input into file, a block at a time; false when it is
// too large or cannot be read. A write error throws CFileException.
bool CopyStandardInput(const CFileHandle& file) {
    uint8_t buffer[kBlock];
    for (size_t total = 0;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || total + static_cast<size_t>(got) > kMaxInputBytes) {
            return false;
        }
        total += static_cast<size_t>(got);
        file.WriteAll(buffer, static_cast<size_t>(got));
    }
}

// The open file on standard output, a block at a time.
bool WriteStandardOutput(const CFileHandle& file) {
    uint8_t buffer[kBlock];
    for (size_t got = kBlock; got == kBlock;) {
        got = file.ReadUpTo(buffer, kBlock);
        std::fwrite(buffer, 1, got, stdout);
    }
    return !StandardOutputFailed();
}

}  // namespace

int OptimiseStandardInput(const CSettingsStore& settings, const std::vector<std::string>& keptCodes,
                          std::FILE* log) {
    COptimiseWorker worker(settings, keptCodes);
    // The batch reads a file with a JPEG name and writes its result beside
    // it: both in the worker's private folder, gone with it. Neither is held
    // in memory.
    const std::string folder = std::filesystem::path(worker.work.m_strTempData).parent_path();
    const std::string path = folder + "/stdin.jpg";
    CFileHandle input(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!input.IsOpen()) {
        std::fputs("kestrin-cli: optimise: cannot keep standard input in a private folder\n",
                   stderr);
        return kExitFileFailed;
    }
    if (!CopyStandardInput(input)) {
        std::fputs(
            "kestrin-cli: optimise: standard input cannot be read or holds more than "
            "512 MiB\n",
            stderr);
        return kExitFileFailed;
    }
    input.CloseChecked();
    CSavingRule rule;
    rule.m_strOutputBase = folder + "/result.jpg";
    const CFileResult result = worker.batch.OptimiseFile(path, rule);
    if (log != nullptr) {
        std::fputs(LogForTerminal(result.m_strLog).c_str(), log);
    }
    const bool unchanged = result.m_eOutcome == EFileOutcome::NothingToRemove;
    const bool optimised = result.m_eOutcome == EFileOutcome::Optimised;
    const CFileHandle output(unchanged ? path : optimised ? result.m_strOutput : "", O_RDONLY);
    if (!output.IsOpen() && !unchanged) {
        std::fprintf(stderr, "kestrin-cli: optimise: -: %s: %s\n", OutcomeName(result.m_eOutcome),
                     result.m_strReason.c_str());
        return kExitFileFailed;
    }
    return output.IsOpen() && WriteStandardOutput(output) ? kExitSuccess : kExitFileFailed;
}
