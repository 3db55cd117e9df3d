#include "cli/OptimiseCommand.h"

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/BatchArguments.h"
#include "cli/SettingOptions.h"
#include "cli/VerbParser.h"
#include "optimise/BatchOptimiser.h"
#include "segment/KeptHeaderList.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "util/ProgramPlaces.h"

namespace {

// A message the core shows outside a file's work: the saving's messages go
// into that file's log.
void PrintShownMessage(const std::string& text) {
    std::printf("kestrin-cli: %s\n", text.c_str());
}

// One worker's own scratch files and engines. Its work copies stay in
// memory: nobody looks at a worker's scratch files.
struct COptimiseWorker {
    COptimiseWorker(const CSettingsStore& settings, const std::vector<std::string>& keptCodes)
        : work(scratch.WorkFiles()),
          exif(work.m_strExifInf, ""),
          batch(work, settings, keptCodes, exif) {
        batch.KeepWorkCopyInMemory();
    }

    CScratchFolder scratch;
    CWorkFiles work;
    CExifEngine exif;
    CBatchOptimiser batch;
};

// The files of one run, handed out to the workers one at a time; the results
// are printed in input order as soon as each one and all before it are done,
// and only those waiting for an earlier one are held.
class COptimiseRun {
public:
    COptimiseRun(const CBatchArguments& arguments, std::vector<std::string> keptCodes)
        : m_arguments(arguments),
          m_keptCodes(std::move(keptCodes)),
          m_bShowProgress(::isatty(STDERR_FILENO) == 1) {}

    std::unique_ptr<COptimiseWorker> MakeWorker() const {
        return std::make_unique<COptimiseWorker>(*m_arguments.settings, m_keptCodes);
    }

    void Work(COptimiseWorker& worker) {
        for (size_t i = m_next++; i < FileCount(); i = m_next++) {
            CFileResult result = OptimiseGuarded(worker.batch, m_arguments.files[i]);
            const std::lock_guard lock(m_mutex);
            m_waiting.emplace(i, std::move(result));
            m_changed.notify_one();
        }
    }

    // Prints every report in order; true when every file succeeded. When
    // standard output fails, no further file is started and false comes back.
    bool PrintInOrder() {
        bool allSucceeded = true;
        int64_t before = 0;
        int64_t after = 0;
        for (size_t i = 0; i < FileCount(); ++i) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_waiting.contains(i); });
            const CFileResult result = std::move(m_waiting.extract(i).mapped());
            lock.unlock();
            std::fputs(LogForTerminal(result.m_strLog).c_str(), stdout);
            if (StandardOutputFailed()) {
                m_next = FileCount();
                return false;
            }
            ShowProgress(i + 1);
            before += result.m_nCountedBefore;
            after += result.m_nCountedAfter;
            allSucceeded = allSucceeded && result.Succeeded();
        }
        std::printf("最適化前の合計 %lld ﾊﾞｲﾄ\n最適化後の合計 %lld ﾊﾞｲﾄ\n",
                    static_cast<long long>(before), static_cast<long long>(after));
        return allSucceeded;
    }

private:
    // A failure of the system (a full disk, say) ends this file, not the run.
    static CFileResult OptimiseGuarded(CBatchOptimiser& batch, const std::string& file) {
        try {
            return batch.OptimiseFile(file);
        } catch (const std::exception& error) {
            CFileResult result;
            result.m_strInput = file;
            result.m_strReason = error.what();
            result.m_strLog = "kestrin-cli: " + file + ": " + error.what() + "\n";
            return result;
        }
    }

    size_t FileCount() const { return m_arguments.files.size(); }

    void ShowProgress(size_t printed) const {
        if (m_bShowProgress) {
            std::fprintf(stderr, "\r%zu/%zu", printed, FileCount());
            if (printed == FileCount()) {
                std::fputs("\n", stderr);
            }
        }
    }

    const CBatchArguments& m_arguments;
    const std::vector<std::string> m_keptCodes;
    std::map<size_t, CFileResult> m_waiting;
    std::atomic<size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bShowProgress;
};

// Every option of optimise. A new one is declared here, and read from parser
// in RunOptimiseCommand after BatchArgumentsOf.
void DeclareOptimiseOptions(CVerbParser& parser) {
    DeclareBatchOptions(parser, true);
    DeclareSettingOptions(parser,
                          {"in-place", "suffix", "keep-exif", "remove-exif", "no-exif-backup"});
}

}  // namespace

int RunOptimiseCommand(const Arguments& arguments, const CSettingsStore& stored) {
    CVerbParser parser("optimise", "[options] FILE...",
                       "Optimises JPEG files as the batch dialog does; each result is decoded "
                       "and compared\nwith its picture before it is written.");
    DeclareOptimiseOptions(parser);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const std::optional<CBatchArguments> parsed = BatchArgumentsOf(parser, stored);
    if (!parsed) {
        return kExitUsage;
    }
    const MessageSink previousSink = SetMessageSink(PrintShownMessage);
    COptimiseRun run(
        *parsed,
        LoadKeptHeaderCodes(MakeWorkFiles(FindProgramPlaces().m_strListFolder, "").m_strNokCode));
    std::vector<std::unique_ptr<COptimiseWorker>> workers;
    for (int i = 0; i < parsed->jobs; ++i) {
        workers.push_back(run.MakeWorker());
    }
    std::vector<std::thread> threads;
    for (const auto& worker : workers) {
        threads.emplace_back([&run, &worker] { run.Work(*worker); });
    }
    const bool allSucceeded = run.PrintInOrder();
    for (std::thread& thread : threads) {
        thread.join();
    }
    SetMessageSink(previousSink);
    return allSucceeded && !parsed->anyFileRefused ? kExitSuccess : kExitFileFailed;
}
