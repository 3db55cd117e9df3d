// How long the wizard leaves its event loop unattended while it works on one
// file and saves the result, and how soon its progress window shows after
// Next.
//
//   wizard_blocking [--embed|--editor] FILE   (QT_QPA_PLATFORM=offscreen or a display)
//
// Opens the wizard on FILE as the main window would, presses Next on the
// introduction and on the selection page, and waits for the scan and the
// optimisation to end; with --embed it takes the embedding's path instead and
// then embeds the Exif block the run cut out again, with --editor the marker
// editor's path, leaving its list as scanned. Then it presses "修正結果を確認"
// (with no program found to open the result), goes on to the finish page,
// presses it there again, and saves the result under a new name in a scratch
// folder, each press a few milliseconds after the last. Prints the time from
// that Next to the progress window, the longest gap between two turns of a
// 1 ms timer from the first Next on, that gap for each press (a gap counts for
// the last press before it, the first page's work for the first Next), and the longest event
// deliveries with what received them (a delivery that waits for a check turns the loop meanwhile:
// its length is no gap). FILE is left as it is.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWizard>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
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
#include "widgets/SaveFileDialog.h"

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

// The first page of the chosen wizard, once it has its work copy's result.
bool WorkCopyPageDone(const QWizard& sheet) {
    const auto* page = qobject_cast<const CKestrinPage*>(sheet.page(2));
    return page != nullptr && !page->IsBusy() && page->isComplete();
}

// What the run saved, so that two builds' results can be told apart.
std::string SavedResult(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "nothing saved";
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    return "saved " + SizeAndDigest(bytes);
}

// The longest gap of the loop after each press, until the next press.
class CGapsByPress {
public:
    void Pressed(std::string name) { m_strLast = std::move(name); }
    void Turned(qint64 gap) {
        qint64& longest = m_gaps[m_strLast];
        longest = std::max(longest, gap);
    }
    void Print() const {
        std::printf("longest gap after each press:\n");
        for (const auto& [press, gap] : m_gaps) {
            std::printf("  %8lld ms  %s\n", gap, press.c_str());
        }
    }

private:
    std::string m_strLast = "before the first press";
    std::map<std::string, qint64> m_gaps;
};

// Presses button as the user would and records how long its handler took,
// named after the page it was pressed on.
void Press(CTimedApplication& app, CGapsByPress& gaps, int kind, QAbstractButton& button,
           const QWizard& sheet) {
    const std::string receiver =
        "CKestrinProSeet " + sheet.currentPage()->objectName().toStdString();
    gaps.Pressed(std::string(EventName(kind)) + " on " + receiver);
    QElapsedTimer clock;
    clock.start();
    button.click();
    app.Record({clock.nsecsElapsed(), kind, receiver});
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForPictures();
    CTimedApplication app(argc, argv);
    const std::string mode = argc == 3 ? argv[1] : "";
    const bool embed = mode == "--embed";
    const bool editor = mode == "--editor";
    if (argc != 2 && !embed && !editor) {
        std::fprintf(stderr, "use: wizard_blocking [--embed|--editor] FILE\n");
        return 2;
    }
    // The preview starts no program: only the window's part of it is timed.
    qputenv("PATH", "");
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
    const std::string result = scratch.string() + "/result.jpg";
    SetSaveFileNameHook([result] { return std::optional<std::string>(result); });

    QElapsedTimer sinceNext;
    const CProgressShownClock shown(sinceNext);
    QElapsedTimer sinceLastTurn;
    qint64 longestGap = 0;
    bool finishing = false;
    CGapsByPress gaps;
    QTimer ticker;
    // Each step runs from a timer of its own: a step that waits for a check
    // turns the loop, and the ticker's own handler would not be called again.
    const auto step = [](const std::function<void()>& action) { QTimer::singleShot(0, action); };
    // The presses after the first page, each once the loop has turned a few
    // times since the last, so that each gap is told apart.
    std::vector<std::function<void()>> presses;
    std::function<void()> pressNext = [&] {
        if (presses.empty()) {
            if (sheet.isVisible()) {
                sheet.done(QDialog::Rejected);
            }
            app.quit();
            return;
        }
        const std::function<void()> press = presses.front();
        presses.erase(presses.begin());
        press();
        QTimer::singleShot(5, pressNext);
    };
    const auto next = [&app, &gaps, &sheet] {
        Press(app, gaps, kNextDelivery, *sheet.button(QWizard::NextButton), sheet);
    };
    const auto preview = [&app, &gaps, &sheet] {
        if (auto* button =
                sheet.currentPage()->findChild<QPushButton*>(QStringLiteral("IDC_1015"))) {
            Press(app, gaps, kPreviewDelivery, *button, sheet);
        }
    };
    presses.push_back(preview);
    if (embed) {
        presses.push_back([&] {
            const std::string block = scratch.string() + "/block.exif";
            std::filesystem::copy_file(work.m_strExifDat, block);
            next();
            sheet.currentPage()
                ->findChild<QLineEdit*>(QStringLiteral("IDC_1049"))
                ->setText(QString::fromStdString(block));
        });
        // The embedding, then the page that reads the embedded block.
        presses.push_back(next);
    }
    presses.push_back(next);
    presses.push_back(preview);
    presses.push_back([&] {
        sheet.currentPage()->findChild<QCheckBox*>(QStringLiteral("IDC_1026"))->setChecked(false);
        Press(app, gaps, kFinishDelivery, *sheet.button(QWizard::FinishButton), sheet);
    });
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 gap = sinceLastTurn.restart();
        longestGap = std::max(longestGap, gap);
        gaps.Turned(gap);
        if (finishing || !WorkCopyPageDone(sheet)) {
            return;
        }
        finishing = true;
        if (session.IsStopped()) {
            sheet.done(QDialog::Rejected);
            app.quit();
            return;
        }
        step(pressNext);
    });
    step([&] {
        sinceLastTurn.start();
        ticker.start(1);
        sheet.next();
        const QString choice = embed    ? QStringLiteral("IDC_1014_1")
                               : editor ? QStringLiteral("IDC_1014_2")
                                        : QStringLiteral("IDC_1014");
        sheet.findChild<QRadioButton*>(choice)->setChecked(true);
        step([&] {
            sinceNext.start();
            next();
        });
    });
    app.exec();

    std::printf(
        "%s%s: progress window shown %lld ms after Next; longest gap between two turns of the "
        "loop: %lld ms; %s\n",
        path.c_str(), mode.empty() ? "" : (" (" + mode.substr(2) + ")").c_str(),
        shown.Milliseconds(), longestGap, SavedResult(result).c_str());
    gaps.Print();
    PrintSlowest(app);
    std::filesystem::remove_all(scratch);
    return 0;
}
