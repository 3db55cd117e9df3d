// The kept-header dialog driven through its buttons over a list file in a
// private folder.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <string>

#include "segment/KeptHeaderList.h"
#include "segment/ui/KeptHeaderDlg.h"
#include "segment/ui/SegmentIds.h"
#include "tests/ui/UiTestSupport.h"

using namespace segment_ids;

class AKeptHeaderDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void ResetRewritesTheFileWithTheCatalogueAtOnceEvenWhenCancelled();
    void NewWithAListedCodeTellsAndReopensWithTheEnteredValues();

private:
    std::string ListFile() const { return m_dir->File("nok_code.pdt"); }

    std::unique_ptr<CTempDir> m_dir;
};

void AKeptHeaderDialog::init() {
    m_dir = std::make_unique<CTempDir>();
    WriteTextFile(ListFile(), "FFE0,APP0\r\n");
}

void AKeptHeaderDialog::ResetRewritesTheFileWithTheCatalogueAtOnceEvenWhenCancelled() {
    CKeptHeaderList catalogue;
    const auto& defaults = DefaultKeptHeaderRows();
    for (auto row = defaults.rbegin(); row != defaults.rend(); ++row) {
        catalogue.AddRow(row->m_strCode, row->m_strDescription);
    }
    const std::string expectedPath = m_dir->File("expected.pdt");
    QVERIFY(catalogue.Save(expectedPath));

    CKeptHeaderDlg dialog(ListFile());
    auto* list = FindControl<QTreeWidget>(dialog, IDC_KEPT_HEADER_LIST);
    QCOMPARE(list->topLevelItemCount(), 1);
    FindControl<QPushButton>(dialog, IDC_RESET_HEADERS)->click();
    QCOMPARE(ReadFile(ListFile()), ReadFile(expectedPath));
    QCOMPARE(list->topLevelItemCount(), 34);
    QCOMPARE(list->topLevelItem(33)->text(1), QStringLiteral("拡張ﾃﾞｰﾀ"));

    FindControl<QPushButton>(dialog, IDCANCEL)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(ReadFile(ListFile()), ReadFile(expectedPath));
}

void AKeptHeaderDialog::NewWithAListedCodeTellsAndReopensWithTheEnteredValues() {
    CKeptHeaderDlg dialog(ListFile());
    QStringList told;
    dialog.SetAsk([&told](const QString& text, QMessageBox::StandardButtons) {
        told << text;
        return QMessageBox::Ok;
    });
    // The first edit dialog gets a listed code, the second one is looked at and cancelled.
    QStringList reopenedWith;
    QTimer::singleShot(0, [&reopenedWith] {
        QWidget* edit = QApplication::activeModalWidget();
        FindControl<QLineEdit>(*edit, IDC_HEADER_CODE)->setText("FFE0");
        FindControl<QLineEdit>(*edit, IDC_HEADER_DESCRIPTION)->setText("ｱﾌﾟﾘ");
        QTimer::singleShot(0, [&reopenedWith] {
            QWidget* again = QApplication::activeModalWidget();
            reopenedWith << FindControl<QLineEdit>(*again, IDC_HEADER_CODE)->text()
                         << FindControl<QLineEdit>(*again, IDC_HEADER_DESCRIPTION)->text();
            FindControl<QPushButton>(*again, IDCANCEL)->click();
        });
        FindControl<QPushButton>(*edit, IDOK)->click();
    });
    FindControl<QPushButton>(dialog, IDC_NEW_HEADER)->click();

    QCOMPARE(told, QStringList{QStringLiteral("同じ名前ですでに登録されています。")});
    QCOMPARE(reopenedWith, (QStringList{"FFE0", QStringLiteral("ｱﾌﾟﾘ")}));
    QCOMPARE(FindControl<QTreeWidget>(dialog, IDC_KEPT_HEADER_LIST)->topLevelItemCount(), 1);
}

QTEST_MAIN(AKeptHeaderDialog)
#include "KeptHeaderDlgTest.moc"
