// The Exif batch dialogs and the Exif display, reached through their menu
// commands in a running main window and fed real files.
#include <QDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/QuorvelApp.h"
#include "app/QuorvelDoc.h"
#include "app/ResourceIds.h"
#include "app/ui/MainFrame.h"
#include "app/ui/QuorvelView.h"
#include "exif/ExifBlock.h"
#include "exif/ui/ExifIds.h"
#include "tests/ui/UiTestSupport.h"

using namespace exif_ids;

class AnExifDialog : public QObject {
    Q_OBJECT

private:
    CWindowTestPlace m_place;

    std::string File(const std::string& name) const { return m_place.File(name); }

    std::string CameraPicture(const std::string& name) const {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        WriteFile(File(name), MakeJpeg(recipe));
        return File(name);
    }

    // A picture whose Exif block holds three short values in its first directory.
    std::string PictureWithThreeValues(const std::string& name) const {
        // Header, three entries (0112, 0128, 0213), no next directory; one
        // list, as GCC 12 at -O3 misreads appending to a short vector.
        const std::vector<uint8_t> tiff = {'I',  'I',  0x2A, 0, 8, 0, 0, 0, 3, 0,        //
                                           0x12, 0x01, 3,    0, 1, 0, 0, 0, 1, 0, 0, 0,  //
                                           0x28, 0x01, 3,    0, 1, 0, 0, 0, 1, 0, 0, 0,  //
                                           0x13, 0x02, 3,    0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
        WriteFile(File(name), MakeJpegWithTiff(tiff));
        return File(name);
    }

    std::unique_ptr<CQuorvelApp> Start(const QStringList& arguments = {"kestrin"}) {
        // Dictionary order differs from both orders of the names.
        WriteTextFile(File("exif_inf.pdt"),
                      "0112,Orientation,how the picture stands\r\n"
                      "0128,Unit,the unit of the resolution\r\n"
                      "9999,Absent,a tag no file here carries\r\n"
                      "0213,Bytes,where colour samples sit\r\n");
        return m_place.StartProgram(arguments);
    }

    // Runs the menu command and returns the batch dialog it shows.
    static QDialog* OpenBatchDialog(const CQuorvelApp& app, int command, int dialogId) {
        app.MainFrame().Action(command)->trigger();
        auto* dialog =
            app.MainFrame().View().findChild<QDialog*>(QStringLiteral("IDD_%1").arg(dialogId));
        return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
    }

    static QString LogOf(const QDialog& dialog) {
        return FindControl<QPlainTextEdit>(dialog, IDC_LOG)->toPlainText();
    }

    // The text of column in every row of the Exif display's list.
    static QStringList Column(const QTreeWidget& list, int column) {
        QStringList texts;
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            texts.append(list.topLevelItem(row)->text(column));
        }
        return texts;
    }

private slots:
    void init() { m_place.Renew(); }

    void cleanup() { m_place.Release(); }

    void commandsSitInTheMenuBar() {
        const auto app = Start();
        QVERIFY(app);
        for (const int id : {ID_BATCH_OPTIMISE, ID_BATCH_EXIF_BACKUP, ID_BATCH_EXIF_EMBED,
                             ID_BATCH_DATES, ID_EXIF_DISPLAY, ID_FILE_DATES}) {
            QAction* action = app->MainFrame().Action(id);
            QVERIFY(action != nullptr);
            bool inMenu = false;
            for (QAction* menu : app->MainFrame().menuBar()->actions()) {
                inMenu = inMenu || menu->menu()->actions().contains(action);
            }
            QVERIFY2(inMenu, qPrintable(action->text()));
        }
    }

    void backupLogsDropsInOrderKeepsItsContentsAndClearsOnlyTheLog() {
        const auto app = Start();
        QDialog* dialog = OpenBatchDialog(*app, ID_BATCH_EXIF_BACKUP, IDD_BATCH_EXIF_BACKUP);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("連続Exifﾊﾞｯｸｱｯﾌﾟ"));
        const std::vector<std::string> dropped = {CameraPicture("c.jpg"), CameraPicture("a.jpg"),
                                                  CameraPicture("b.jpg")};
        DropFiles(*dialog, {QString::fromStdString(dropped[0]), QString::fromStdString(dropped[1]),
                            QString::fromStdString(dropped[2])});
        const QString log = LogOf(*dialog);
        qsizetype last = -1;
        for (const std::string& path : dropped) {
            const QString saved = QString::fromStdString(path.substr(0, path.size() - 4)) +
                                  QStringLiteral("_kestrin100.exifへExif情報を保存しました。");
            const qsizetype at = log.indexOf(saved);
            QVERIFY2(at > last, qPrintable(log));
            last = at;
        }

        FindControl<QPushButton>(*dialog, IDCANCEL)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(OpenBatchDialog(*app, ID_BATCH_EXIF_BACKUP, IDD_BATCH_EXIF_BACKUP), dialog);
        QCOMPARE(LogOf(*dialog), log);

        FindControl<QPushButton>(*dialog, IDC_CLEAR_LOG)->click();
        QCOMPARE(LogOf(*dialog), QString());
        QVERIFY(dialog->isVisible());
        QVERIFY(std::filesystem::exists(File("a_kestrin100.exif")));
    }

    void embeddingPutsBackTheBlockTheBackupSaved() {
        const auto app = Start();
        const std::string camera = CameraPicture("e.jpg");
        DropFiles(*OpenBatchDialog(*app, ID_BATCH_EXIF_BACKUP, IDD_BATCH_EXIF_BACKUP),
                  {QString::fromStdString(camera)});
        // The picture lost its Exif block in another program.
        WriteFile(camera, CutExifSegment(ReadFile(camera))->remainder);

        QDialog* dialog = OpenBatchDialog(*app, ID_BATCH_EXIF_EMBED, IDD_BATCH_EXIF_EMBED);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("連続Exif情報埋め込み"));
        DropFiles(*dialog, {QString::fromStdString(camera)});
        QVERIFY2(LogOf(*dialog).endsWith(QStringLiteral("Exif情報の埋め込みに成功しました。\n\n")),
                 qPrintable(LogOf(*dialog)));
        QCOMPARE(app->Document().ExifEngine().ProbeExifFile(File("e_kestrin100.jpg")),
                 EExifResult::Done);
        QCOMPARE(OpenBatchDialog(*app, ID_BATCH_EXIF_EMBED, IDD_BATCH_EXIF_EMBED), dialog);
    }

    void exifDisplayListsTheValuesAndSortsBothWays() {
        const auto app =
            Start({"kestrin", QString::fromStdString(PictureWithThreeValues("cam.jpg"))});
        QStringList tags;
        QStringList data;
        QStringList firstClick;
        QStringList secondClick;
        QRect listPlace;
        QSize clientSize;
        QTimer inspect;
        inspect.setSingleShot(true);
        connect(&inspect, &QTimer::timeout, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || dialog->objectName() != QStringLiteral("IDD_209")) {
                return;
            }
            auto* list = FindControl<QTreeWidget>(*dialog, IDC_EXIF_LIST);
            tags = Column(*list, 0);
            data = Column(*list, 3);
            const QHeaderView* header = list->header();
            const QPoint nameHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
            firstClick = Column(*list, 1);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
            secondClick = Column(*list, 1);
            dialog->resize(500, 300);
            listPlace = list->geometry();
            clientSize = dialog->size();
            FindControl<QPushButton>(*dialog, exif_ids::IDOK)->click();
        });
        inspect.start(0);
        app->MainFrame().Action(ID_EXIF_DISPLAY)->trigger();
        QCOMPARE(tags, (QStringList{"0112", "0128", "0213"}));
        QVERIFY(!data.contains(QString()));
        QCOMPARE(firstClick, (QStringList{"Bytes", "Orientation", "Unit"}));
        QCOMPARE(secondClick, (QStringList{"Unit", "Orientation", "Bytes"}));
        QCOMPARE(listPlace, QRect(0, 40, clientSize.width(), clientSize.height() - 40));
        QVERIFY(m_place.messages.empty());
    }

    void exifDisplayRefusesWithoutAFileOrWithoutExif() {
        WriteFile(File("plain.jpg"), MakeJpeg(CJpegRecipe{}));
        for (const bool withFile : {false, true}) {
            m_place.messages.clear();
            const auto app =
                withFile ? Start({"kestrin", QString::fromStdString(File("plain.jpg"))}) : Start();
            bool dialogShown = false;
            // Closes a dialog that should not have stayed, so the test goes on.
            QTimer closer;
            closer.setSingleShot(true);
            connect(&closer, &QTimer::timeout, this, [&dialogShown] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    dialogShown = true;
                    dialog->close();
                }
            });
            closer.start(0);
            app->MainFrame().Action(ID_EXIF_DISPLAY)->trigger();
            QVERIFY(!dialogShown);
            QCOMPARE(m_place.messages,
                     std::vector<std::string>{withFile ? "Exif情報は検出されません"
                                                       : "ﾌｧｲﾙが開かれていません"});
        }
    }
};

QTEST_MAIN(AnExifDialog)
#include "ExifDialogsTest.moc"
