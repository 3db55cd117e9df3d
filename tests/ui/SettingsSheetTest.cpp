// The system settings sheet driven through its widgets, with its settings in
// a private QSettings location that each test starts empty.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "app/QtSettingsStore.h"
#include "app/ui/DlgSysExif.h"
#include "app/ui/HelpKey.h"
#include "app/ui/SettingsIds.h"
#include "app/ui/SysProSheet.h"
#include "tests/ui/UiTestSupport.h"

using namespace settings_ids;

namespace {

const char kEmptyNameQuestion[] =
    "最適化後に作成するﾌｧｲﾙを空白にすると、処理後、同じﾌｧｲﾙに上書きします。"
    "本当に上書き設定にしてよろしいですか？";
const char kForbiddenCharacters[] =
    "Windowsでは、\\/:,;*?\"<>|　をﾌｧｲﾙ名に使うことは禁止されています";

// The control id on the page id (both pages have a 1055).
template <typename T>
T* Control(QWidget* sheet, int pageId, int controlId) {
    QWidget* page = sheet->findChild<QWidget*>(QStringLiteral("IDD_%1").arg(pageId));
    return page ? FindControl<T>(*page, controlId) : nullptr;
}

QPushButton* SheetButton(QWidget* sheet, int id) {
    return FindControl<QPushButton>(*sheet, id);
}

}  // namespace

class ASettingsSheet : public QObject {
    Q_OBJECT

private slots:
    void init();
    void WritesAllTenKeysOnOkAndNothingOnCancel();
    void StoresAnEmptyFileNameOnlyOnceTheUserAgreesToOverwrite();
    void RefusesAColonInTheFileNameAndPutsTheFocusBackOnIt();
    void BasicDefaultsClearDelExifAndKeepTheDamageOptionAsShown();
    void BatchDefaultsRestoreTheNamesAndEnableTheExifControls();
    void KeepingPageStoresOnlyTheKeysItChanged();
    void F1HelpFollowsThePageInFront();

private:
    // Opens a sheet over m_store whose questions are answered with answer and recorded.
    std::unique_ptr<CSysProSeet> OpenSheet(QMessageBox::StandardButton answer);
    // What a fresh store reads back, after the sheet's writes are flushed.
    CQtSettingsStore& Reread();

    std::unique_ptr<CTestSettingsLocation> m_location;
    std::unique_ptr<CQtSettingsStore> m_store;
    std::unique_ptr<CQtSettingsStore> m_reread;
    QStringList m_asked;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
};

void ASettingsSheet::init() {
    m_store.reset();
    m_location = std::make_unique<CTestSettingsLocation>();
    m_store = std::make_unique<CQtSettingsStore>();
    m_asked.clear();
}

std::unique_ptr<CSysProSeet> ASettingsSheet::OpenSheet(QMessageBox::StandardButton answer) {
    m_answer = answer;
    auto sheet = std::make_unique<CSysProSeet>(*m_store);
    sheet->findChild<CDlgSysExif*>()->SetAsk(
        [this](const QString& text, QMessageBox::StandardButtons) {
            m_asked << text;
            return m_answer;
        });
    return sheet;
}

CQtSettingsStore& ASettingsSheet::Reread() {
    m_store->Sync();
    m_reread = std::make_unique<CQtSettingsStore>();
    return *m_reread;
}

void ASettingsSheet::WritesAllTenKeysOnOkAndNothingOnCancel() {
    auto sheet = OpenSheet(QMessageBox::Ok);
    Control<QRadioButton>(sheet.get(), IDD_SYS_LEVEL, IDC_CPU_GENTLE)->click();
    Control<QLineEdit>(sheet.get(), IDD_SYS_EXIF, IDC_OUTPUT_NAME)->setText("_x");
    SheetButton(sheet.get(), IDCANCEL)->click();
    QCOMPARE(sheet->result(), int(QDialog::Rejected));
    QVERIFY(QSettings("marvoke", "KestrinJPEG").allKeys().isEmpty());

    sheet = OpenSheet(QMessageBox::Ok);
    SheetButton(sheet.get(), IDOK)->click();
    QCOMPARE(sheet->result(), int(QDialog::Accepted));
    const QStringList keys = QSettings("marvoke", "KestrinJPEG").allKeys();
    QCOMPARE(keys.size(), 10);
    CQtSettingsStore& stored = Reread();
    QCOMPARE(stored.Read(settings::kCpu), 1);
    QCOMPARE(stored.Read(settings::kDelExif), 1);
    QCOMPARE(stored.Read(settings::kSaveExif), 1);
    QCOMPARE(stored.Read(settings::kFileName), std::string("_kestrin100"));
    QCOMPARE(stored.Read(settings::kExifName), std::string("_kestrin100"));
}

void ASettingsSheet::StoresAnEmptyFileNameOnlyOnceTheUserAgreesToOverwrite() {
    auto sheet = OpenSheet(QMessageBox::No);
    sheet->findChild<QTabWidget*>()->setCurrentIndex(1);
    Control<QLineEdit>(sheet.get(), IDD_SYS_EXIF, IDC_OUTPUT_NAME)->clear();
    SheetButton(sheet.get(), IDOK)->click();
    QCOMPARE(m_asked, QStringList{QString::fromUtf8(kEmptyNameQuestion)});
    QCOMPARE(sheet->result(), int(QDialog::Rejected));
    QVERIFY(QSettings("marvoke", "KestrinJPEG").allKeys().isEmpty());

    m_answer = QMessageBox::Yes;
    SheetButton(sheet.get(), IDOK)->click();
    QCOMPARE(sheet->result(), int(QDialog::Accepted));
    QCOMPARE(Reread().Read(settings::kFileName), std::string());
}

void ASettingsSheet::RefusesAColonInTheFileNameAndPutsTheFocusBackOnIt() {
    auto sheet = OpenSheet(QMessageBox::Ok);
    sheet->show();
    QVERIFY(QTest::qWaitForWindowActive(sheet.get()));
    auto* tabs = sheet->findChild<QTabWidget*>();
    tabs->setCurrentIndex(1);
    auto* fileName = Control<QLineEdit>(sheet.get(), IDD_SYS_EXIF, IDC_OUTPUT_NAME);
    fileName->setText("_a:b");
    Control<QLineEdit>(sheet.get(), IDD_SYS_EXIF, IDC_EXIF_NAME)->setFocus();

    tabs->setCurrentIndex(0);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(QApplication::focusWidget(), fileName);

    SheetButton(sheet.get(), IDOK)->setFocus();
    SheetButton(sheet.get(), IDOK)->click();
    QCOMPARE(QApplication::focusWidget(), fileName);
    QVERIFY(sheet->isVisible());
    QCOMPARE(m_asked, QStringList(2, QString::fromUtf8(kForbiddenCharacters)));
    QVERIFY(QSettings("marvoke", "KestrinJPEG").allKeys().isEmpty());

    fileName->setText("_ab");
    tabs->setCurrentIndex(0);
    QCOMPARE(tabs->currentIndex(), 0);
}

void ASettingsSheet::BasicDefaultsClearDelExifAndKeepTheDamageOptionAsShown() {
    for (const CIntSetting* setting :
         {&settings::kJoukyuuEdit, &settings::kFfe0, &settings::kExpChk, &settings::kDelExif}) {
        m_store->Write(*setting, 1);
    }
    m_store->Write(settings::kCpu, 0);
    auto sheet = OpenSheet(QMessageBox::Ok);
    Control<QCheckBox>(sheet.get(), IDD_SYS_LEVEL, IDC_DAMAGED_PICTURES)->click();
    Control<QPushButton>(sheet.get(), IDD_SYS_LEVEL, IDC_RESTORE_DEFAULTS)->click();
    QVERIFY(Control<QRadioButton>(sheet.get(), IDD_SYS_LEVEL, IDC_CPU_MIDDLE)->isChecked());
    SheetButton(sheet.get(), IDOK)->click();

    CQtSettingsStore& stored = Reread();
    QCOMPARE(stored.Read(settings::kCpu), 1);
    QCOMPARE(stored.Read(settings::kJoukyuuEdit), 0);
    QCOMPARE(stored.Read(settings::kFfe0), 0);
    QCOMPARE(stored.Read(settings::kExpChk), 0);
    QCOMPARE(stored.Read(settings::kDelExif), 0);
    QCOMPARE(stored.Read(settings::kDamage), 1);
}

void ASettingsSheet::BatchDefaultsRestoreTheNamesAndEnableTheExifControls() {
    m_store->Write(settings::kFileName, "_out");
    m_store->Write(settings::kExifName, "_bak");
    m_store->Write(settings::kSaveExif, 0);
    m_store->Write(settings::kOverwrite, 1);
    auto sheet = OpenSheet(QMessageBox::Ok);
    auto* exifName = Control<QLineEdit>(sheet.get(), IDD_SYS_EXIF, IDC_EXIF_NAME);
    auto* overwrite = Control<QCheckBox>(sheet.get(), IDD_SYS_EXIF, IDC_OVERWRITE);
    auto* saveExif = Control<QCheckBox>(sheet.get(), IDD_SYS_EXIF, IDC_SAVE_EXIF);
    QVERIFY(!exifName->isEnabled() && !overwrite->isEnabled());
    saveExif->click();
    QVERIFY(exifName->isEnabled() && overwrite->isEnabled());
    saveExif->click();
    QVERIFY(!exifName->isEnabled() && !overwrite->isEnabled());

    Control<QPushButton>(sheet.get(), IDD_SYS_EXIF, IDC_RESTORE_DEFAULTS)->click();
    QVERIFY(exifName->isEnabled() && overwrite->isEnabled());
    SheetButton(sheet.get(), IDOK)->click();
    CQtSettingsStore& stored = Reread();
    QCOMPARE(stored.Read(settings::kFileName), std::string("_kestrin100"));
    QCOMPARE(stored.Read(settings::kExifName), std::string("_kestrin100"));
    QCOMPARE(stored.Read(settings::kSaveExif), 1);
    QCOMPARE(stored.Read(settings::kOverwrite), 0);
}

void ASettingsSheet::KeepingPageStoresOnlyTheKeysItChanged() {
    m_store->Write(settings::kKeepIcc, 1);
    auto sheet = OpenSheet(QMessageBox::Ok);
    auto* icc = Control<QCheckBox>(sheet.get(), IDD_SYS_KEEP, IDC_KEEP_ICC);
    auto* motion = Control<QCheckBox>(sheet.get(), IDD_SYS_KEEP, IDC_KEEP_MOTION);
    QVERIFY(icc->isChecked() && !motion->isChecked());
    Control<QPushButton>(sheet.get(), IDD_SYS_KEEP, IDC_RESTORE_DEFAULTS)->click();
    QVERIFY(!icc->isChecked());
    motion->click();
    SheetButton(sheet.get(), IDOK)->click();

    QVERIFY(!QSettings("marvoke", "KestrinJPEG").contains("Settings/keep_orientation"));
    CQtSettingsStore& stored = Reread();
    QCOMPARE(stored.Read(settings::kKeepIcc), 0);
    QCOMPARE(stored.Read(settings::kKeepMotion), 1);
}

void ASettingsSheet::F1HelpFollowsThePageInFront() {
    auto sheet = OpenSheet(QMessageBox::Ok);
    QCOMPARE(HelpAnchorFor(sheet.get()), QStringLiteral("settings"));
    sheet->findChild<QTabWidget*>()->setCurrentWidget(
        sheet->findChild<QWidget*>(QStringLiteral("IDD_%1").arg(IDD_SYS_KEEP)));
    QCOMPARE(HelpAnchorFor(sheet.get()), QStringLiteral("settings-keep"));
}

QTEST_MAIN(ASettingsSheet)
#include "SettingsSheetTest.moc"
