// Times the marker editor where a user would wait: filling the list with the
// picture data shown on a large file with restart markers, and each command's
// rebuild and check of the work copy on a camera-sized file, set beside one
// decode of that file. Every command runs with the list on screen, so its time
// is how long the window is blocked.
//
//   editor_list_bench LARGE.jpg CAMERA.jpg
//
// Run with QT_QPA_PLATFORM=offscreen or under xvfb-run. Work files go to a
// temporary folder.
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/EditorWorkCopy.h"
#include "editor/MarkerEditor.h"
#include "editor/ui/SegmentRowModel.h"
#include "imaging/JpegDecoder.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"

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
    explicit CBenchEditor(const std::string& path) {
        const std::string folder =
            (std::filesystem::temp_directory_path() / "kestrin_editor_bench").string() + "/";
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

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_list_bench LARGE.jpg CAMERA.jpg\n");
        return 2;
    }
    TimeLargeList(argv[1]);
    TimeCommands(argv[2]);
    return 0;
}
