// The two file-date dialogs over real files: the single-file dialog and its
// command, the batch dialog fed by drops, and the arrow keys in both.
#include <QCalendarWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <vector>

#include "dates/ui/BatchFileDateDlg.h"
#include "dates/ui/DateIds.h"
#include "dates/ui/FileDateDlg.h"
#include "dates/ui/SmallCalender.h"
#include "settings/MemorySettingsStore.h"
#include "tests/ui/UiTestSupport.h"
#include "util/MessageSink.h"

using namespace date_ids;

class ADateDialog : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CTempDir> m_folder;
    CMemorySettingsStore m_settings;
    std::vector<std::string> m_messages;
    const CLocalMoment m_chosen{QDate(2003, 5, 10), 7, 5};

    static CSmallCalender& Calendar(const QWidget& dialog) {
        return *FindControl<CSmallCalender>(dialog, IDC_CALENDAR);
    }
    static QSpinBox& Field(const QWidget& dialog, int id) {
        return *FindControl<QSpinBox>(dialog, id);
    }
    static void Click(const QWidget& dialog, int id) {
        FindControl<QPushButton>(dialog, id)->click();
    }

    static void Pick(const QWidget& dialog, const CLocalMoment& moment) {
        Calendar(dialog).SetValue(moment.date);
        Field(dialog, IDC_HOUR).setValue(moment.hour);
        Field(dialog, IDC_MINUTE).setValue(moment.minute);
    }

    // Fails the test unless path carries moment as modification and access time.
    static void VerifyTimes(const std::string& path, const CLocalMoment& moment) {
        const std::optional<CFileTimes> times = ReadFileTimes(path);
        QVERIFY2(times, path.c_str());
        const timespec expected = moment.Times()->modification;
        QCOMPARE(times->modification.tv_sec, expected.tv_sec);
        QCOMPARE(times->modification.tv_nsec, 0L);
        QCOMPARE(times->access.tv_sec, expected.tv_sec);
        QCOMPARE(times->access.tv_nsec, 0L);
    }

    std::string TextFile(const std::string& name) const {
        WriteTextFile(m_folder->File(name), "not a picture");
        return m_folder->File(name);
    }

    static void ClearField(QSpinBox& field) {
        field.selectAll();
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QString());
    }

private slots:
    void init() {
        m_folder = std::make_unique<CTempDir>();
        m_messages.clear();
        SetMessageSink([this](const std::string& text) { m_messages.push_back(text); });
    }

    void cleanup() {
        SetMessageSink({});
        m_folder.reset();
    }

    void batchGivesEveryDroppedFileTheMomentAndNamesTheFailuresTogether() {
        CBatchFileDateDlg dialog(m_settings, nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("IDD_140"));
        Pick(dialog, m_chosen);
        const std::string picture = m_folder->File("a.jpg");
        WriteJpegOfSize(picture, 16, 16);
        const std::string text = TextFile("notes.txt");
        const std::string gone1 = m_folder->File("gone1.jpg");
        const std::string gone2 = m_folder->File("gone2.txt");
        const std::string inFolder = m_folder->File("photos/b.jpg");
        std::filesystem::create_directories(m_folder->File("photos/empty"));
        WriteJpegOfSize(inFolder, 16, 16);
        const std::string empty = m_folder->File("photos/empty");
        DropFiles(dialog, {QString::fromStdString(picture), QString::fromStdString(gone1),
                           QString::fromStdString(text), QString::fromStdString(gone2),
                           QString::fromStdString(m_folder->File("photos")),
                           QString::fromStdString(empty)});
        VerifyTimes(picture, m_chosen);
        VerifyTimes(text, m_chosen);
        VerifyTimes(inFolder, m_chosen);
        QCOMPARE(m_messages,
                 std::vector<std::string>{"次のﾌｧｲﾙの日付は変更できませんでした。\n" + gone1 +
                                          "が見つかりません。\n" + gone2 + "が見つかりません。\n" +
                                          empty + "にJPEGﾌｧｲﾙは見つかりません。"});
    }

    void batchChangesNothingWhileAFieldHoldsNoNumberInRange() {
        CBatchFileDateDlg dialog(m_settings, nullptr);
        dialog.show();
        Pick(dialog, m_chosen);
        const std::string text = TextFile("keep.txt");
        const CLocalMoment before{QDate(2010, 1, 2), 3, 4};
        QVERIFY(WriteFileTimes(text, *before.Times()));

        // The field refuses a digit that would take it out of its range.
        QSpinBox& minute = Field(dialog, IDC_MINUTE);
        minute.selectAll();
        QTest::keyClicks(&minute, QStringLiteral("75"));
        QCOMPARE(minute.text(), QStringLiteral("7"));
        // An emptied field is the value that can still reach a drop.
        ClearField(minute);
        DropFiles(dialog, {QString::fromStdString(text)});
        VerifyTimes(text, before);
        QCOMPARE(m_messages, std::vector<std::string>{"0 から 59 までの整数を入力してください。"});
    }

    void arrowKeysActOnTheFocusedControlAndNeverMoveTheFocus() {
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.push_back(std::make_unique<CFileDateDlg>(QDateTime::currentDateTime()));
        dialogs.push_back(std::make_unique<CBatchFileDateDlg>(m_settings, nullptr));
        for (const auto& dialog : dialogs) {
            Pick(*dialog, m_chosen);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            CSmallCalender& calendar = Calendar(*dialog);
            calendar.setFocus();
            const std::vector<std::pair<Qt::Key, int>> steps = {
                {Qt::Key_Right, 1}, {Qt::Key_Down, 7}, {Qt::Key_Left, -1}, {Qt::Key_Up, -7}};
            for (const auto& [key, days] : steps) {
                const QDate before = calendar.GetValue();
                QTest::keyClick(QApplication::focusWidget(), key);
                QCOMPARE(calendar.GetValue(), before.addDays(days));
                QVERIFY(calendar.hasFocus());
            }
            auto* button = FindControl<QPushButton>(*dialog, IDC_THIS_MONTH);
            button->setFocus();
            for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up}) {
                QTest::keyClick(button, key);
                QCOMPARE(QApplication::focusWidget(), button);
            }
        }
    }

    void singleFileDialogStepsMonthsAndReturnsThePickedMoment() {
        CFileDateDlg dialog(QDateTime(QDate(2010, 1, 31), QTime(9, 30, 45)));
        QCOMPARE(dialog.objectName(), QStringLiteral("IDD_130"));
        QCOMPARE(Field(dialog, IDC_HOUR).value(), 9);
        QCOMPARE(Field(dialog, IDC_MINUTE).value(), 30);
        CSmallCalender& calendar = Calendar(dialog);
        // The selection follows the month on show, shortened to its last day.
        const std::vector<std::pair<int, QDate>> steps = {{IDC_NEXT_MONTH, QDate(2010, 2, 28)},
                                                          {IDC_PREVIOUS_MONTH, QDate(2010, 1, 28)},
                                                          {IDC_THIS_MONTH, QDate::currentDate()}};
        for (const auto& [button, date] : steps) {
            Click(dialog, button);
            QCOMPARE(calendar.GetValue(), date);
            QCOMPARE(calendar.monthShown(), date.month());
            QCOMPARE(calendar.yearShown(), date.year());
        }

        dialog.show();
        Pick(dialog, m_chosen);
        ClearField(Field(dialog, IDC_HOUR));
        Click(dialog, IDOK);
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_messages, std::vector<std::string>{"0 から 23 までの整数を入力してください。"});
        QTest::keyClicks(&Field(dialog, IDC_HOUR), QStringLiteral("7"));
        Click(dialog, IDOK);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Moment(), m_chosen);
    }

    void fileDateCommandGivesTheFileThePickedMoment() {
        const std::string text = TextFile("one.txt");
        QTimer::singleShot(0, this, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr && dialog->objectName() == QStringLiteral("IDD_130"));
            Pick(*dialog, m_chosen);
            Click(*dialog, IDOK);
        });
        ChangeFileDates(text, nullptr);
        VerifyTimes(text, m_chosen);
        QVERIFY(m_messages.empty());
    }
};

QTEST_MAIN(ADateDialog)
#include "DateDialogsTest.moc"
