#include "cli/OptimiseCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
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

// A message the core shows while a worker optimises a file (a failed write,
// say) goes into that file's report where the log stood at that moment, so
// that it reaches standard output in order with the log, whatever the jobs.
struct CShownMessage {
    size_t logSize;
    std::string text;
};
thread_local const CBatchOptimiser* t_pBatchShowing = nullptr;
thread_local std::vector<CShownMessage> t_shownMessages;

void KeepShownMessage(const std::string& text) {
    if (t_pBatchShowing == nullptr) {
        std::printf("kestrin-cli: %s\n", text.c_str());
        return;
    }
    t_shownMessages.push_back({t_pBatchShowing->Log().size(), "kestrin-cli: " + text + "\r\n"});
}

// The log of batch from logStart on, with the messages shown meanwhile.
std::string LogWithShownMessages(const CBatchOptimiser& batch, size_t logStart) {
    std::string log = batch.Log().substr(logStart);
    for (auto shown = t_shownMessages.rbegin(); shown != t_shownMessages.rend(); ++shown) {
        log.insert(std::min(shown->logSize - logStart, log.size()), shown->text);
    }
    t_shownMessages.clear();
    return log;
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

struct CFileReport {
    std::string log;
    int64_t bytesBefore = 0;
    int64_t bytesAfter = 0;
    bool succeeded = false;
    bool done = false;
};

// The files of one run, handed out to the workers one at a time; the reports
// are printed in input order as soon as each one and all before it are done.
class COptimiseRun {
public:
    COptimiseRun(const CBatchArguments& arguments, std::vector<std::string> keptCodes)
        : m_arguments(arguments),
          m_keptCodes(std::move(keptCodes)),
          m_reports(arguments.files.size()),
          m_bShowProgress(::isatty(STDERR_FILENO) == 1) {}

    std::unique_ptr<COptimiseWorker> MakeWorker() const {
        return std::make_unique<COptimiseWorker>(*m_arguments.settings, m_keptCodes);
    }

    void Work(COptimiseWorker& worker) {
        for (size_t i = m_next++; i < m_reports.size(); i = m_next++) {
            CFileReport report = OptimiseGuarded(worker.batch, m_arguments.files[i]);
            const std::lock_guard lock(m_mutex);
            m_reports[i] = std::move(report);
            m_reports[i].done = true;
            m_changed.notify_one();
        }
    }

    // Prints every report in order; true when every file succeeded. When
    // standard output fails, no further file is started and false comes back.
    bool PrintInOrder() {
        bool allSucceeded = true;
        int64_t before = 0;
        int64_t after = 0;
        for (size_t i = 0; i < m_reports.size(); ++i) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_reports[i].done; });
            const CFileReport& report = m_reports[i];
            std::fputs(LogForTerminal(report.log).c_str(), stdout);
            if (StandardOutputFailed()) {
                m_next = m_reports.size();
                return false;
            }
            ShowProgress(i + 1);
            before += report.bytesBefore;
            after += report.bytesAfter;
            allSucceeded = allSucceeded && report.succeeded;
        }
        std::printf("最適化前の合計 %lld ﾊﾞｲﾄ\n最適化後の合計 %lld ﾊﾞｲﾄ\n",
                    static_cast<long long>(before), static_cast<long long>(after));
        return allSucceeded;
    }

private:
    // A failure of the system (a full disk, say) ends this file, not the run.
    static CFileReport OptimiseGuarded(CBatchOptimiser& batch, const std::string& file) {
        try {
            return Optimise(batch, file);
        } catch (const std::exception& error) {
            CFileReport report;
            report.log = "kestrin-cli: " + file + ": " + error.what() + "\n";
            return report;
        }
    }

    static CFileReport Optimise(CBatchOptimiser& batch, const std::string& file) {
        const size_t logStart = batch.Log().size();
        const int64_t before = batch.BytesBefore();
        const int64_t after = batch.BytesAfter();
        t_shownMessages.clear();
        t_pBatchShowing = &batch;
        batch.Drop({file});
        batch.RunQueue();
        t_pBatchShowing = nullptr;
        CFileReport report;
        report.log = LogWithShownMessages(batch, logStart);
        report.bytesBefore = batch.BytesBefore() - before;
        report.bytesAfter = batch.BytesAfter() - after;
        report.succeeded = batch.Outcomes().back() != EBatchFileOutcome::Skipped;
        return report;
    }

    void ShowProgress(size_t printed) const {
        if (m_bShowProgress) {
            std::fprintf(stderr, "\r%zu/%zu", printed, m_reports.size());
            if (printed == m_reports.size()) {
                std::fputs("\n", stderr);
            }
        }
    }

    const CBatchArguments& m_arguments;
    const std::vector<std::string> m_keptCodes;
    std::vector<CFileReport> m_reports;
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
    const MessageSink previousSink = SetMessageSink(KeepShownMessage);
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
