// How long the wizard leaves its event loop unattended while it optimises
// one file, and how soon its progress window shows after Next.
//
//   wizard_blocking [--embed] FILE     (QT_QPA_PLATFORM=offscreen or a display)
//
// Opens the wizard on FILE as the main window would, presses Next on the
// introduction and on the selection page, and waits for the scan and the
// optimisation to end; with --embed it takes the embedding's path instead and
// then embeds the Exif block the run cut out again. Prints the time from that
// Next to the progress window, the longest gap between two turns of a 1 ms
// timer from the first Next on, and the longest event deliveries with what
// received them (a delivery that waits for a check turns the loop meanwhile:
// its length is no gap). Nothing is saved.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QWizard>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
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
#include "widgets/KestrinPage.h"

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

// The first page of the chosen wizard, once it has its work copy's result.
bool WorkCopyPageDone(const QWizard& sheet) {
    const auto* page = qobject_cast<const CKestrinPage*>(sheet.page(2));
    return page != nullptr && !page->IsBusy() && page->isComplete();
}

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    CTimedApplication app(argc, argv);
    const bool embed = argc == 3 && std::string(argv[1]) == "--embed";
    if (argc != 2 && !embed) {
        std::fprintf(stderr, "use: wizard_blocking [--embed] FILE\n");
        return 2;
    }
    const std::string path = argv[argc - 1];
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
    bool embedding = false;
    QTimer ticker;
    // Each step runs from a timer of its own: a step that waits for a check
    // turns the loop, and the ticker's own handler would not be called again.
    const auto step = [](const std::function<void()>& action) { QTimer::singleShot(0, action); };
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceLastTurn.restart());
        if (embedding) {
            return;
        }
        if (!WorkCopyPageDone(sheet)) {
            return;
        }
        if (embed && !session.IsStopped() && sheet.currentId() == 2) {
            embedding = true;
            const std::string block = scratch.string() + "/block.exif";
            std::filesystem::copy_file(work.m_strExifDat, block);
            step([&sheet, &embedding, &app, block] {
                sheet.next();
                sheet.currentPage()
                    ->findChild<QLineEdit*>(QStringLiteral("IDC_1049"))
                    ->setText(QString::fromStdString(block));
                sheet.next();
                // Closed without its question: the result is dropped on purpose.
                sheet.done(QDialog::Rejected);
                app.quit();
            });
            return;
        }
        sheet.done(QDialog::Rejected);
        app.quit();
    });
    step([&] {
        sinceLastTurn.start();
        ticker.start(1);
        sheet.next();
        if (embed) {
            sheet.findChild<QRadioButton*>(QStringLiteral("IDC_1014_1"))->setChecked(true);
        }
        step([&] {
            sinceNext.start();
            sheet.next();
            app.Record({sinceNext.nsecsElapsed(), kNextDelivery, "CKestrinProSeet"});
        });
    });
    app.exec();

    std::printf(
        "%s%s: progress window shown %lld ms after Next; longest gap between two turns of the "
        "loop: %lld ms\n",
        path.c_str(), embed ? " (embedding)" : "", shown.Milliseconds(), longestGap);
    PrintSlowest(app);
    std::filesystem::remove_all(scratch);
    return 0;
}
