// The main window driven through its real widgets: opening, dropping,
// rendering, scrolling, enabling, copying and the stored placement.
#include <sys/stat.h>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTreeView>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/QuorvelApp.h"
#include "app/QuorvelDoc.h"
#include "app/ResourceIds.h"
#include "app/ui/MainFrame.h"
#include "app/ui/QuorvelView.h"
#include "tests/ui/UiTestSupport.h"

class AMainWindow : public QObject {
    Q_OBJECT

private:
    CWindowTestPlace m_place;

    std::string MakePicture(const std::string& name, int width, int height) const {
        const std::string path = m_place.File(name);
        WriteJpegOfSize(path, width, height);
        return path;
    }

    std::unique_ptr<CQuorvelApp> Start(const QStringList& arguments = {"kestrin"}) {
        return m_place.StartProgram(arguments);
    }

    static bool IsEnabled(const CQuorvelApp& app, int id) {
        return app.MainFrame().Action(id)->isEnabled();
    }

private slots:
    void init() { m_place.Renew(); }

    void cleanup() { m_place.Release(); }

    void showsTheFileNamedOnTheCommandLineAtOnce() {
        const std::string path = MakePicture("camera.jpg", 64, 48);
        const auto app = Start({"kestrin", QString::fromStdString(path)});
        QVERIFY(app);
        QCOMPARE(app->Document().PathName(), path);
        QCOMPARE(app->Document().Picture().m_nWidth, 64);
        QCOMPARE(app->Document().Picture().m_nHeight, 48);
        QVERIFY(app->MainFrame().isVisible());
        QVERIFY(app->MainFrame().View().HasOffscreenCopy());
        QVERIFY(app->MainFrame().windowTitle().startsWith(QStringLiteral("camera.jpg")));
        QCOMPARE(app->RecentFiles().Paths(), QStringList{QString::fromStdString(path)});
    }

    void opensOnlyTheFirstOfThreeDroppedFiles() {
        const std::string first = MakePicture("first.jpg", 40, 30);
        const std::string second = MakePicture("second.jpg", 50, 20);
        const std::string third = MakePicture("third.jpg", 60, 10);
        const auto app = Start();
        DropFiles(*app->MainFrame().View().viewport(),
                  {QString::fromStdString(first), QString::fromStdString(second),
                   QString::fromStdString(third)});
        QCOMPARE(app->Document().PathName(), first);
        QCOMPARE(app->Document().Picture().m_nWidth, 40);
        QCOMPARE(app->RecentFiles().Paths(), QStringList{QString::fromStdString(first)});
    }

    void reportsAFileThatDoesNotDecodeAndKeepsTheWindowAsItWas() {
        const std::string picture = MakePicture("picture.jpg", 40, 30);
        const std::string text = m_place.File("notes.jpg");
        WriteTextFile(text, "not a picture\n");
        const auto app = Start({"kestrin", QString::fromStdString(picture)});
        const QString title = app->MainFrame().windowTitle();

        QVERIFY(app->OpenDocumentFile(text));
        DropFiles(*app->MainFrame().View().viewport(), {QString::fromStdString(text)});

        const std::vector<std::string> expected(2, text + "\r\nﾌｧｲﾙを開けません");
        QCOMPARE(m_place.messages, expected);
        QCOMPARE(app->Document().PathName(), picture);
        QCOMPARE(app->MainFrame().windowTitle(), title);
        QCOMPARE(app->RecentFiles().Paths(), QStringList{QString::fromStdString(picture)});
        QVERIFY(IsEnabled(*app, ID_FILE_SAVE_AS_JPEG));
        QVERIFY(app->MainFrame().View().HasOffscreenCopy());
    }

    // A file cut in half, or with bytes between two segments, still opens,
    // but the decoder stepped over what is missing: the status bar says so.
    void saysInTheStatusBarWhenThePictureDataIsDamaged() {
        const std::string whole = MakePicture("whole.jpg", 320, 240);
        const std::vector<uint8_t> bytes = ReadFile(whole);
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
        std::vector<uint8_t> extraneous = bytes;
        const uint8_t scan[] = {0xFF, 0xDA};
        extraneous.insert(std::search(extraneous.begin(), extraneous.end(), scan, scan + 2),
                          {0x00, 0x00, 0x00});
        const auto app = Start({"kestrin", QString::fromStdString(whole)});
        const auto statusText = [&app] {
            QStringList texts;
            for (const QLabel* pane : app->MainFrame().statusBar()->findChildren<QLabel*>()) {
                texts << pane->text();
            }
            return texts.join(QLatin1Char(' '));
        };
        const QString damaged = QStringLiteral("JPEGﾃﾞｰﾀが破損しています");
        QVERIFY(!statusText().contains(damaged));
        for (const auto& [name, file] : {std::pair{"cut.jpg", cut}, {"extra.jpg", extraneous}}) {
            const std::string path = m_place.File(name);
            WriteFile(path, file);
            QVERIFY(app->OpenDocumentFile(path));
            QCOMPARE(app->Document().PathName(), path);
            QVERIFY2(statusText().contains(damaged), name);
        }
        QVERIFY(app->OpenDocumentFile(whole));
        QVERIFY(!statusText().contains(damaged));
    }

    void tellsWhenTheHelpCannotBeOpened() {
        // An opener that finds no browser, as on a desktop without one.
        const std::string bin = m_place.File("bin");
        QVERIFY(QDir().mkpath(QString::fromStdString(bin)));
        WriteTextFile(bin + "/xdg-open", "#!/bin/sh\nexit 3\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
        const auto app = Start();
        app->MainFrame().Action(ID_HELP_CONTENTS)->trigger();
        app->MainFrame().Action(ID_HOME_PAGE)->trigger();
        QTRY_COMPARE(m_place.messages.size(), size_t{2});
        qputenv("PATH", path);
        for (const std::string& message : m_place.messages) {
            QVERIFY(message.ends_with("index.html\r\nを開けません。ﾌﾞﾗｳｻﾞを起動できませんでした"));
        }
    }

    void f1OpensTheHelpAtThePartAboutTheWindowInFront() {
        // An opener that records what it was asked to open.
        const std::string bin = m_place.File("bin");
        const std::string opened = m_place.File("opened.txt");
        QVERIFY(QDir().mkpath(QString::fromStdString(bin)));
        WriteTextFile(bin + "/xdg-open", "#!/bin/sh\necho \"$1\" >> '" + opened + "'\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
        const auto app = Start();
        app->MainFrame().activateWindow();
        QTest::keyClick(&app->MainFrame(), Qt::Key_F1);
        app->MainFrame().Action(ID_BATCH_OPTIMISE)->trigger();
        QWidget* batch = nullptr;
        QTRY_VERIFY((batch = QApplication::activeWindow()) != &app->MainFrame() && batch);
        QTest::keyClick(batch, Qt::Key_F1);
        const auto urls = [&opened] {
            return QString::fromStdString(ReadTextFile(opened)).split('\n', Qt::SkipEmptyParts);
        };
        QTRY_COMPARE(urls().size(), 2);
        qputenv("PATH", path);
        QVERIFY(urls()[0].endsWith(QStringLiteral("index.html#contents")));
        QVERIFY(urls()[1].endsWith(QStringLiteral("index.html#batch-optimise")));
    }

    void startsTheFileDialogsAtThePictureOnShowWithTheirOwnFilters() {
        const std::string picture = MakePicture("picture.jpg", 40, 30);
        const auto app = Start({"kestrin", QString::fromStdString(picture)});
        const QString folder = QString::fromStdString(m_place.ProgramFolder()).chopped(1);
        struct CSeen {
            QString folder;
            QStringList filters;
            QStringList selected;
        };
        const auto inspectNextDialog = [](CSeen& seen) {
            QTimer::singleShot(0, [&seen] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seen = {dialog->directory().absolutePath(), dialog->nameFilters(),
                        dialog->selectedFiles()};
                dialog->reject();
            });
        };
        CSeen open;
        CSeen save;
        inspectNextDialog(open);
        app->MainFrame().Action(ID_FILE_OPEN)->trigger();
        inspectNextDialog(save);
        app->MainFrame().Action(ID_FILE_SAVE_AS_JPEG)->trigger();
        QCOMPARE(open.folder, folder);
        QCOMPARE(open.filters, (QStringList{"jpgﾌｧｲﾙ(*.jpg)", "全ﾌｧｲﾙ(*.*)"}));
        QCOMPARE(save.folder, folder);
        QCOMPARE(save.filters, (QStringList{"JPEGﾌｧｲﾙ(*.jpg)", "全ﾌｧｲﾙ(*.*)"}));
        QCOMPARE(save.selected, QStringList{QString::fromStdString(picture)});
    }

    void rendersRowsPaddedByTheWidthModFour_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rowBytes");
        QTest::newRow("400 wide") << 400 << 1200;
        QTest::newRow("401 wide") << 401 << 1204;
        QTest::newRow("403 wide") << 403 << 1212;
    }

    void rendersRowsPaddedByTheWidthModFour() {
        QFETCH(int, width);
        QFETCH(int, rowBytes);
        QCOMPARE(RenderRowBytes(width), rowBytes);
        CPackedPicture picture;
        picture.m_nWidth = width;
        picture.m_nHeight = 2;
        for (int i = 0; i < width * 2 * 3; ++i) {
            picture.m_pBits.push_back(static_cast<uint8_t>(i * 7));
        }
        const QImage image = PaddedPictureImage(picture);
        QCOMPARE(image.bytesPerLine(), rowBytes);
        const uint8_t* last = picture.m_pBits.data() + (width * 2 - 1) * 3;
        QCOMPARE(image.pixel(width - 1, 1), qRgb(last[2], last[1], last[0]));
    }

    void scrollsHalfAPageAndAFiftiethALine() {
        const std::string path = MakePicture("wide.jpg", 1000, 600);
        const auto app = Start({"kestrin", QString::fromStdString(path)});
        app->MainFrame().resize(500, 400);
        CQuorvelView& view = app->MainFrame().View();
        QCOMPARE(view.horizontalScrollBar()->pageStep(), 500);
        QCOMPARE(view.verticalScrollBar()->pageStep(), 300);
        QCOMPARE(view.horizontalScrollBar()->singleStep(), 20);
        QCOMPARE(view.verticalScrollBar()->singleStep(), 12);
        QCOMPARE(view.horizontalScrollBar()->maximum(), 1000 - view.viewport()->width());
    }

    void enablesCopySaveAsAndDatesOnlyForALoadedPicture() {
        const std::string thin = MakePicture("thin.jpg", 1, 40);
        const std::string normal = MakePicture("normal.jpg", 64, 48);
        const auto app = Start();
        const auto enabled = [&app](bool expected) {
            for (const int id : {ID_EDIT_COPY, ID_FILE_SAVE_AS_JPEG, ID_FILE_DATES}) {
                if (IsEnabled(*app, id) != expected) {
                    return false;
                }
            }
            return IsEnabled(*app, ID_BATCH_OPTIMISE) && IsEnabled(*app, ID_BATCH_DATES);
        };
        QVERIFY(enabled(false));
        QVERIFY(app->OpenDocumentFile(thin));
        QCOMPARE(app->Document().Picture().m_nHeight, 40);
        QVERIFY(enabled(false));
        QVERIFY(app->OpenDocumentFile(normal));
        QVERIFY(enabled(true));
    }

    void showsItsIconAndToolTipsWithoutTheMenuMnemonic() {
        const auto app = Start();
        QVERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(app->MainFrame().Action(ID_OPTIMISE_WIZARD)->toolTip(),
                 QStringLiteral("JPEG最適化ｳｨｻﾞｰﾄﾞ"));
        QCOMPARE(app->MainFrame().Action(ID_FILE_OPEN)->toolTip(), QStringLiteral("開く"));
        QCOMPARE(app->MainFrame().Action(ID_KEPT_HEADERS)->text(),
                 QStringLiteral("変更しないJPEGヘッダの設定(&J)"));
    }

    void showsTheFileDialogsColumnsUncut() {
        const std::string picture = MakePicture("a.jpg", 64, 48);
        const auto app = Start();
        QFileDialog dialog(nullptr, QString(), QString::fromStdString(m_place.File("")));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.show();
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
        for (int column = 1; column < view->header()->count(); ++column) {
            const QString text =
                view->model()->index(0, column, view->rootIndex()).data().toString();
            QVERIFY2(
                view->fontMetrics().horizontalAdvance(text) < view->header()->sectionSize(column),
                qPrintable(text));
        }
    }

    void copiesExactlyThePictureToTheClipboard() {
        const std::string path = MakePicture("odd.jpg", 37, 23);
        const auto app = Start({"kestrin", QString::fromStdString(path)});
        app->MainFrame().Action(ID_EDIT_COPY)->trigger();
        const QImage copied = QGuiApplication::clipboard()->image();
        const CPackedPicture& picture = app->Document().Picture();
        QCOMPARE(copied.size(), QSize(37, 23));
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) {
                const uint8_t* bgr = picture.m_pBits.data() + (y * 37 + x) * 3;
                QCOMPARE(copied.pixel(x, y), qRgb(bgr[2], bgr[1], bgr[0]));
            }
        }
        QVERIFY(m_place.messages.empty());
    }

    void savesAnExactCopyThatBecomesTheDocumentAndLeavesTheFileItselfAlone() {
        const std::string path = MakePicture("original.jpg", 64, 48);
        const std::string copy = m_place.File("copy.jpg");
        WriteTextFile(copy, "an older file of that name");
        const auto app = Start({"kestrin", QString::fromStdString(path)});
        QVERIFY(app->MainFrame().View().SaveCopyAs(copy));
        QCOMPARE(ReadFile(copy), ReadFile(path));
        QCOMPARE(app->Document().PathName(), copy);
        QCOMPARE(app->RecentFiles().Paths().first(), QString::fromStdString(copy));
        const auto inode = [](const std::string& file) {
            struct stat status {};
            ::stat(file.c_str(), &status);
            return status.st_ino;
        };
        const auto before = inode(copy);
        QVERIFY(app->MainFrame().View().SaveCopyAs(copy));
        QCOMPARE(inode(copy), before);
    }

    void restoresAndStoresThePlacementAsFourDigitNumbers() {
        QSettings("marvoke", "KestrinJPEG").setValue("Window size/Rect", "0100 0050 0600 0450");
        auto app = Start();
        QCOMPARE(app->MainFrame().geometry(), QRect(100, 50, 500, 400));
        app->MainFrame().setGeometry(120, 70, 640, 480);
        app->MainFrame().showMaximized();
        app.reset();
        QSettings stored("marvoke", "KestrinJPEG");
        QCOMPARE(stored.value("Window size/Rect").toString(),
                 QStringLiteral("0120 0070 0760 0550"));
        QCOMPARE(stored.value("Window size/max").toInt(), 1);
        QCOMPARE(stored.value("Window size/icon").toInt(), 0);
    }

    void opensWhollyOnTheScreenWhateverTheStoredRect_data() {
        QTest::addColumn<QString>("rect");
        QTest::newRow("on no screen") << "9000 9000 9800 9600";
        QTest::newRow("larger than the screen") << "0000 0000 3000 2000";
        QTest::newRow("partly off the screen") << "0700 0500 1100 0800";
    }

    void opensWhollyOnTheScreenWhateverTheStoredRect() {
        QFETCH(QString, rect);
        QSettings("marvoke", "KestrinJPEG").setValue("Window size/Rect", rect);
        const auto app = Start();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(app->MainFrame().frameGeometry()));
    }
};

QTEST_MAIN(AMainWindow)
#include "MainWindowTest.moc"
