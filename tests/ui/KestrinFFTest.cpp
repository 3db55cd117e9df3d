// The marker editor page hosted in a bare wizard, on a camera-like file: the
// wiring of keys, buttons, popup menu, icon, the question on Next and the
// guard around every command, and the checks on the worker. What the commands
// do is the editor's own test.
#include <QAbstractButton>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QWizard>
#include <QtTest>
#include <filesystem>

#include "editor/ui/EditorCheckRun.h"
#include "editor/ui/EditorIds.h"
#include "editor/ui/KestrinFF.h"
#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "optimise/WizardSession.h"
#include "segment/KeptHeaderList.h"
#include "segment/SegmentFiles.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/CameraFiles.h"
#include "tests/ui/UiTestSupport.h"
#include "widgets/YesNoQuestion.h"

using namespace editor_ids;

namespace {

// An editor page on a file whose rows are FFE1 (Exif) and FFFE, in a wizard
// that has one more page after it.
struct CHostedPage {
    CHostedPage() : work(MakeWorkFiles(folder.File(""), folder.File(""))) {
        CJpegRecipe recipe;
        recipe.jfif = false;
        recipe.exifWithThumbnail = true;
        recipe.comment = "note";
        original = MakeJpeg(recipe);
        WriteFile(folder.File("photo.jpg"), original);
        DecodeJpegToPacked(folder.File("photo.jpg"), picture);
        session = std::make_unique<CWizardSession>(
            work, settings, kept, exif, CWizardDocument{folder.File("photo.jpg"), &picture, {}});
        page = new CKestrinFF(*session, nullptr);
        SetYesNoHook([this](const QString& question, EDefaultAnswer) {
            questions.append(question);
            return answer;
        });
        wizard.addPage(page);
        wizard.addPage(new QWizardPage);
        wizard.show();
    }
    ~CHostedPage() { SetYesNoHook(nullptr); }
    CHostedPage(const CHostedPage&) = delete;
    CHostedPage& operator=(const CHostedPage&) = delete;
    QTableView* List() const { return FindControl<QTableView>(*page, IDC_SEGMENT_LIST); }
    bool Enabled(int id) const { return FindControl<QWidget>(*page, id)->isEnabled(); }
    void KeyOnList(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(List(), key, modifiers);
    }

    CTempDir folder;
    CWorkFiles work;
    CMemorySettingsStore settings;
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
    CExifEngine exif{"", ""};
    std::vector<uint8_t> original;
    CPackedPicture picture;
    std::unique_ptr<CWizardSession> session;
    QWizard wizard;
    CKestrinFF* page = nullptr;
    QStringList questions;
    bool answer = false;
};

}  // namespace

class AMarkerEditorPage : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void EditsThroughTheKeysOfTheList();
    void EnablesThePopupItemsByTheSelection();
    void LocksEditingUnderThePictureDataCheckBox();
    void ShowsTheIconOnlyWhileTheWorkCopyDecodesAndAsksOnNext();
    void DeletesTheExifRowFromTheKeyboardAndGoesOn();
    void ShowsAFailedWriteOfACommandAndGoesOn();
    void EditsWhileChecksRunDropsOldAnswersAndNextWaits();

private:
    bool WaitForScan();
    std::unique_ptr<CHostedPage> m_host;
    std::vector<std::string> m_messages;
};

void AMarkerEditorPage::init() {
    m_messages.clear();
    SetMessageSink([this](const std::string& text) { m_messages.push_back(text); });
    m_host = std::make_unique<CHostedPage>();
    QVERIFY(WaitForScan());
}

void AMarkerEditorPage::cleanup() {
    m_host.reset();
    SetMessageSink(nullptr);
}

bool AMarkerEditorPage::WaitForScan() {
    return QTest::qWaitFor(
        [this] { return m_host->page->isComplete() && m_host->List()->model()->rowCount() > 0; });
}

void AMarkerEditorPage::EditsThroughTheKeysOfTheList() {
    CHostedPage& host = *m_host;
    QCOMPARE(QApplication::focusWidget(), host.List());
    QVERIFY(!host.List()->selectionModel()->hasSelection());
    host.KeyOnList(Qt::Key_Down);
    QCOMPARE(host.List()->model()->index(0, 0).data().toString(), QStringLiteral("FFE1"));
    QCOMPARE(host.List()->selectionModel()->selectedRows().value(0).row(), 0);

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int rows;
    } steps[] = {
        {Qt::Key_Delete, Qt::NoModifier, 1},
        {Qt::Key_Z, Qt::ControlModifier, 2},
        {Qt::Key_Y, Qt::ControlModifier, 1},
        {Qt::Key_Z, Qt::ControlModifier, 2},
    };
    for (const auto& step : steps) {
        host.KeyOnList(step.key, step.modifiers);
        QCOMPARE(host.List()->model()->rowCount(), step.rows);
    }
    host.List()->selectRow(1);
    host.KeyOnList(Qt::Key_Space);
    QCOMPARE(host.List()->model()->index(1, 1).data().toString(), QStringLiteral("......"));
    QVERIFY(host.Enabled(IDC_UNDO));
}

void AMarkerEditorPage::EnablesThePopupItemsByTheSelection() {
    CHostedPage& host = *m_host;
    const auto enabled = [&host](int id) {
        const std::unique_ptr<QMenu> menu = host.page->BuildPopupMenu();
        return menu->findChild<QAction*>(QStringLiteral("ID_%1").arg(id))->isEnabled();
    };
    const int needRow[] = {ID_POPUP_ADD, ID_POPUP_DELETE, ID_POPUP_ZERO, ID_POPUP_EDIT};
    for (int id : needRow) {
        QVERIFY(!enabled(id));
    }
    QVERIFY(!enabled(ID_POPUP_UNDO) && !enabled(ID_POPUP_REMOVE_PROPRIETARY));
    QVERIFY(enabled(ID_POPUP_RESET) && enabled(ID_POPUP_REDRAW) && enabled(ID_POPUP_SHOW_RESULT));
    host.List()->selectRow(0);
    for (int id : needRow) {
        QVERIFY(enabled(id));
    }
    host.KeyOnList(Qt::Key_Delete);
    QVERIFY(enabled(ID_POPUP_UNDO));
    QVERIFY(!enabled(ID_POPUP_REDO));

    bool shownFromKeyboard = false;
    QTimer::singleShot(0, [&shownFromKeyboard] {
        QWidget* popup = QApplication::activePopupWidget();
        shownFromKeyboard = qobject_cast<QMenu*>(popup) != nullptr;
        if (popup != nullptr) {
            popup->close();
        }
    });
    host.KeyOnList(Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(shownFromKeyboard);
}

void AMarkerEditorPage::LocksEditingUnderThePictureDataCheckBox() {
    CHostedPage& host = *m_host;
    host.List()->selectRow(0);
    host.KeyOnList(Qt::Key_Delete);
    FindControl<QCheckBox>(*host.page, IDC_SHOW_ALL)->click();
    for (int id :
         {IDC_ZERO, IDC_DELETE, IDC_UNDO, IDC_REDO, IDC_EDIT, IDC_ADD, IDC_REMOVE_PROPRIETARY}) {
        QVERIFY2(!host.Enabled(id), qPrintable(QString::number(id)));
    }
    const int rows = host.List()->model()->rowCount();
    host.List()->selectRow(rows - 1);
    host.KeyOnList(Qt::Key_Delete);
    host.KeyOnList(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(host.List()->model()->rowCount(), rows);

    FindControl<QCheckBox>(*host.page, IDC_SHOW_ALL)->click();
    QVERIFY(host.Enabled(IDC_DELETE) && host.Enabled(IDC_UNDO));
    QVERIFY(!host.Enabled(IDC_REMOVE_PROPRIETARY));
}

void AMarkerEditorPage::ShowsTheIconOnlyWhileTheWorkCopyDecodesAndAsksOnNext() {
    CHostedPage& host = *m_host;
    QWidget* icon = FindControl<QWidget>(*host.page, IDC_DECODES_ICON);
    QTRY_VERIFY(icon->isVisible());
    host.settings.Write(settings::kJoukyuuEdit, 1);
    FindControl<QCheckBox>(*host.page, IDC_SHOW_ALL)->click();
    const QModelIndexList scan =
        host.List()->model()->match(host.List()->model()->index(0, 0), Qt::DisplayRole, "FFDA");
    QVERIFY(!scan.isEmpty());
    host.List()->selectRow(scan.first().row());
    host.KeyOnList(Qt::Key_Delete);
    QVERIFY(!icon->isVisible());

    host.wizard.next();
    QCOMPARE(host.questions.size(), 1);
    QCOMPARE(host.wizard.currentPage(), host.page);
    host.KeyOnList(Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY(icon->isVisible());
    host.wizard.next();
    QCOMPARE(host.questions.size(), 1);
    QVERIFY(host.wizard.currentPage() != host.page);
}

void AMarkerEditorPage::DeletesTheExifRowFromTheKeyboardAndGoesOn() {
    CHostedPage& host = *m_host;
    QVERIFY(QTest::qWaitForWindowActive(&host.wizard));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    host.wizard.button(QWizard::NextButton)->click();
    QVERIFY(host.wizard.currentPage() != host.page);

    // What the finish page saves: the hex work file turned into bytes.
    const std::string saved = host.folder.File("saved.jpg");
    QVERIFY(HexFileToBinary(host.work.m_strTempHexa, saved));
    const std::vector<uint8_t> bytes = ReadFile(saved);
    QVERIFY(std::search(bytes.begin(), bytes.end(), std::begin("Exif"), std::end("Exif") - 1) ==
            bytes.end());
    QVERIFY(bytes.size() < host.original.size());
    QVERIFY(ShowsSamePicture(host.picture, saved));
}

// The hex work file on a full disk: the rebuild after the command cannot be
// written, which is told, and the page goes on.
void AMarkerEditorPage::ShowsAFailedWriteOfACommandAndGoesOn() {
    CHostedPage& host = *m_host;
    std::filesystem::remove(host.work.m_strTempHexa);
    std::filesystem::create_symlink("/dev/full", host.work.m_strTempHexa);
    FindControl<QPushButton>(*host.page, IDC_REDRAW)->click();
    QTRY_COMPARE(m_messages.size(), size_t{1});
    host.List()->selectRow(0);
    host.KeyOnList(Qt::Key_Delete);
    QTRY_COMPARE(m_messages.size(), size_t{2});
    QVERIFY(host.page->isVisible());
}

// Three edits while the first answer is held back: each returns at once, the
// first answer (for a list no longer on show) is dropped, the second check is
// never run, and Next waits for the third answer before it decides.
void AMarkerEditorPage::EditsWhileChecksRunDropsOldAnswersAndNextWaits() {
    CHostedPage& host = *m_host;
    QWidget* icon = FindControl<QWidget>(*host.page, IDC_DECODES_ICON);
    QTRY_VERIFY(icon->isVisible());
    QSemaphore answered;
    QSemaphore held;
    SetEditorCheckAnsweredHook([&] {
        answered.release();
        held.acquire();
    });
    QSignalSpy answers(host.page->findChild<CEditorCheckRun*>(), &CEditorCheckRun::AnswerTaken);

    host.List()->selectRow(0);
    host.KeyOnList(Qt::Key_Delete);
    answered.acquire();
    host.KeyOnList(Qt::Key_Z, Qt::ControlModifier);
    host.List()->selectRow(0);
    host.KeyOnList(Qt::Key_Delete);
    QCOMPARE(host.List()->model()->rowCount(), 1);
    QVERIFY(!icon->isVisible());

    held.release();
    QVERIFY(answers.wait());
    QVERIFY(host.page->Editor().CheckPending());
    QVERIFY(!icon->isVisible());

    bool released = false;
    QTimer::singleShot(0, [&] {
        released = true;
        held.release();
    });
    host.wizard.next();
    SetEditorCheckAnsweredHook(nullptr);
    QVERIFY(released);
    QCOMPARE(answers.count(), 2);
    QVERIFY(host.questions.isEmpty());
    QVERIFY(host.wizard.currentPage() != host.page);
}

QTEST_MAIN(AMarkerEditorPage)
#include "KestrinFFTest.moc"
