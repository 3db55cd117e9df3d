// The batch optimiser's dialog, reached through its menu command in a running
// main window and fed real files; its scans run on the scanner thread.
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/QuorvelApp.h"
#include "app/ResourceIds.h"
#include "app/ui/MainFrame.h"
#include "app/ui/QuorvelView.h"
#include "segment/KeptHeaderList.h"
#include "tests/ui/UiTestSupport.h"
#include "widgets/BatchLogDlg.h"
#include "widgets/HedScan.h"
#include "widgets/ProgressDlg.h"
#include "widgets/ScanWindowIds.h"
#include "widgets/WizardCheckRun.h"

namespace {

constexpr int kLog = 1024;
constexpr int kBytesBefore = 1043;
constexpr int kBytesAfter = 1044;
constexpr int kClearLog = 1057;
constexpr int kClose = 2;
constexpr int kTimeoutMs = 120000;

// Counts the progress windows shown and, when asked, presses Cancel in the
// n-th one: its scan waits at its first progress report until the press has
// landed, however slowly the window's thread runs.
class CProgressWatch : public QObject {
public:
    explicit CProgressWatch(int cancelIn = 0) : m_nCancelIn(cancelIn) {
        qApp->installEventFilter(this);
        SetHedProgressHook([this](int) { PressCancelOnce(); });
    }
    ~CProgressWatch() override {
        SetHedProgressHook({});
        qApp->removeEventFilter(this);
    }

    int Shown() const { return m_nShown; }
    int BarPaints() const { return m_nBarPaints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show &&
            watched->objectName() ==
                QStringLiteral("IDD_%1").arg(scan_window_ids::IDD_BATCH_PROGRESS)) {
            ++m_nShown;
            if (m_nShown == m_nCancelIn) {
                m_pCancel = FindControl<QPushButton>(*static_cast<QWidget*>(watched), kClose);
            }
        } else if (event->type() == QEvent::Paint && qobject_cast<QProgressBar*>(watched)) {
            ++m_nBarPaints;
        }
        return false;
    }

private:
    // On the scanner thread.
    void PressCancelOnce() {
        if (QPushButton* cancel = m_pCancel.exchange(nullptr)) {
            QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::BlockingQueuedConnection);
        }
    }

    int m_nCancelIn;
    int m_nShown = 0;
    int m_nBarPaints = 0;
    std::atomic<QPushButton*> m_pCancel = nullptr;
};

}  // namespace

class ABatchOptimiseDialog : public QObject {
    Q_OBJECT

private:
    CWindowTestPlace m_place;

    std::string File(const std::string& name) const { return m_place.File(name); }

    std::string CameraPicture(const std::string& name) const {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        recipe.comment = "Camera";
        WriteFile(File(name), MakeJpeg(recipe));
        return File(name);
    }

    // A small picture behind comments of about size bytes, which take the
    // scanner long enough to be cancelled.
    std::string LargePicture(const std::string& name, size_t size) const {
        std::vector<uint8_t> bytes = MakeJpeg(CJpegRecipe());
        std::vector<uint8_t> comment = {0xFF, 0xFE, 0xFF, 0xFF};
        comment.resize(2 + 0xFFFF, 'k');
        std::vector<uint8_t> comments;
        while (comments.size() < size) {
            comments.insert(comments.end(), comment.begin(), comment.end());
        }
        bytes.insert(bytes.begin() + 2, comments.begin(), comments.end());
        WriteFile(File(name), bytes);
        return File(name);
    }

    std::unique_ptr<CQuorvelApp> Start() {
        CKeptHeaderList kept;
        kept.ResetToDefaults(File("nok_code.pdt"));
        return m_place.StartProgram();
    }

    static CBatchLogDlg* OpenDialog(const CQuorvelApp& app) {
        app.MainFrame().Action(ID_BATCH_OPTIMISE)->trigger();
        auto* dialog = app.MainFrame().View().findChild<CBatchLogDlg*>(QStringLiteral("IDD_203"));
        return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
    }

    static QString LogOf(const QDialog& dialog) {
        return FindControl<QPlainTextEdit>(dialog, kLog)->toPlainText();
    }

    static QString Total(const QDialog& dialog, int id) {
        return FindControl<QLineEdit>(dialog, id)->text();
    }

    static void Drop(QWidget& dialog, const std::vector<std::string>& paths) {
        QStringList files;
        for (const std::string& path : paths) {
            files.append(QString::fromStdString(path));
        }
        DropFiles(dialog, files);
    }

    static bool Idle(const CBatchLogDlg& dialog) { return !dialog.IsBusy(); }

private slots:
    void init() { m_place.Renew(); }

    void cleanup() {
        SetWizardCheckStartedHook({});
        m_place.Release();
    }

    void processesDropsInOrderAndRefusesToBeInterruptedWhileScanning() {
        const auto app = Start();
        QVERIFY(app);
        CBatchLogDlg* dialog = OpenDialog(*app);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("連続JPEGﾍｯﾀﾞｰ最適化"));
        const std::vector<std::string> dropped = {CameraPicture("c.jpg"), CameraPicture("a.jpg"),
                                                  CameraPicture("b.jpg")};
        // Each file's work before and after its scan, and the look at the
        // empty queue, off the window's thread.
        std::atomic<int> elsewhere = 0;
        SetWizardCheckStartedHook(
            [&elsewhere] { elsewhere += QThread::currentThread() != qApp->thread() ? 1 : 0; });
        Drop(*dialog, dropped);

        // The first scan runs now; its end waits for the event loop.
        QVERIFY(dialog->IsBusy());
        Drop(*dialog, {CameraPicture("late.jpg")});
        FindControl<QPushButton>(*dialog, kClose)->click();
        dialog->close();
        QCOMPARE(m_place.messages, (std::vector<std::string>(3, "計算中です！")));
        QVERIFY(dialog->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(Idle(*dialog), kTimeoutMs);
        const QString log = LogOf(*dialog);
        qsizetype last = -1;
        for (const std::string& path : dropped) {
            const QString saved =
                QString::fromStdString(path.substr(0, path.size() - 4)) +
                QStringLiteral("_kestrin100.jpgへ最適化したJPEG画像をｺﾋﾟｰしました。");
            const qsizetype at = log.lastIndexOf(saved);
            QVERIFY2(at > last, qPrintable(log));
            last = at;
        }
        QVERIFY2(!log.contains(QStringLiteral("late")), qPrintable(log));
        QVERIFY(!std::filesystem::exists(File("late_kestrin100.jpg")));
        QCOMPARE(elsewhere.load(), 7);

        int64_t before = 0;
        int64_t after = 0;
        for (const char* name : {"a", "b", "c"}) {
            before +=
                static_cast<int64_t>(std::filesystem::file_size(File(name + std::string(".jpg"))));
            after += static_cast<int64_t>(
                std::filesystem::file_size(File(name + std::string("_kestrin100.jpg"))));
        }
        // Before counts each file once its Exif block is gone.
        QVERIFY(Total(*dialog, kBytesBefore).toLongLong() < before);
        QCOMPARE(Total(*dialog, kBytesAfter).toLongLong(), after);

        FindControl<QPushButton>(*dialog, kClearLog)->click();
        QCOMPARE(LogOf(*dialog), QString());
        QCOMPARE(Total(*dialog, kBytesAfter).toLongLong(), after);
        FindControl<QPushButton>(*dialog, kClose)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(OpenDialog(*app), dialog);
        QCOMPARE(Total(*dialog, kBytesAfter).toLongLong(), after);
    }

    void aDroppedFolderIsProcessedAsTheJpegFilesInsideIt() {
        const auto app = Start();
        CBatchLogDlg* dialog = OpenDialog(*app);
        std::filesystem::create_directories(File("photos/sub"));
        std::filesystem::create_directory(File("empty"));
        CameraPicture("photos/b.jpg");
        CameraPicture("photos/sub/a.jpg");
        WriteTextFile(File("photos/notes.txt"), "text");
        Drop(*dialog, {File("photos"), File("empty")});
        QTRY_VERIFY_WITH_TIMEOUT(Idle(*dialog), kTimeoutMs);

        const QString log = LogOf(*dialog);
        const QString saved = QStringLiteral("_kestrin100.jpgへ最適化したJPEG画像をｺﾋﾟｰしました。");
        const qsizetype first = log.indexOf(QString::fromStdString(File("photos/b")) + saved);
        const qsizetype second = log.indexOf(QString::fromStdString(File("photos/sub/a")) + saved);
        const qsizetype empty = log.indexOf(QString::fromStdString(File("empty")) +
                                            QStringLiteral("にJPEGﾌｧｲﾙは見つかりません。"));
        QVERIFY2(first >= 0 && first < second && second < empty, qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("notes")), qPrintable(log));
        QVERIFY(m_place.messages.empty());
    }

    void cancelDuringTheSecondFileStopsTheBatch() {
        const auto app = Start();
        CBatchLogDlg* dialog = OpenDialog(*app);
        const CProgressWatch watch(2);
        Drop(*dialog, {CameraPicture("one.jpg"), LargePicture("two.jpg", 48 << 20),
                       CameraPicture("three.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(Idle(*dialog), kTimeoutMs);

        const QString log = LogOf(*dialog);
        QVERIFY2(
            log.endsWith(QStringLiteral("ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました...\n")),
            qPrintable(log.right(300)));
        QVERIFY(!log.contains(QStringLiteral("three")));
        QCOMPARE(watch.Shown(), 2);
        QVERIFY(std::filesystem::exists(File("one_kestrin100.jpg")));
        QVERIFY(!std::filesystem::exists(File("two_kestrin100.jpg")));
        QVERIFY(dialog->findChild<QDialog*>(QStringLiteral("IDD_204")) == nullptr);
    }

    void quittingDuringAScanCancelsItAndLeavesTheFileAlone() {
        auto app = Start();
        CBatchLogDlg* dialog = OpenDialog(*app);
        const std::string large = LargePicture("large.jpg", 48 << 20);
        const std::vector<uint8_t> before = ReadFile(large);
        Drop(*dialog, {large});
        QVERIFY(dialog->IsBusy());
        app.reset();
        QCOMPARE(ReadFile(large), before);
        QVERIFY(!std::filesystem::exists(File("large_kestrin100.jpg")));
    }

    void progressWindowGreysCancelPastEightyPercent() {
        CHedThread record;
        CBatchProgressDlg progress(record, nullptr);
        auto* cancel = FindControl<QPushButton>(progress, kClose);
        progress.ShowPercent(80);
        QVERIFY(cancel->isEnabled());
        progress.ShowPercent(85);
        QVERIFY(!cancel->isEnabled());
        QCOMPARE(FindControl<QProgressBar>(progress, 1000)->value(), 85);
        QCOMPARE(FindControl<QLineEdit>(progress, 1004)->text(),
                 QStringLiteral("85％　終了しました..."));
        cancel->setEnabled(true);
        cancel->click();
        QCOMPARE(record.m_bCancel.load(), 1);
    }

    // Many files: the window keeps drawing and the event loop keeps turning.
    void aLongBatchKeepsTheWindowAlive() {
        const auto app = Start();
        CBatchLogDlg* dialog = OpenDialog(*app);
        std::vector<std::string> dropped;
        for (int i = 0; i < 200; ++i) {
            dropped.push_back(CameraPicture("many" + std::to_string(i) + ".jpg"));
        }
        const CProgressWatch watch;
        QElapsedTimer sinceLastTurn;
        qint64 longestBlock = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this,
                [&] { longestBlock = std::max(longestBlock, sinceLastTurn.restart()); });
        ticker.start(1);
        sinceLastTurn.start();
        Drop(*dialog, dropped);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(*dialog), kTimeoutMs);
        ticker.stop();

        QCOMPARE(watch.Shown(), 200);
        QVERIFY(watch.BarPaints() > 0);
        QCOMPARE(LogOf(*dialog).count(QStringLiteral("へ最適化したJPEG画像をｺﾋﾟｰしました。")), 400);
        qInfo("longest time between two turns of the event loop: %lld ms", longestBlock);
    }
};

QTEST_MAIN(ABatchOptimiseDialog)
#include "BatchOptimiseDlgTest.moc"
