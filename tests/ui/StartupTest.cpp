// Start-up and exit of the window program in a program folder of its own:
// first-run defaults, the work files, and two windows sharing one folder.
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/QtSettingsStore.h"
#include "app/QtTranslation.h"
#include "app/QuorvelApp.h"
#include "app/QuorvelDoc.h"
#include "tests/ui/UiTestSupport.h"

namespace fs = std::filesystem;

class AProgramFolder : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CTestSettingsLocation> m_settings;
    std::unique_ptr<CTempDir> m_folder;

    std::string ProgramFolder() const { return m_folder->Path().string() + "/"; }

    std::unique_ptr<CQuorvelApp> Start() const {
        auto app = std::make_unique<CQuorvelApp>(PlacesBesidePrograms(ProgramFolder()));
        return app->InitInstance({"kestrin"}) ? std::move(app) : nullptr;
    }

private slots:
    void init() {
        m_settings = std::make_unique<CTestSettingsLocation>();
        m_folder = std::make_unique<CTempDir>();
    }

    void cleanup() {
        m_folder.reset();
        m_settings.reset();
    }

    void readsEveryDefaultAndCreatesAnEmptyKeptListOnFirstRun() {
        const auto app = Start();
        QVERIFY(app);
        const CQtSettingsStore store;
        for (const settings::AnySetting& setting : settings::kAllSettings) {
            std::visit(
                [&store](const auto* s) {
                    QCOMPARE(store.Read(*s), decltype(store.Read(*s))(s->defaultValue));
                },
                setting);
        }
        const fs::path list = m_folder->Path() / "nok_code.pdt";
        QVERIFY(fs::exists(list));
        QCOMPARE(fs::file_size(list), uintmax_t{0});
    }

    // A folder standing as the settings file (a pipe alike) is named once, and
    // the window starts with the defaults.
    void warnsOnceOfASettingsFileThatIsNotARegularFile() {
        const CTempDir config;
        const std::string settingsFile = config.File("marvoke/KestrinJPEG.conf");
        fs::create_directories(settingsFile);
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        std::vector<std::string> messages;
        bool started = false;
        {
            CQuorvelApp app(PlacesBesidePrograms(ProgramFolder()));
            SetMessageSink([&messages](const std::string& text) { messages.push_back(text); });
            started = app.InitInstance({"kestrin"});
        }
        if (previous.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", previous);
        }
        QVERIFY(started);
        QCOMPARE(messages.size(), size_t{1});
        QVERIFY(messages[0].starts_with(settingsFile + "は通常のﾌｧｲﾙではありません。"));
        QVERIFY(messages[0].find("初期値") != std::string::npos);
    }

    void leavesOnlyTheListFilesWhenTheDocumentIsDestroyed() {
        auto app = Start();
        const CWorkFiles files = app->Document().WorkFiles();
        QCOMPARE(fs::path(files.m_strTempData).parent_path(), m_folder->Path());
        for (const std::string& path :
             {files.m_strTempData, files.m_strTempHexa, files.m_strExifDat, files.m_strExifInf}) {
            WriteTextFile(path, "x");
        }
        app.reset();
        QVERIFY(!fs::exists(files.m_strTempData));
        QVERIFY(!fs::exists(files.m_strTempHexa));
        QVERIFY(!fs::exists(files.m_strExifDat));
        QVERIFY(fs::exists(files.m_strNokCode));
        QVERIFY(fs::exists(files.m_strExifInf));
    }

    void givesASecondWindowPrivateScratchFilesRemovedAtItsExit() {
        const auto first = Start();
        auto second = Start();
        const CWorkFiles mine = first->Document().WorkFiles();
        const CWorkFiles theirs = second->Document().WorkFiles();
        const fs::path privateFolder = fs::path(theirs.m_strTempData).parent_path();
        QCOMPARE(fs::path(mine.m_strTempData).parent_path(), m_folder->Path());
        QVERIFY(privateFolder != m_folder->Path());
        QVERIFY(privateFolder.filename().string().starts_with(
            "kestrin-" + std::to_string(QCoreApplication::applicationPid()) + "-"));
        QVERIFY(fs::is_directory(privateFolder));
        QCOMPARE(fs::path(theirs.m_strTempHexa).parent_path(), privateFolder);
        QCOMPARE(fs::path(theirs.m_strExifDat).parent_path(), privateFolder);
        QCOMPARE(theirs.m_strNokCode, mine.m_strNokCode);
        WriteTextFile(theirs.m_strTempData, "x");
        second.reset();
        QVERIFY(!fs::exists(privateFolder));
    }

    // Last: the translation stays installed for the rest of the process.
    void speaksJapaneseInQtsOwnButtonsWhereTheTranslationIsInstalled() {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(folder + QStringLiteral("/qtbase_ja.qm"))) {
            QVERIFY(!InstallJapaneseQtTranslation(*QCoreApplication::instance()));
            QSKIP("Qt's Japanese translation is not installed");
        }
        QVERIFY(InstallJapaneseQtTranslation(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }
};

QTEST_MAIN(AProgramFolder)
#include "StartupTest.moc"
