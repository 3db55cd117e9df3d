// Times the marker editor where a user would wait: filling the list with the
// picture data shown on a large file with restart markers, and each command's
// rebuild and check of the work copy on a camera-sized file, set beside one
// decode of that file. Every command runs with the list on screen, so its time
// is how long the window is blocked. Last, the same commands on the large file,
// round by round side by side, with the checks run as the window once ran them
// (inline, one step after the other) and on the check thread: the longest
// block of the event loop per command and the time until the check's answer,
// medians over the rounds.
//
//   editor_list_bench LARGE.jpg CAMERA.jpg [ROUNDS]
//
// Run with QT_QPA_PLATFORM=offscreen or under xvfb-run. Work files go to a
// temporary folder.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/EditorWorkCopy.h"
#include "editor/MarkerEditor.h"
#include "editor/ui/EditorCheckRun.h"
#include "editor/ui/SegmentRowModel.h"
#include "imaging/JpegDecoder.h"
#include "segment/KeptHeaderList.h"
#include "segment/SegmentFiles.h"
#include "settings/MemorySettingsStore.h"
#include "util/FileHelpers.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct CBenchEditor {
    explicit CBenchEditor(const std::string& path, const char* name = "kestrin_editor_bench") {
        const std::string folder = (std::filesystem::temp_directory_path() / name).string() + "/";
        std::filesystem::create_directories(folder);
        work = MakeWorkFiles(folder, folder);
        DecodeJpegToPacked(path, picture);
        exifPosition = PrepareEditorWorkCopy(path, work).value_or(kExifAfterStartMarker);
        record.m_strFileName = work.m_strTempData;
        ScanJpegHeaders(record);
        editor.SetReference(&picture);
    }

    CWorkFiles work;
    CMemorySettingsStore settings;
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CPackedPicture picture;
    CHedThread record;
    size_t exifPosition = kExifAfterStartMarker;
    CMarkerEditor editor{work, settings, kept};
};

// The view as the page sets it up, on screen.
struct CBenchView {
    explicit CBenchView(CMarkerEditor& editor) : model(editor, QIcon(), {}) {
        view.setModel(&model);
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
        view.resize(600, 400);
        view.show();
        QApplication::processEvents();
    }
    CSegmentRowModel model;
    QTableView view;
};

void TimeLargeList(const std::string& path) {
    CBenchEditor bench(path);
    CBenchView shown(bench.editor);
    const double take =
        MillisecondsOf([&] { bench.editor.TakeScan(bench.record, bench.exifPosition); });
    const double fill = MillisecondsOf([&] {
        bench.editor.SetShowAll(true);
        QApplication::processEvents();
    });
    std::printf(
        "large file: %d rows with picture data; scan taken over and checked %.0f ms, "
        "list filled and painted %.0f ms\n",
        bench.editor.RowCount(), take, fill);
}

void TimeCommands(const std::string& path) {
    CBenchEditor bench(path);
    CBenchView shown(bench.editor);
    bench.editor.TakeScan(bench.record, bench.exifPosition);
    std::vector<double> decodes;
    for (int round = 0; round < 5; ++round) {
        CPackedPicture picture;
        decodes.push_back(MillisecondsOf([&] { DecodeJpegToPacked(path, picture); }));
    }
    const double decode = Median(decodes);
    CMarkerEditor& editor = bench.editor;
    const CJpegSegment added{"FFFE", "000641424344"};
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"zero", [&] { editor.OverwriteWithZeros(0); }},
        {"undo", [&] { editor.Undo(); }},
        {"add", [&] { editor.AddAfter(0, added); }},
        {"edit", [&] { editor.EditRow(1, added); }},
        {"delete", [&] { editor.DeleteRow(1); }},
        {"undo", [&] { editor.Undo(); }},
        {"redo", [&] { editor.Redo(); }},
        {"reset", [&] { editor.ResetToInitial(); }},
    };
    std::printf("camera file: one decode %.1f ms (median of 5)\n", decode);
    double longest = 0;
    for (int round = 0; round < 3; ++round) {
        for (const auto& [name, command] : commands) {
            const std::function<void()>& run = command;
            const double spent = MillisecondsOf([&run] {
                run();
                QApplication::processEvents();
            });
            longest = std::max(longest, spent);
            if (round == 2) {
                std::printf("  %-6s %6.1f ms  %.2f x decode\n", name, spent, spent / decode);
            }
        }
    }
    std::printf("longest command with the list on screen: %.1f ms\n", longest);
}

// Keeps the longest delivery of any event since the last reset: the longest
// time the window could not answer the user.
class CBlockTimingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (m_nDepth > 0) {
            return QApplication::notify(receiver, event);
        }
        QElapsedTimer clock;
        clock.start();
        ++m_nDepth;
        const bool handled = QApplication::notify(receiver, event);
        --m_nDepth;
        m_longest = std::max(m_longest, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        return handled;
    }
    double TakeLongest() { return std::exchange(m_longest, 0.0); }

private:
    int m_nDepth = 0;
    double m_longest = 0;
};

// Processor time of the calling thread: what the window's thread itself spent,
// whatever else the loaded machine was running meanwhile.
double ThreadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Per command: the longest block of the loop, the window thread's processor
// time until the answer, and the time until the answer.
struct CCheckTimes {
    std::vector<double> block;
    std::vector<double> cpu;
    std::vector<double> answer;
};

// One command as the user meets it: its own run is one delivery of the loop,
// then the loop turns until the editor has its answer.
void TimeOneCommand(CBlockTimingApplication& app, CMarkerEditor& editor,
                    const std::function<void()>& command, CCheckTimes& times) {
    app.TakeLongest();
    const double cpuStart = ThreadCpuMilliseconds();
    const auto start = Clock::now();
    command();
    const double own = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    while (editor.CheckPending()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QApplication::processEvents();
    times.answer.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    times.cpu.push_back(ThreadCpuMilliseconds() - cpuStart);
    times.block.push_back(std::max(own, app.TakeLongest()));
}

struct CNamedCommand {
    const char* name;
    std::function<void(CMarkerEditor&)> run;
};

const CJpegSegment kBenchSegment{"FFFE", "000641424344"};

const CNamedCommand kCheckedCommands[] = {
    {"add", [](CMarkerEditor& editor) { editor.AddAfter(0, kBenchSegment); }},
    {"edit", [](CMarkerEditor& editor) { editor.EditRow(1, kBenchSegment); }},
    {"undo", [](CMarkerEditor& editor) { editor.Undo(); }},
    {"undo", [](CMarkerEditor& editor) { editor.Undo(); }},
    {"redo", [](CMarkerEditor& editor) { editor.Redo(); }},
    {"reset", [](CMarkerEditor& editor) { editor.ResetToInitial(); }},
};
constexpr size_t kCheckedCount = std::size(kCheckedCommands);

// The check as the window ran it before it had a thread of its own: inline,
// the hex work file from the list, then the bytes, the work copy and the
// decode one after the other. What the thread's answer is measured against.
class CFormerInlineCheck : public IEditorChecker {
public:
    explicit CFormerInlineCheck(CMarkerEditor& editor) : m_editor(editor) {}
    void Submit(const CEditorCheckRequest& request, const CSegmentList& list) override {
        const CWorkFiles& work = *request.m_pWork;
        if (request.m_bWriteWorkFiles) {
            WriteSegmentsHex(list, work.m_strTempHexa);
        }
        const std::optional<ByteVector> bytes = SegmentsToBytes(list);
        if (bytes && request.m_bWriteWorkFiles) {
            WriteWholeFile(work.m_strTempData, std::string(bytes->begin(), bytes->end()));
        }
        const bool shows =
            bytes && ShowsSamePicture(*request.m_pReference, bytes->data(), bytes->size());
        m_editor.TakeCheckAnswer({request.m_nGeneration, shows, shows, nullptr});
    }

private:
    CMarkerEditor& m_editor;
};

// An editor of the large file with its list on screen, checking the former
// way or on its thread, and the times of each command of kCheckedCommands.
struct CCheckedEditor {
    CCheckedEditor(CBlockTimingApplication& app, const std::string& path, bool onThread)
        : bench(path, onThread ? "kestrin_editor_bench_thread" : "kestrin_editor_bench_inline"),
          shown(bench.editor),
          former(bench.editor) {
        if (onThread) {
            checks = std::make_unique<CEditorCheckRun>(bench.editor);
        } else {
            bench.editor.SetChecker(&former);
        }
        CCheckTimes scan;
        TimeOneCommand(
            app, bench.editor, [&] { bench.editor.TakeScan(bench.record, bench.exifPosition); },
            scan);
    }
    void TimeRound(CBlockTimingApplication& app) {
        for (size_t index = 0; index < kCheckedCount; ++index) {
            TimeOneCommand(
                app, bench.editor, [&] { kCheckedCommands[index].run(bench.editor); },
                times[index]);
        }
    }

    CBenchEditor bench;
    CBenchView shown;
    CFormerInlineCheck former;
    std::unique_ptr<CEditorCheckRun> checks;
    std::vector<CCheckTimes> times = std::vector<CCheckTimes>(kCheckedCount);
};

void AppendAll(const std::vector<CCheckTimes>& times, CCheckTimes& all) {
    for (const CCheckTimes& command : times) {
        all.block.insert(all.block.end(), command.block.begin(), command.block.end());
        all.cpu.insert(all.cpu.end(), command.cpu.begin(), command.cpu.end());
        all.answer.insert(all.answer.end(), command.answer.begin(), command.answer.end());
    }
}

void PrintCheckRow(const char* name, const CCheckTimes& before, const CCheckTimes& after) {
    const auto longest = [](const std::vector<double>& values) {
        return *std::max_element(values.begin(), values.end());
    };
    std::printf("  %-6s %7.1f %7.1f %7.1f %7.1f | %7.1f %7.1f %7.1f %7.1f\n", name,
                Median(before.block), longest(before.block), Median(before.answer),
                Median(before.cpu), Median(after.block), longest(after.block), Median(after.answer),
                Median(after.cpu));
}

void CompareChecks(CBlockTimingApplication& app, const std::string& path, int rounds) {
    CCheckedEditor former(app, path, false);
    CCheckedEditor threaded(app, path, true);
    for (int round = 0; round < rounds; ++round) {
        former.TimeRound(app);
        threaded.TimeRound(app);
    }
    const std::vector<CCheckTimes>& inline_ = former.times;
    std::printf(
        "large file, checks inline as once | on their thread, %d rounds, ms: median block, "
        "longest block, median answer, median window-thread processor time\n",
        rounds);
    for (size_t index = 0; index < kCheckedCount; ++index) {
        PrintCheckRow(kCheckedCommands[index].name, inline_[index], threaded.times[index]);
    }
    CCheckTimes before;
    CCheckTimes after;
    AppendAll(inline_, before);
    AppendAll(threaded.times, after);
    PrintCheckRow("all", before, after);
    std::printf("  ratio thread/inline: median block %.3f, median answer %.3f\n",
                Median(after.block) / Median(before.block),
                Median(after.answer) / Median(before.answer));
}

}  // namespace

int main(int argc, char** argv) {
    CBlockTimingApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: editor_list_bench LARGE.jpg CAMERA.jpg [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc == 4 ? std::max(1, std::atoi(argv[3])) : 5;
    TimeLargeList(argv[1]);
    TimeCommands(argv[2]);
    CompareChecks(app, argv[1], rounds);
    return 0;
}
