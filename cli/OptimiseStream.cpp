#include "cli/OptimiseStream.h"

#include <unistd.h>

#include <filesystem>

#include "cli/CommandLine.h"
#include "cli/OptimiseWorker.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"

namespace {

// A picture on standard input larger than this is refused rather than held.
constexpr size_t kMaxInputBytes = size_t{512} << 20;

// Everything on standard input; nothing when it is too large or fails.
std::optional<ByteVector> ReadStandardInput() {
    ByteVector bytes;
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0) {
            return bytes;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || bytes.size() + static_cast<size_t>(got) > kMaxInputBytes) {
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}

bool WriteStandardOutput(const ByteVector& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return !StandardOutputFailed();
}

}  // namespace

int OptimiseStandardInput(const CSettingsStore& settings, const std::vector<std::string>& keptCodes,
                          std::FILE* log) {
    const std::optional<ByteVector> input = ReadStandardInput();
    if (!input) {
        std::fputs(
            "kestrin-cli: optimise: standard input cannot be read or holds more than "
            "512 MiB\n",
            stderr);
        return kExitFileFailed;
    }
    COptimiseWorker worker(settings, keptCodes);
    // The batch reads a file with a JPEG name and writes its result beside
    // it: both in the worker's private folder, gone with it.
    const std::string folder = std::filesystem::path(worker.work.m_strTempData).parent_path();
    const std::string path = folder + "/stdin.jpg";
    if (!WriteWholeFile(path, input->data(), input->size())) {
        std::fputs("kestrin-cli: optimise: cannot keep standard input in a private folder\n",
                   stderr);
        return kExitFileFailed;
    }
    CSavingRule rule;
    rule.m_strOutputBase = folder + "/result.jpg";
    const CFileResult result = worker.batch.OptimiseFile(path, rule);
    if (log != nullptr) {
        std::fputs(LogForTerminal(result.m_strLog).c_str(), log);
    }
    if (result.m_eOutcome == EFileOutcome::NothingToRemove) {
        return WriteStandardOutput(*input) ? kExitSuccess : kExitFileFailed;
    }
    const std::optional<ByteVector> output = result.m_eOutcome == EFileOutcome::Optimised
                                                 ? ReadFileBytes(result.m_strOutput)
                                                 : std::nullopt;
    if (!output) {
        std::fprintf(stderr, "kestrin-cli: optimise: -: %s: %s\n", OutcomeName(result.m_eOutcome),
                     result.m_strReason.c_str());
        return kExitFileFailed;
    }
    return WriteStandardOutput(*output) ? kExitSuccess : kExitFileFailed;
}
