// How long the wizard leaves its event loop unattended while it optimises
// one file, and how soon its progress window shows after Next.
//
//   wizard_blocking FILE     (QT_QPA_PLATFORM=offscreen or a display)
//
// Opens the wizard on FILE as the main window would, presses Next on the
// introduction and on the selection page, and waits for the scan and the
// optimisation to end. Prints the time from that Next to the progress
// window, the longest gap between two turns of a 1 ms timer, and the longest
// event deliveries with what received them. Nothing is saved.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWizard>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ui/KestrinProSeet.h"
#include "bench/ui/TimedApplication.h"
#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "optimise/WizardSession.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "util/MemoryTuning.h"
#include "util/WorkFiles.h"

namespace {

// The time from start until the first progress window is shown.
class CProgressShownClock : public QObject {
public:
    explicit CProgressShownClock(const QElapsedTimer& start) : m_start(start) {
        qApp->installEventFilter(this);
    }
    qint64 Milliseconds() const { return m_nShownAfter; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && m_nShownAfter < 0 &&
            watched->objectName() == QStringLiteral("IDD_131")) {
            m_nShownAfter = m_start.elapsed();
        }
        return false;
    }

private:
    const QElapsedTimer& m_start;
    qint64 m_nShownAfter = -1;
};

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    CTimedApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "use: wizard_blocking FILE\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("kestrin-wizard-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    const CWorkFiles work = MakeWorkFiles(scratch.string() + "/", scratch.string() + "/");
    CMemorySettingsStore settings;
    const std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CExifEngine exif("", "");
    CPackedPicture picture;
    if (!DecodeJpegToPacked(path, picture)) {
        std::fprintf(stderr, "%s does not decode\n", path.c_str());
        return 1;
    }
    CWizardSession session(work, settings, kept, exif, {path, &picture, std::nullopt});
    CKestrinProSeet sheet(session, nullptr);
    sheet.show();

    QElapsedTimer sinceNext;
    const CProgressShownClock shown(sinceNext);
    QElapsedTimer sinceLastTurn;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceLastTurn.restart());
        if (!session.IsScanning() && sinceNext.isValid()) {
            // Closed without its question: the result is dropped on purpose.
            sheet.done(QDialog::Rejected);
            app.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        sheet.next();
        QApplication::processEvents();
        sinceNext.start();
        sheet.next();
        app.Record({sinceNext.nsecsElapsed(), kNextDelivery, "CKestrinProSeet"});
        sinceLastTurn.start();
        ticker.start(1);
    });
    app.exec();

    std::printf(
        "%s: progress window shown %lld ms after Next; longest gap between two turns of the "
        "loop: %lld ms\n",
        path.c_str(), shown.Milliseconds(), longestGap);
    PrintSlowest(app);
    std::filesystem::remove_all(scratch);
    return 0;
}
