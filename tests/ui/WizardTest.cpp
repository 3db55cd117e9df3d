// The wizard sheet, opened by its menu command in a running main window on
// real files: its pages, buttons and refusals, and what Finish leaves on disk.
#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>

#include "app/QuorvelApp.h"
#include "app/QuorvelDoc.h"
#include "app/ResourceIds.h"
#include "app/ui/KestrinProSeet.h"
#include "app/ui/MainFrame.h"
#include "editor/ui/KestrinFF.h"
#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "optimise/BatchOptimiser.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/SourceDir.h"
#include "tests/ui/UiTestSupport.h"
#include "widgets/ProgressDlg.h"
#include "widgets/SaveFileDialog.h"
#include "widgets/WizardCheckRun.h"
#include "widgets/YesNoQuestion.h"

namespace {

constexpr int kTimeoutMs = 120000;
const QString kBusy = QStringLiteral("計算中です！");

std::vector<uint8_t> CameraBytes() {
    CJpegRecipe recipe;
    recipe.exifWithThumbnail = true;
    recipe.comment = "Camera";
    return MakeJpeg(recipe);
}

template <typename Widget>
Widget& Control(const QWidget& root, int id) {
    Widget* control = FindControl<Widget>(root, id);
    if (control == nullptr) {
        throw std::runtime_error("no control " + std::to_string(id));
    }
    return *control;
}

QString PageName(const QWizard& sheet) {
    return sheet.currentPage() != nullptr ? sheet.currentPage()->objectName() : QString();
}

QString LogOf(const QWizard& sheet) {
    return Control<QPlainTextEdit>(*sheet.currentPage(), 1024).toPlainText();
}

// Answers the save dialogs with path, as if it had been typed.
void AnswerSaveDialog(const QString& path) {
    SetSaveFileNameHook([path] { return std::optional<std::string>(path.toStdString()); });
}

}  // namespace

class AWizardSheet : public QObject {
    Q_OBJECT

private:
    CWindowTestPlace m_place;
    // The sheet's result, once it closed.
    int m_nResult = -1;
    // Every yes-or-no question asked, with its default; each is answered with
    // its default unless m_bAnswerYes.
    std::vector<std::pair<QString, EDefaultAnswer>> m_questions;
    bool m_bAnswerYes = false;

    std::string File(const std::string& name) const { return m_place.File(name); }

    std::string Picture(const std::string& name, const std::vector<uint8_t>& bytes) const {
        WriteFile(File(name), bytes);
        return File(name);
    }

    std::unique_ptr<CQuorvelApp> Start(const std::string& path) {
        CKeptHeaderList kept;
        kept.ResetToDefaults(File("nok_code.pdt"));
        std::filesystem::copy_file(std::string(kSourceDir) + "/data/exif_inf.pdt",
                                   File("exif_inf.pdt"));
        return m_place.StartProgram({"kestrin", QString::fromStdString(path)});
    }

    // Opens the wizard with its command and runs drive on it; returns once
    // the sheet closed (closed without saving when drive left it open).
    bool RunWizard(const CQuorvelApp& app, const std::function<void(CKestrinProSeet&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* sheet = qobject_cast<CKestrinProSeet*>(QApplication::activeModalWidget());
            if (sheet == nullptr) {
                return;
            }
            driven = true;
            connect(sheet, &QDialog::finished, this, [this](int result) { m_nResult = result; });
            drive(*sheet);
            if (sheet->isVisible()) {
                // Also while a scan runs, which Cancel would refuse.
                sheet->done(QDialog::Rejected);
            }
        });
        m_nResult = -1;
        app.MainFrame().Action(ID_OPTIMISE_WIZARD)->trigger();
        return driven;
    }

    // Next from the introduction and from the selection page with choice.
    static void ChooseWizard(CKestrinProSeet& sheet, const char* choice) {
        sheet.next();
        sheet.findChild<QRadioButton*>(QString::fromLatin1(choice))->setChecked(true);
        sheet.next();
    }

    // The files of the program folder other than the work files.
    std::set<std::string> UserFiles() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(File(""))) {
            const std::string name = entry.path().filename().string();
            if (name != "tempdata.jpg" && name != "temphexa.pdt" && name != "exif_dat.pdt") {
                names.insert(name);
            }
        }
        return names;
    }

    static bool ScanEnded(const CKestrinProSeet& sheet) {
        return sheet.findChild<CProgressDlg*>() == nullptr;
    }

    static bool SamePicture(const std::string& a, const std::string& b) {
        CPackedPicture reference;
        return DecodeJpegToPacked(a, reference) && ShowsSamePicture(reference, b);
    }

private slots:
    void init() {
        m_place.Renew();
        m_questions.clear();
        m_bAnswerYes = false;
        SetYesNoHook([this](const QString& question, EDefaultAnswer byDefault) {
            m_questions.emplace_back(question, byDefault);
            return m_bAnswerYes || byDefault == EDefaultAnswer::Yes;
        });
    }
    void cleanup() {
        SetWizardCheckStartedHook(nullptr);
        SetSaveFileNameHook(nullptr);
        SetYesNoHook(nullptr);
        m_place.Release();
    }

    void isACommandOfTheMenuAndToolBarWhileAPictureIsShown() {
        const auto app = m_place.StartProgram();
        QAction* command = app->MainFrame().Action(ID_OPTIMISE_WIZARD);
        QCOMPARE(command->text(), QStringLiteral("JPEG最適化ｳｨｻﾞｰﾄﾞ(&H)"));
        QVERIFY(!command->statusTip().isEmpty());
        QVERIFY(!command->isEnabled());
        QVERIFY(app->MainFrame().findChild<QToolBar*>()->actions().contains(command));
        app->OpenDocumentFile(Picture("a.jpg", CameraBytes()));
        QVERIFY(command->isEnabled());
    }

    void optimisesTheDocumentAndSavesItUnderANewName() {
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        const std::string saved = File("saved.jpg");
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            QCOMPARE(sheet.windowTitle(), QStringLiteral("JPEGﾍｯﾀﾞｰ情報の編集"));
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_133"));
            sheet.next();
            QVERIFY(sheet.findChild<QRadioButton*>(QStringLiteral("IDC_1014"))->isChecked());
            // The chosen wizard's pages do not exist yet, and still Next leads on.
            QVERIFY(sheet.button(QWizard::NextButton)->isVisible());
            QVERIFY(!sheet.button(QWizard::FinishButton)->isVisible());
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_201"));
            QVERIFY(sheet.findChild<CProgressDlg*>() != nullptr);
            QVERIFY(!sheet.button(QWizard::BackButton)->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            QVERIFY(sheet.button(QWizard::NextButton)->isEnabled());
            QVERIFY(!sheet.button(QWizard::BackButton)->isEnabled());
            QVERIFY(LogOf(sheet).endsWith(QStringLiteral(
                "念のため、「修正結果を確認」のﾎﾞﾀﾝを押して、ｲﾒｰｼﾞの確認をおすすめします。\n")));
            QVERIFY(Control<QPushButton>(*sheet.currentPage(), 1048).isEnabled());
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            QVERIFY(sheet.button(QWizard::BackButton)->isEnabled());
            QVERIFY(!Control<QCheckBox>(*sheet.currentPage(), 1026).isChecked());
            for (const auto which :
                 {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton}) {
                QVERIFY(sheet.buttonText(which).contains(QLatin1Char('&')));
            }
            AnswerSaveDialog(QString::fromStdString(saved));
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Accepted));
        // What the saved file holds is the session's to prove.
        QCOMPARE(app->Document().PathName(), saved);
        QVERIFY(std::filesystem::exists(saved));
        QVERIFY(m_place.messages.empty());
    }

    void overwritesTheDocumentWhenTheBoxIsChecked() {
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            sheet.next();
            Control<QCheckBox>(*sheet.currentPage(), 1026).setChecked(true);
            sheet.button(QWizard::FinishButton)->click();
        }));
        // The check box chose the overwrite; its bytes and times are the
        // session's to prove.
        QCOMPARE(m_nResult, int(QDialog::Accepted));
        QVERIFY(ReadFile(path) != CameraBytes());
        QCOMPARE(app->Document().PathName(), path);
    }

    void offersNoExifBackupForAFileWithoutExif() {
        const auto app = Start(Picture("plain.jpg", MakeJpeg(CJpegRecipe{})));
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            QVERIFY(!Control<QPushButton>(*sheet.currentPage(), 1048).isEnabled());
            // A result that was not saved: Cancel asks, and "No" stays.
            sheet.reject();
            QVERIFY(sheet.isVisible());
            QCOMPARE(m_questions.size(), size_t{1});
        }));
    }

    // A plain picture asks nothing (above); a motion photo's video is named
    // before the run, and "Yes" keeps it in this run without storing it.
    void asksBeforeTheRunRemovesAMotionPhotosVideoAndKeepsItOnYes() {
        const CPhonePhoto motion = MakeMotionPhoto(MakeJpeg(CJpegRecipe{}));
        const auto app = Start(Picture("motion.jpg", motion.bytes));
        const std::string saved = File("saved.jpg");
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            QCOMPARE(m_questions.size(), size_t{1});
            QVERIFY(m_questions[0].first.startsWith(
                QStringLiteral("この写真にはﾓｰｼｮﾝﾌｫﾄの動画が含まれています。")));
            QCOMPARE(m_questions[0].second, EDefaultAnswer::Yes);
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            sheet.next();
            AnswerSaveDialog(QString::fromStdString(saved));
            sheet.button(QWizard::FinishButton)->click();
        }));
        const std::vector<uint8_t> video(motion.bytes.begin() + long(motion.primaryEnd),
                                         motion.bytes.end());
        const std::vector<uint8_t> result = ReadFile(saved);
        QVERIFY(result.size() > video.size());
        QVERIFY(std::equal(video.begin(), video.end(), result.end() - long(video.size())));
        QCOMPARE(app->Document().Settings().Read(settings::kKeepMotion), 0);
    }

    // The document's name taken by a folder: the overwrite fails, says why,
    // and the wizard stays open for a save under a new name.
    void aFailedOverwriteSaysWhyAndKeepsTheWizardOpen() {
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            sheet.next();
            std::filesystem::remove(path);
            std::filesystem::create_directories(path + "/inside");
            Control<QCheckBox>(*sheet.currentPage(), 1026).setChecked(true);
            sheet.button(QWizard::FinishButton)->click();
            QVERIFY(sheet.isVisible());
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            QCOMPARE(m_place.messages.size(), size_t{1});
        }));
        QVERIFY(std::filesystem::is_directory(path + "/inside"));
    }

    void aRefusedExifRemovalOnlyEndsTheWizard() {
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        app->Document().Settings().Write(settings::kDelExif, 0);
        const std::set<std::string> before = UserFiles();
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            QVERIFY(ScanEnded(sheet));
            QVERIFY(LogOf(sheet).endsWith(QStringLiteral(
                "Exif情報を見つけました!\nｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。"
                "終了します。\n")));
            QVERIFY(!sheet.button(QWizard::NextButton)->isVisible());
            QVERIFY(!sheet.button(QWizard::BackButton)->isEnabled());
            QCOMPARE(sheet.button(QWizard::FinishButton)->text(), QStringLiteral("ｳｨｻﾞｰﾄﾞを中止"));
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Rejected));
        QCOMPARE(ReadFile(path), CameraBytes());
        QCOMPARE(UserFiles(), before);
    }

    // A file whose scan takes long enough to be interrupted.
    static std::vector<uint8_t> SlowToScan() {
        std::vector<uint8_t> bytes = MakeJpeg(CJpegRecipe());
        std::vector<uint8_t> comment = {0xFF, 0xFE, 0xFF, 0xFF};
        comment.resize(2 + 0xFFFF, 'k');
        std::vector<uint8_t> comments;
        for (int i = 0; i < 800; ++i) {
            comments.insert(comments.end(), comment.begin(), comment.end());
        }
        bytes.insert(bytes.begin() + 2, comments.begin(), comments.end());
        return bytes;
    }

    void refusesToBeInterruptedWhileScanningAndCanOnlyEndAfterACancel() {
        const std::vector<uint8_t> bytes = SlowToScan();
        const std::string path = Picture("large.jpg", bytes);
        const auto app = Start(path);
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014");
            auto* progress = sheet.findChild<CProgressDlg*>();
            QVERIFY(progress != nullptr);
            sheet.next();
            sheet.reject();
            Control<QPushButton>(*sheet.currentPage(), 1015).click();
            QCOMPARE(m_place.messages, std::vector<std::string>(3, kBusy.toStdString()));
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_201"));
            Control<QPushButton>(*progress, 2).click();
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            QCOMPARE(LogOf(sheet),
                     QStringLiteral("ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました..."));
            QVERIFY(!sheet.button(QWizard::NextButton)->isEnabled());
            QVERIFY(!sheet.button(QWizard::BackButton)->isEnabled());
            sheet.reject();
            QVERIFY(!sheet.isVisible());
        }));
        QCOMPARE(m_nResult, int(QDialog::Rejected));
        QCOMPARE(ReadFile(path), bytes);
    }

    // Each of the three checks held on its thread: Next, Cancel, Esc and the
    // close box are refused while it runs, and a sheet closed meanwhile asks,
    // scans and tells nothing more once it ended, and leaves nothing behind.
    void closingDuringACheckLeavesNothingBehind_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("held");
        QTest::newRow("the Exif cut's") << QStringLiteral("IDC_1014") << 1;
        QTest::newRow("the optimisation's") << QStringLiteral("IDC_1014") << 2;
        QTest::newRow("the embedding's") << QStringLiteral("IDC_1014_1") << 3;
    }
    void closingDuringACheckLeavesNothingBehind() {
        QFETCH(QString, choice);
        QFETCH(int, held);
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        const std::set<std::string> before = UserFiles();
        int checks = 0;
        QSemaphore started;
        QSemaphore released;
        SetWizardCheckStartedHook([&] {
            if (++checks == held) {
                started.release();
                released.acquire();
            }
        });
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            QTimer during;
            connect(&during, &QTimer::timeout, [&] {
                if (!started.tryAcquire()) {
                    return;
                }
                during.stop();
                sheet.next();
                sheet.reject();
                QTest::keyClick(&sheet, Qt::Key_Escape);
                sheet.close();
                QVERIFY(sheet.isVisible());
                sheet.done(QDialog::Rejected);
                released.release();
            });
            during.start(1);
            ChooseWizard(sheet, choice.toLatin1().constData());
            if (held == 3) {
                QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
                std::filesystem::copy_file(File("exif_dat.pdt"), File("a.exif"));
                sheet.next();
                Control<QLineEdit>(*sheet.currentPage(), 1049)
                    .setText(QString::fromStdString(File("a.exif")));
                sheet.next();
                std::filesystem::remove(File("a.exif"));
            }
            QTRY_VERIFY_WITH_TIMEOUT(!sheet.isVisible(), kTimeoutMs);
            QVERIFY(sheet.findChild<CProgressDlg*>() == nullptr);
        }));
        QCOMPARE(checks, held);
        QCOMPARE(m_nResult, int(QDialog::Rejected));
        QCOMPARE(m_place.messages, std::vector<std::string>(4, kBusy.toStdString()));
        QVERIFY(m_questions.empty());
        QCOMPARE(ReadFile(path), CameraBytes());
        QCOMPARE(UserFiles(), before);
    }

    void choosingAgainReplacesThePagesOfTheEarlierChoiceInASheetOfOneSize() {
        const auto app = Start(Picture("a.jpg", CameraBytes()));
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            const QSize size = sheet.size();
            ChooseWizard(sheet, "IDC_1014_1");
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_206"));
            QCOMPARE(sheet.pageIds().size(), 6);
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            QCOMPARE(sheet.size(), size);
            sheet.button(QWizard::BackButton)->click();
            sheet.findChild<QRadioButton*>(QStringLiteral("IDC_1014"))->setChecked(true);
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_201"));
            QCOMPARE(sheet.pageIds().size(), 4);
            QCOMPARE(sheet.size(), size);
        }));
    }

    // Finish's caption follows the session: the run stops once every segment
    // is deleted, and saves again after Back and an undo brought them back.
    void theFinishCaptionFollowsTheEditorsList() {
        const auto app = Start(Picture("a.jpg", MakeJpeg(CJpegRecipe{})));
        app->Document().Settings().Write(settings::kJoukyuuEdit, 1);
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            auto* page = sheet.findChild<CKestrinFF*>();
            m_bAnswerYes = true;
            Control<QCheckBox>(*page, 1019).setChecked(true);
            auto& list = Control<QTableView>(*page, 1010);
            while (list.model()->rowCount() > 0) {
                list.selectRow(0);
                Control<QPushButton>(*page, 1016).click();
            }
            sheet.next();
            QCOMPARE(sheet.button(QWizard::FinishButton)->text(), QStringLiteral("ｳｨｻﾞｰﾄﾞを中止"));
            sheet.back();
            Control<QPushButton>(*page, 1021).click();
            sheet.next();
            QCOMPARE(sheet.button(QWizard::FinishButton)->text(), QStringLiteral("完了(&F)"));
        }));
    }

    void embedsABackedUpExifBlockIntoTheStrippedFile() {
        const std::string original = Picture("cam.jpg", CameraBytes());
        CMemorySettingsStore settings;
        const std::vector<std::string> kept = DefaultKeptHeaderCodes();
        std::filesystem::create_directory(File("work"));
        const CWorkFiles work = MakeWorkFiles(File("work/"), File("work/"));
        CBatchOptimiser batch(work, settings, kept);
        batch.Drop({original});
        batch.RunQueue();
        const auto app = Start(File("cam_kestrin100.jpg"));
        const std::string noBlock = Picture("plain.exif", MakeJpeg(CJpegRecipe{}));
        std::vector<uint8_t> damaged = ReadFile(File("cam_kestrin100.exif"));
        damaged.insert(damaged.end(), {0xFF, 0xD9});
        const std::string damagedPath = Picture("damaged.exif", damaged);
        const std::string saved = File("back.jpg");
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_1");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_205"));
            QVERIFY(!sheet.button(QWizard::NextButton)->isEnabled());
            auto& edit = Control<QLineEdit>(*sheet.currentPage(), 1049);
            for (const std::string& bad : {noBlock, damagedPath}) {
                edit.setText(QString::fromStdString(bad));
                sheet.next();
                QCOMPARE(PageName(sheet), QStringLiteral("IDD_205"));
            }
            QCOMPARE(m_place.messages.size(), size_t{2});
            QVERIFY(m_place.messages[0].starts_with("このﾌｧｲﾙにはExif情報が検出されません。"));
            QVERIFY(m_place.messages[1].find("Exif情報ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙが不正だと考えられます。") !=
                    std::string::npos);
            edit.setText(QString::fromStdString(File("cam_kestrin100.exif")));
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_142"));
            auto& list = Control<QTreeWidget>(*sheet.currentPage(), 1046);
            QCOMPARE(list.headerItem()->text(0), QStringLiteral("EXIFﾀｸﾞ"));
            QVERIFY(list.topLevelItemCount() > 0);
            sheet.next();
            AnswerSaveDialog(QString::fromStdString(saved));
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Accepted));
        QCOMPARE(app->Document().ExifEngine().ProbeExifFile(saved), EExifResult::Done);
    }

    void theExpertEditorSavesTheFileWithoutTheRowItDeleted() {
        CJpegRecipe camera;
        camera.jfif = false;
        camera.exifWithThumbnail = true;
        const std::vector<uint8_t> original = MakeJpeg(camera);
        const std::string path = Picture("a.jpg", original);
        const auto app = Start(path);
        const std::string saved = File("saved.jpg");
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_137"));
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            auto& list = Control<QTableView>(*sheet.currentPage(), 1010);
            // Grown for the editor's page, which is taller than the earlier ones.
            QVERIFY(sheet.height() >= sheet.sizeHint().height());
            QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("FFE1"));
            QTest::keyClick(&list, Qt::Key_Down);
            QTest::keyClick(&list, Qt::Key_Delete);
            QVERIFY(list.model()->index(0, 0).data().toString() != QStringLiteral("FFE1"));
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            AnswerSaveDialog(QString::fromStdString(saved));
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Accepted));
        QCOMPARE(app->Document().PathName(), saved);
        QCOMPARE(app->Document().ExifEngine().ProbeExifFile(saved), EExifResult::NotFound);
        QVERIFY(SamePicture(path, saved));
        QCOMPARE(ReadFile(path), original);
    }

    void theExpertEditorRefusesCancelWhileItsScanRuns() {
        const std::string path = Picture("large.jpg", SlowToScan());
        const auto app = Start(path);
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            auto* progress = sheet.findChild<CProgressDlg*>();
            QVERIFY(progress != nullptr);
            sheet.reject();
            QVERIFY(sheet.isVisible());
            QCOMPARE(m_place.messages, std::vector<std::string>{kBusy.toStdString()});
            Control<QPushButton>(*progress, 2).click();
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            sheet.reject();
            QVERIFY(!sheet.isVisible());
        }));
        QCOMPARE(m_place.messages.back(), "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました");
    }

    // A work copy that cannot be made is told as such, not as a picture that
    // no longer shows; with no list to save the run can only end.
    void theExpertEditorWithoutACopyTellsSoAndOnlyEnds() {
        const std::string path = Picture("a.jpg", CameraBytes());
        const auto app = Start(path);
        std::filesystem::remove(path);
        const std::set<std::string> before = UserFiles();
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            QVERIFY(ScanEnded(sheet));
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            QCOMPARE(sheet.button(QWizard::FinishButton)->text(), QStringLiteral("ｳｨｻﾞｰﾄﾞを中止"));
            Control<QCheckBox>(*sheet.currentPage(), 1026).setChecked(true);
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Rejected));
        QCOMPARE(m_place.messages.size(), size_t{1});
        QVERIFY(m_place.messages[0].find("のｺﾋﾟｰを作成できませんでした。") != std::string::npos);
        QVERIFY(m_questions.empty());
        QVERIFY(!std::filesystem::exists(path));
        QCOMPARE(UserFiles(), before);
    }

    // Advanced editing deletes a quantization table: the result shows no
    // picture. The default answer of every question keeps the photo; the
    // broken file is written only under a new name, on purpose.
    void aResultThatShowsNoPictureNeverReplacesThePhotoByDefault() {
        const std::vector<uint8_t> original = CameraBytes();
        const std::string path = Picture("a.jpg", original);
        const auto app = Start(path);
        app->Document().Settings().Write(settings::kJoukyuuEdit, 1);
        const std::string saved = File("broken.jpg");
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            QWizardPage& editor = *sheet.currentPage();
            Control<QCheckBox>(editor, 1019).setChecked(true);
            auto& list = Control<QTableView>(editor, 1010);
            const QModelIndexList tables = list.model()->match(
                list.model()->index(0, 0), Qt::DisplayRole, QStringLiteral("FFDB"));
            QVERIFY(!tables.isEmpty());
            list.selectRow(tables.first().row());
            Control<QPushButton>(editor, 1016).click();
            sheet.next();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_137"));
            m_bAnswerYes = true;
            sheet.next();
            m_bAnswerYes = false;
            QWizardPage& finish = *sheet.currentPage();
            QCOMPARE(finish.objectName(), QStringLiteral("IDD_138"));
            QVERIFY(finish.findChild<QLabel*>(QStringLiteral("labelBroken"))->isVisible());
            QVERIFY(!finish.findChild<QLabel*>(QStringLiteral("labelQuality"))->isVisible());
            auto& overwrite = Control<QCheckBox>(finish, 1026);
            QVERIFY(!overwrite.isChecked());
            overwrite.setChecked(true);
            sheet.button(QWizard::FinishButton)->click();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            overwrite.setChecked(false);
            AnswerSaveDialog(QString::fromStdString(path));
            sheet.button(QWizard::FinishButton)->click();
            QCOMPARE(PageName(sheet), QStringLiteral("IDD_138"));
            AnswerSaveDialog(QString::fromStdString(saved));
            sheet.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(m_nResult, int(QDialog::Accepted));
        QCOMPARE(ReadFile(path), original);
        QVERIFY(std::filesystem::file_size(saved) > 0);
        QCOMPARE(m_questions.size(), size_t{4});
        for (const auto& [question, byDefault] : m_questions) {
            QCOMPARE(int(byDefault), int(EDefaultAnswer::No));
        }
    }

    // Esc, Cancel and the close box after an edit each ask first, and "No"
    // stays; Esc that only closed a menu, or repeats from it, asks nothing.
    void leavingAfterAnEditAsksFirst() {
        const auto app = Start(Picture("a.jpg", CameraBytes()));
        QVERIFY(RunWizard(*app, [&](CKestrinProSeet& sheet) {
            ChooseWizard(sheet, "IDC_1014_2");
            QTRY_VERIFY_WITH_TIMEOUT(ScanEnded(sheet), kTimeoutMs);
            auto& list = Control<QTableView>(*sheet.currentPage(), 1010);
            QTimer::singleShot(
                0, [] { QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape); });
            emit list.customContextMenuRequested(QPoint(4, 4));
            QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&sheet, &repeated);
            QVERIFY(sheet.isVisible());
            QVERIFY(m_questions.empty());

            list.selectRow(0);
            Control<QPushButton>(*sheet.currentPage(), 1016).click();
            const std::function<void()> ways[] = {
                [&sheet] { QTest::keyClick(&sheet, Qt::Key_Escape); },
                [&sheet] { sheet.button(QWizard::CancelButton)->click(); },
                [&sheet] { sheet.close(); },
            };
            for (const auto& leave : ways) {
                leave();
                QVERIFY(sheet.isVisible());
            }
            QCOMPARE(m_questions.size(), size_t{3});
            m_bAnswerYes = true;
            sheet.close();
            QVERIFY(!sheet.isVisible());
        }));
        QCOMPARE(m_nResult, int(QDialog::Rejected));
    }
};

QTEST_MAIN(AWizardSheet)
#include "WizardTest.moc"
