#include "cli/OptimiseCommand.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/BatchArguments.h"
#include "cli/JsonLine.h"
#include "cli/OptimiseRecord.h"
#include "cli/OptimiseStream.h"
#include "cli/OptimiseWorker.h"
#include "cli/ProgressLine.h"
#include "cli/SettingOptions.h"
#include "cli/VerbParser.h"
#include "segment/KeptHeaderList.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "util/ProgramPlaces.h"

namespace {

// What the run reports and writes, besides the settings.
struct COptimiseOptions {
    bool json = false;
    bool dryRun = false;
    bool quiet = false;
    std::string outputDir;
    std::string logPath;
};

// Where a run's texts go: the log to standard output (standard error beside
// --json, a file with --log, nowhere with --quiet), the records to standard
// output, the progress line to a terminal's standard error.
class CRunOutput {
public:
    CRunOutput(std::FILE* log, bool json, CProgressLine& progress)
        : m_log(log), m_bJson(json), m_progress(progress) {}

    void Log(const std::string& text) const {
        if (m_log == nullptr) {
            return;
        }
        if (m_log == stderr) {
            m_progress.Clear();
        }
        std::fputs(LogForTerminal(text).c_str(), m_log);
    }
    // The file's record and log; the error line of a failed file when there
    // is no log to tell it.
    void File(const CFileResult& result) const {
        if (m_bJson) {
            PrintJsonLine(OptimiseRecord(result));
        }
        Log(result.m_strLog);
        if (m_log == nullptr && !result.Succeeded()) {
            std::fprintf(stderr, "kestrin-cli: %s: %s: %s\n", result.m_strInput.c_str(),
                         OutcomeName(result.m_eOutcome), result.m_strReason.c_str());
        }
    }

private:
    std::FILE* m_log;
    bool m_bJson;
    CProgressLine& m_progress;
};

// A message the core shows outside a file's work: the saving's messages go
// into that file's log.
void PrintShownMessage(const std::string& text) {
    std::fprintf(stderr, "kestrin-cli: %s\n", text.c_str());
}

// The files of one run, handed out to the workers one at a time; the results
// are printed in input order as soon as each one and all before it are done,
// and only those waiting for an earlier one are held.
class COptimiseRun {
public:
    COptimiseRun(const CBatchArguments& arguments, const COptimiseOptions& options,
                 std::vector<std::string> keptCodes)
        : m_arguments(arguments), m_options(options), m_keptCodes(std::move(keptCodes)) {}

    std::unique_ptr<COptimiseWorker> MakeWorker() const {
        auto worker = std::make_unique<COptimiseWorker>(*m_arguments.settings, m_keptCodes);
        if (m_options.json) {
            worker->batch.ComputeDigests();
        }
        return worker;
    }

    void Work(COptimiseWorker& worker) {
        for (size_t i = m_next++; i < FileCount(); i = m_next++) {
            worker.batch.SetCheckThreads(ThreadsFor(i));
            CFileResult result = OptimiseGuarded(worker.batch, m_arguments.files[i], RuleFor(i));
            const std::lock_guard lock(m_mutex);
            m_waiting.emplace(i, std::move(result));
            m_changed.notify_one();
        }
    }

    // Prints every result in order; true when every file succeeded. When
    // standard output fails, no further file is started and false comes back.
    bool PrintInOrder(const CRunOutput& output, CProgressLine& progress) {
        bool allSucceeded = true;
        int64_t before = 0;
        int64_t after = 0;
        for (size_t i = 0; i < FileCount(); ++i) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_waiting.contains(i); });
            const CFileResult result = std::move(m_waiting.extract(i).mapped());
            lock.unlock();
            output.File(result);
            if (StandardOutputFailed()) {
                m_next = FileCount();
                return false;
            }
            progress.FileDone(
                result.m_strOutput.empty() ? 0 : result.m_nInputBytes - result.m_nOutputBytes);
            before += result.m_nCountedBefore;
            after += result.m_nCountedAfter;
            allSucceeded = allSucceeded && result.Succeeded();
        }
        progress.Finish();
        output.Log("最適化前の合計 " + std::to_string(before) + " ﾊﾞｲﾄ\n最適化後の合計 " +
                   std::to_string(after) + " ﾊﾞｲﾄ\n");
        return allSucceeded;
    }

    size_t FileCount() const { return m_arguments.files.size(); }

private:
    // A file gets a second core for its decodes when it is the only one, or
    // when fewer files are left than workers, which then wait for nothing.
    ECheckThreads ThreadsFor(size_t i) const {
        const bool fewLeft = FileCount() - i < static_cast<size_t>(m_arguments.jobs);
        return FileCount() == 1 || fewLeft ? ECheckThreads::Two : ECheckThreads::One;
    }

    // The results of file i go under the output folder at the file's place.
    CSavingRule RuleFor(size_t i) const {
        CSavingRule rule;
        rule.m_bDryRun = m_options.dryRun;
        if (!m_options.outputDir.empty()) {
            rule.m_strOutputBase =
                (std::filesystem::path(m_options.outputDir) / m_arguments.places[i]).string();
        }
        return rule;
    }

    // A failure of the system (a full disk, say) ends this file, not the run.
    static CFileResult OptimiseGuarded(CBatchOptimiser& batch, const std::string& file,
                                       const CSavingRule& rule) {
        try {
            return batch.OptimiseFile(file, rule);
        } catch (const std::exception& error) {
            CFileResult result;
            result.m_strInput = file;
            result.m_strReason = error.what();
            result.m_strLog = "kestrin-cli: " + file + ": " + error.what() + "\n";
            return result;
        }
    }

    const CBatchArguments& m_arguments;
    const COptimiseOptions& m_options;
    const std::vector<std::string> m_keptCodes;
    std::map<size_t, CFileResult> m_waiting;
    std::atomic<size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

// Every option of optimise. A new one is declared here, and read from parser
// in RunOptimiseCommand after BatchArgumentsOf.
void DeclareOptimiseOptions(CVerbParser& parser) {
    DeclareBatchOptions(parser, true);
    DeclareSettingOptions(
        parser, {"in-place", "suffix", "keep-exif", "remove-exif", "no-exif-backup", "keep-icc",
                 "keep-orientation", "keep-motion"});
    parser.AddOption({QStringLiteral("json")},
                     "print one JSON record per file on standard output, in the order of the "
                     "files; the log goes to standard error");
    parser.AddOption({QStringLiteral("log")}, "write the log to FILE", "FILE");
    parser.AddOption({QStringLiteral("dry-run")},
                     "decide, optimise and check in memory and report; write nothing");
    parser.AddOption({QStringLiteral("output-dir")},
                     "write results and Exif backups under DIR, keeping the folders given; the "
                     "originals stay as they are",
                     "DIR");
    parser.AddOption({QStringLiteral("quiet")}, "no log; failures still go to standard error");
}

COptimiseOptions OptionsOf(const CVerbParser& parser) {
    COptimiseOptions options;
    options.json = parser.IsSet("json");
    options.dryRun = parser.IsSet("dry-run");
    options.quiet = parser.IsSet("quiet");
    options.outputDir = parser.Value("output-dir");
    options.logPath = parser.Value("log");
    return options;
}

// Why the options do not go together, or nothing.
std::optional<std::string> Refusal(const CVerbParser& parser, const COptimiseOptions& options) {
    const bool fromStandardInput = parser.Positional() == std::vector<std::string>{"-"};
    const bool anyStandardInput = std::find(parser.Positional().begin(), parser.Positional().end(),
                                            "-") != parser.Positional().end();
    if (anyStandardInput && !fromStandardInput) {
        return "- stands for standard input alone, not beside files";
    }
    if (fromStandardInput && (options.json || options.dryRun || !options.outputDir.empty())) {
        return "- writes its result to standard output: no --json, --dry-run or --output-dir";
    }
    if (parser.IsSet("output-dir") && options.outputDir.empty()) {
        return "--output-dir takes a folder";
    }
    return std::nullopt;
}

// Two files that would go to one place under the output folder, one result
// replacing the other's; or nothing.
std::optional<std::string> PlaceClash(const CBatchArguments& parsed) {
    std::map<std::string, size_t> taken;
    for (size_t i = 0; i < parsed.places.size(); ++i) {
        const auto [first, fresh] = taken.emplace(parsed.places[i], i);
        if (!fresh) {
            return parsed.files[first->second] + " and " + parsed.files[i] + " would both go to " +
                   parsed.places[i] + " under --output-dir";
        }
    }
    return std::nullopt;
}

struct CFileCloser {
    void operator()(std::FILE* file) const {
        if (file != stdout && file != stderr) {
            std::fclose(file);
        }
    }
};

int RunFiles(const CBatchArguments& parsed, const COptimiseOptions& options,
             std::vector<std::string> keptCodes, std::FILE* log) {
    COptimiseRun run(parsed, options, std::move(keptCodes));
    std::vector<std::unique_ptr<COptimiseWorker>> workers;
    for (int i = 0; i < parsed.jobs; ++i) {
        workers.push_back(run.MakeWorker());
    }
    std::vector<std::thread> threads;
    for (const auto& worker : workers) {
        threads.emplace_back([&run, &worker] { run.Work(*worker); });
    }
    CProgressLine progress(run.FileCount(), !options.quiet);
    const bool allSucceeded = run.PrintInOrder(CRunOutput(log, options.json, progress), progress);
    for (std::thread& thread : threads) {
        thread.join();
    }
    return allSucceeded && !parsed.anyFileRefused ? kExitSuccess : kExitFileFailed;
}

}  // namespace

int RunOptimiseCommand(const Arguments& arguments, const CSettingsStore& stored) {
    CVerbParser parser("optimise", "[options] FILE... | -",
                       "Optimises JPEG files as the batch dialog does; each result is decoded "
                       "and compared\nwith its picture before it is written. - reads one "
                       "picture from standard input\nand writes its result to standard output.");
    DeclareOptimiseOptions(parser);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const COptimiseOptions options = OptionsOf(parser);
    if (const std::optional<std::string> refusal = Refusal(parser, options)) {
        return parser.Error(*refusal);
    }
    const std::optional<CBatchArguments> parsed =
        BatchArgumentsOf(parser, stored, options.outputDir);
    if (!parsed) {
        return kExitUsage;
    }
    if (const std::optional<std::string> clash =
            options.outputDir.empty() ? std::nullopt : PlaceClash(*parsed)) {
        return parser.Error(*clash);
    }
    const bool fromStandardInput = parser.Positional() == std::vector<std::string>{"-"};
    std::unique_ptr<std::FILE, CFileCloser> log(options.quiet ? nullptr
                                                : !options.logPath.empty()
                                                    ? std::fopen(options.logPath.c_str(), "w")
                                                : options.json || fromStandardInput ? stderr
                                                                                    : stdout);
    if (!options.quiet && !log) {
        return parser.Error("cannot write the log to " + options.logPath);
    }
    std::vector<std::string> keptCodes =
        LoadKeptHeaderCodes(MakeWorkFiles(FindProgramPlaces().m_strListFolder, "").m_strNokCode);
    const MessageSink previousSink = SetMessageSink(PrintShownMessage);
    const int status = fromStandardInput
                           ? OptimiseStandardInput(*parsed->settings, keptCodes, log.get())
                           : RunFiles(*parsed, options, std::move(keptCodes), log.get());
    SetMessageSink(previousSink);
    return status;
}
