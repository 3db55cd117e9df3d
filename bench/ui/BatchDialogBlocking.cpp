// How long the batch optimiser's window leaves its event loop unattended
// while it works through a drop.
//
//   batch_dialog_blocking [--cancel] FILE...   (QT_QPA_PLATFORM=offscreen or a display)
//
// Drops the files on the dialog, as the file manager would, and waits for the
// batch to end; with --cancel, Cancel is pressed in the first scan's progress
// window at its first report, which ends the batch. A file without anything
// to remove times the end of a file that no check read. Every event delivered
// by the loop is timed; the program prints the longest ones with what
// received them, the longest gap between two turns of a 1 ms timer, how often
// the progress bar was painted, and the log's size and digest. The results
// are written beside the files (the default output name), so give it copies.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
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
#include "widgets/HedScan.h"
#include "widgets/ScanWindowIds.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    CTimedApplication app(argc, argv);
    const bool cancel = argc > 1 && std::string(argv[1]) == "--cancel";
    const int firstFile = cancel ? 2 : 1;
    if (argc <= firstFile) {
        std::fprintf(stderr, "use: batch_dialog_blocking [--cancel] FILE...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (int i = firstFile; i < argc; ++i) {
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
    bool cancelPressed = false;
    if (cancel) {
        // On the scanner thread, which waits until the press has landed.
        SetHedProgressHook([&dialog, &cancelPressed](int) {
            QMetaObject::invokeMethod(
                &dialog,
                [&dialog, &cancelPressed] {
                    auto* progress = dialog.findChild<QWidget*>(
                        QStringLiteral("IDD_%1").arg(scan_window_ids::IDD_BATCH_PROGRESS));
                    if (!cancelPressed && progress != nullptr) {
                        cancelPressed = true;
                        progress->findChild<QPushButton*>(QStringLiteral("IDC_2"))->click();
                    }
                },
                Qt::BlockingQueuedConnection);
        });
    }

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
        argc - firstFile, static_cast<double>(total.elapsed()) / 1000.0, longestGap,
        app.BarPaints());
    std::printf("log %s\n",
                SizeAndDigest(dialog.findChild<QPlainTextEdit*>(QStringLiteral("IDC_1024"))
                                  ->toPlainText()
                                  .toStdString())
                    .c_str());
    if (cancel) {
        SetHedProgressHook({});
        std::printf("Cancel %s\n", cancelPressed ? "pressed" : "never pressed: no scan reported");
    }
    PrintSlowest(app);
    std::filesystem::remove_all(scratch);
    return 0;
}
