// How long the batch optimiser's window leaves its event loop unattended
// while it works through a drop.
//
//   batch_dialog_blocking FILE...     (QT_QPA_PLATFORM=offscreen or a display)
//
// Drops the files on the dialog, as the file manager would, and waits for the
// batch to end. Every event delivered by the loop is timed; the program
// prints the longest ones with what received them, the longest gap between
// two turns of a 1 ms timer, and how often the progress bar was painted. The
// results are written beside the files (the default output name), so give it
// copies.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ui/TimedApplication.h"
#include "optimise/ui/BatchOptimiseDlg.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "util/MemoryTuning.h"
#include "util/WorkFiles.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    CTimedApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "use: batch_dialog_blocking FILE...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls.append(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    }
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("kestrin-blocking-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    const CWorkFiles work = MakeWorkFiles(scratch.string() + "/", scratch.string() + "/");
    CMemorySettingsStore settings;
    const std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CBatchOptimiseDlg dialog(work, settings, kept);
    dialog.show();

    QMimeData data;
    data.setUrls(urls);
    QElapsedTimer total;
    QElapsedTimer sinceLastTurn;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceLastTurn.restart());
        if (!dialog.IsBusy() && total.isValid()) {
            app.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        total.start();
        QElapsedTimer clock;
        clock.start();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &drop);
        app.Record({clock.nsecsElapsed(), kDropDelivery, "CBatchOptimiseDlg"});
        sinceLastTurn.start();
        ticker.start(1);
    });
    app.exec();

    std::printf(
        "%d files in %.1f s; longest gap between two turns of the loop: %lld ms; "
        "progress bar painted %d times\n",
        argc - 1, static_cast<double>(total.elapsed()) / 1000.0, longestGap, app.BarPaints());
    PrintSlowest(app);
    std::filesystem::remove_all(scratch);
    return 0;
}
