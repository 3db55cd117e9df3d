// The sample-layout dialog: its menu command, and the wiring of its buttons to
// the conversion with the file-open dialogs answered by the test.
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <deque>
#include <filesystem>

#include "app/QuorvelApp.h"
#include "app/ResourceIds.h"
#include "app/ui/MainFrame.h"
#include "exif/ExifEngine.h"
#include "exif/ui/ExifIds.h"
#include "exif/ui/SampleConvertDlg.h"
#include "imaging/ImageBuffer.h"
#include "tests/support/SourceDir.h"
#include "tests/ui/UiTestSupport.h"

using namespace exif_ids;

class ASampleConvertDialog : public QObject {
    Q_OBJECT

private:
    CWindowTestPlace m_place;

    std::string Picture(const std::string& name, bool withExif) const {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = withExif;
        WriteFile(m_place.File(name), MakeJpeg(recipe));
        return m_place.File(name);
    }

    static QStringList Rows(const QTreeWidget& list) {
        QStringList rows;
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            rows.append(list.topLevelItem(row)->text(0));
        }
        return rows;
    }

    static QList<bool> ConvertButtonStates(const QWidget& dialog) {
        QList<bool> states;
        for (const int id : {IDC_LOAD_SAMPLE, IDC_REGISTER, IDC_UNREGISTER, IDC_CONVERT}) {
            states.append(FindControl<QPushButton>(dialog, id)->isEnabled());
        }
        return states;
    }

private slots:
    void init() { m_place.Renew(); }

    void cleanup() { m_place.Release(); }

    void opensModallyFromTheToolsMenuWithItsStartingStates() {
        const auto app = m_place.StartProgram();
        QVERIFY(app);
        QAction* command = app->MainFrame().Action(ID_SAMPLE_LAYOUT);
        QCOMPARE(command->text(), QStringLiteral("特殊JPEG画像に加工(&M)"));
        QVERIFY(!command->statusTip().isEmpty());
        QMenu* tools = nullptr;
        for (QAction* menu : app->MainFrame().menuBar()->actions()) {
            if (menu->text() == QStringLiteral("ﾂｰﾙ(&T)")) {
                tools = menu->menu();
            }
        }
        QVERIFY(tools);
        QCOMPARE(tools->actions().first(), command);

        QString title;
        QList<bool> states;
        QString header;
        int columnWidth = 0;
        QTimer inspect;
        inspect.setSingleShot(true);
        connect(&inspect, &QTimer::timeout, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || dialog->objectName() != QStringLiteral("IDD_150")) {
                return;
            }
            title = dialog->windowTitle();
            states = ConvertButtonStates(*dialog);
            const auto* list = FindControl<QTreeWidget>(*dialog, IDC_SAMPLE_FILES);
            header = list->headerItem()->text(0);
            columnWidth = list->columnWidth(0);
            FindControl<QPushButton>(*dialog, exif_ids::IDOK)->click();
        });
        inspect.start(0);
        command->trigger();
        QCOMPARE(title, QStringLiteral("指定した画像を元にJPEG画像を加工します"));
        QCOMPARE(states, (QList<bool>{true, false, false, false}));
        QCOMPARE(header, QStringLiteral("変換画像"));
        QCOMPARE(columnWidth, 160);
    }

    void takesTheSampleDroppedOnItsAreaAndRegistersWhatIsDroppedElsewhere() {
        const CWorkFiles work = MakeWorkFiles(m_place.ProgramFolder(), m_place.ProgramFolder());
        CExifEngine engine(std::string(kSourceDir) + "/data/exif_inf.pdt", "");
        CSampleConvertDlg dialog(work, engine);
        dialog.show();
        const QString sample = QString::fromStdString(Picture("camera.jpg", true));
        DropFiles(dialog, {sample}, QPoint(10 + 160, 30 + 160));
        QVERIFY(dialog.Conversion().HasSampleExif());
        QVERIFY(dialog.Conversion().RegisteredFiles().empty());
        std::filesystem::create_directory(m_place.File("folder"));
        Picture("folder/b.jpg", false);
        auto* list = FindControl<QTreeWidget>(dialog, IDC_SAMPLE_FILES);
        DropFiles(dialog,
                  {QString::fromStdString(Picture("a.jpg", false)),
                   QString::fromStdString(m_place.File("folder"))},
                  list->geometry().center());
        QCOMPARE(Rows(*list), (QStringList{"a.jpg", "b.jpg"}));
    }

    void loadsRegistersRemovesAndConvertsWithAMessageForEachStep() {
        std::vector<std::string> messages;
        SetMessageSink([&messages](const std::string& text) { messages.push_back(text); });
        const CWorkFiles work = MakeWorkFiles(m_place.ProgramFolder(), m_place.ProgramFolder());
        CExifEngine engine(std::string(kSourceDir) + "/data/exif_inf.pdt", "");
        CSampleConvertDlg dialog(work, engine);
        std::deque<QStringList> answers;
        dialog.SetFileChooser([&answers](QWidget*, const QString&, bool) {
            QStringList answer = answers.front();
            answers.pop_front();
            return answer;
        });
        dialog.show();
        auto click = [&](int id) { FindControl<QPushButton>(dialog, id)->click(); };
        auto choose = [&](int id, const QStringList& answer) {
            answers.push_back(answer);
            click(id);
        };
        auto path = [](const std::string& file) { return QString::fromStdString(file); };
        const QPoint inSample(10 + 160, 30 + 160);
        QCOMPARE(dialog.grab().toImage().pixelColor(inSample), QColor(Qt::white));

        choose(IDC_LOAD_SAMPLE, {path(Picture("plain.jpg", false))});
        QCOMPARE(messages, (std::vector<std::string>{"Exif情報が見つかりません"}));
        QCOMPARE(ConvertButtonStates(dialog), (QList<bool>{true, false, false, false}));
        WriteFile(m_place.File("bare.jpg"),
                  MakeJpegWithTiff({'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        choose(IDC_LOAD_SAMPLE, {path(m_place.File("bare.jpg"))});
        QCOMPARE(messages.back(), std::string("見本のExif情報に使えるｻﾑﾈｲﾙがありません"));
        QCOMPARE(ConvertButtonStates(dialog), (QList<bool>{true, false, false, false}));
        choose(IDC_LOAD_SAMPLE, {path(Picture("camera.jpg", true))});
        choose(IDC_LOAD_SAMPLE, {});  // Cancel keeps the sample
        QCOMPARE(ConvertButtonStates(dialog), (QList<bool>{true, true, true, true}));
        const uint32_t shown = GetPixel(dialog.Conversion().SamplePreview(), 160, 319 - 160);
        QCOMPARE(dialog.grab().toImage().pixelColor(inSample),
                 QColor(shown & 0xFF, shown >> 8 & 0xFF, shown >> 16 & 0xFF));

        const std::string kept = Picture("b.jpg", false);
        choose(IDC_REGISTER,
               {path(Picture("a.jpg", false)), path(kept), path(Picture("c.jpg", false))});
        choose(IDC_REGISTER, {path(kept)});
        QCOMPARE(messages.back(), kept + "は登録済みです");
        auto* list = FindControl<QTreeWidget>(dialog, IDC_SAMPLE_FILES);
        QCOMPARE(Rows(*list), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        click(IDC_UNREGISTER);
        QCOMPARE(Rows(*list), QStringList{"b.jpg"});
        QCOMPARE(dialog.Conversion().RegisteredFiles(), std::vector<std::string>{kept});

        WriteTextFile(m_place.File("broken.jpg"), "not a picture");
        choose(IDC_REGISTER, {path(m_place.File("broken.jpg"))});
        click(IDC_CONVERT);
        QVERIFY2(
            QString::fromStdString(messages.back())
                .startsWith(QStringLiteral("2個のﾌｧｲﾙのうち1個を変換しました。\r\nbroken.jpg：")),
            messages.back().c_str());
        QCOMPARE(engine.ProbeExifFile(kept), EExifResult::Done);
        QCOMPARE(Rows(*list), (QStringList{"b.jpg", "broken.jpg"}));
        QVERIFY(answers.empty());
        SetMessageSink({});
    }
};

QTEST_MAIN(ASampleConvertDialog)
#include "SampleConvertDlgTest.moc"
