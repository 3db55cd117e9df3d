// The segment data dialog through its controls: the automatic fields follow
// typing, OK refuses with the first failed check and its focus.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "editor/ui/EditorIds.h"
#include "editor/ui/SegmentDataDlg.h"
#include "tests/ui/UiTestSupport.h"

using namespace editor_ids;

class ASegmentDataDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void FollowsTheTypedDataWithSizeAndText_data();
    void FollowsTheTypedDataWithSizeAndText();
    void RefusesOkWithTheFirstFailedCheck_data();
    void RefusesOkWithTheFirstFailedCheck();
    void KeepsTheCallersSizeFieldUntilTheDataChanges();

private:
    std::vector<std::string> m_messages;
};

void ASegmentDataDialog::init() {
    m_messages.clear();
    SetMessageSink([this](const std::string& text) { m_messages.push_back(text); });
}

void ASegmentDataDialog::cleanup() {
    SetMessageSink(nullptr);
}

void ASegmentDataDialog::FollowsTheTypedDataWithSizeAndText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("reference");
    QTest::newRow("two bytes") << "4142"
                               << "0004"
                               << "AB";
    QTest::newRow("odd") << "414"
                         << "不正"
                         << "A";
    QTest::newRow("300 bytes") << QString(600, '0') << "012E" << QString(300, '.');
}

void ASegmentDataDialog::FollowsTheTypedDataWithSizeAndText() {
    QFETCH(QString, typed);
    CSegmentDataDlg dialog(FieldsForNewSegment());
    auto* data = FindControl<QPlainTextEdit>(dialog, IDC_DATA);
    data->setFocus();
    QTest::keyClicks(data, typed);
    QTEST(FindControl<QLineEdit>(dialog, IDC_SIZE)->text(), "size");
    QTEST(FindControl<QLineEdit>(dialog, IDC_REFERENCE)->text(), "reference");

    QTest::keyClicks(FindControl<QLineEdit>(dialog, IDC_TOOL_TEXT), QStringLiteral("abc"));
    QCOMPARE(FindControl<QLineEdit>(dialog, IDC_TOOL_HEX)->text(), QStringLiteral("616263"));
}

void ASegmentDataDialog::RefusesOkWithTheFirstFailedCheck_data() {
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("focus");
    QTest::newRow("lower-case marker") << "e1"
                                       << ""
                                       << "E0 のように" << IDC_MARKER;
    QTest::newRow("three hex characters") << "E1"
                                          << "ABC"
                                          << "2の倍数で書き込むことが必要です" << IDC_DATA;
    QTest::newRow("empty data passes") << "E1"
                                       << ""
                                       << "" << 0;
}

void ASegmentDataDialog::RefusesOkWithTheFirstFailedCheck() {
    QFETCH(QString, marker);
    QFETCH(QString, data);
    QFETCH(QString, message);
    QFETCH(int, focus);
    CSegmentDataDlg dialog(FieldsForNewSegment());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    FindControl<QLineEdit>(dialog, IDC_MARKER)->setText(marker);
    FindControl<QPlainTextEdit>(dialog, IDC_DATA)->setPlainText(data);
    FindControl<QPushButton>(dialog, IDOK_BUTTON)->click();
    if (focus == 0) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Fields().m_strSize, std::string("0002"));
        QVERIFY(m_messages.empty());
        return;
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_messages.size(), size_t(1));
    QVERIFY(QString::fromStdString(m_messages[0]).startsWith(message));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDC_%1").arg(focus));
}

void ASegmentDataDialog::KeepsTheCallersSizeFieldUntilTheDataChanges() {
    CSegmentDataDlg dialog(FieldsForSegment({"FFDA", "000C0102AAFF00"}, "...."));
    QCOMPARE(FindControl<QLineEdit>(dialog, IDC_SIZE)->text(), QStringLiteral("000C"));
    QCOMPARE(FindControl<QLineEdit>(dialog, IDC_MARKER)->text(), QStringLiteral("DA"));
    FindControl<QPlainTextEdit>(dialog, IDC_DATA)->setPlainText(QStringLiteral("0102"));
    QCOMPARE(FindControl<QLineEdit>(dialog, IDC_SIZE)->text(), QStringLiteral("0004"));
}

QTEST_MAIN(ASegmentDataDialog)
#include "SegmentDataDlgTest.moc"
