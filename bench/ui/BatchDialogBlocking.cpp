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
#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exif/ExifEngine.h"
#include "optimise/ui/BatchOptimiseDlg.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "util/MemoryTuning.h"
#include "util/WorkFiles.h"

namespace {

struct CDelivery {
    qint64 nanoseconds;
    int type;
    std::string receiver;
};

// Times each event the loop hands out; events sent from inside a handler
// count as part of the handler that sent them.
class CTimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<QProgressBar*>(receiver) != nullptr) {
            ++m_nBarPaints;
        }
        if (m_nDepth > 0) {
            return QApplication::notify(receiver, event);
        }
        const int type = event->type();
        QElapsedTimer clock;
        clock.start();
        ++m_nDepth;
        const bool handled = QApplication::notify(receiver, event);
        --m_nDepth;
        Record({clock.nsecsElapsed(), type, Describe(receiver)});
        return handled;
    }

    // Keeps the longest delivery of each kind of event and receiver.
    void Record(CDelivery delivery) {
        const auto same =
            std::find_if(m_slowest.begin(), m_slowest.end(), [&](const CDelivery& kept) {
                return kept.type == delivery.type && kept.receiver == delivery.receiver;
            });
        if (same == m_slowest.end()) {
            m_slowest.push_back(std::move(delivery));
        } else if (same->nanoseconds < delivery.nanoseconds) {
            *same = std::move(delivery);
        }
    }

    // The longest deliveries first.
    std::vector<CDelivery> Slowest() const {
        std::vector<CDelivery> sorted = m_slowest;
        std::sort(sorted.begin(), sorted.end(), [](const CDelivery& a, const CDelivery& b) {
            return a.nanoseconds > b.nanoseconds;
        });
        sorted.resize(std::min<size_t>(sorted.size(), 8));
        return sorted;
    }
    int BarPaints() const { return m_nBarPaints; }

private:
    static std::string Describe(const QObject* receiver) {
        return std::string(receiver->metaObject()->className()) + " " +
               receiver->objectName().toStdString();
    }

    int m_nDepth = 0;
    int m_nBarPaints = 0;
    std::vector<CDelivery> m_slowest;
};

const char* EventName(int type) {
    switch (type) {
        case 0x1660:
            return "scan progress";
        case 0x1661:
            return "scan finished";
        case QEvent::MetaCall:
            return "queued call (next file)";
        case QEvent::Timer:
            return "timer";
        case QEvent::UpdateRequest:
            return "repaint";
        case -1:
            return "the drop";
        default:
            return "other";
    }
}

}  // namespace

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
    CExifEngine exif("", "");
    CBatchOptimiseDlg dialog(work, settings, kept, exif);
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
        app.Record({clock.nsecsElapsed(), -1, "CBatchOptimiseDlg"});
        sinceLastTurn.start();
        ticker.start(1);
    });
    app.exec();

    std::printf(
        "%d files in %.1f s; longest gap between two turns of the loop: %lld ms; "
        "progress bar painted %d times\n",
        argc - 1, static_cast<double>(total.elapsed()) / 1000.0, longestGap, app.BarPaints());
    std::printf("longest delivery of each kind:\n");
    for (const CDelivery& delivery : app.Slowest()) {
        std::printf("  %8.1f ms  %-24s %s\n", static_cast<double>(delivery.nanoseconds) / 1e6,
                    EventName(delivery.type), delivery.receiver.c_str());
    }
    std::filesystem::remove_all(scratch);
    return 0;
}
