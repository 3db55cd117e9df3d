#include <gtest/gtest.h>

#include <QSettings>
#include <memory>
#include <string>

#include "app/QtSettingsStore.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsValues.h"
#include "settings/SystemSettingsModel.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

enum class EStoreKind { Memory, Qt };

class ASettingsStore : public ::testing::TestWithParam<EStoreKind> {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.Path().string()));
        store = MakeStore();
    }
    std::unique_ptr<CSettingsStore> MakeStore() const {
        if (GetParam() == EStoreKind::Memory) {
            return std::make_unique<CMemorySettingsStore>();
        }
        return std::make_unique<CQtSettingsStore>();
    }

    CTempDir folder;
    std::unique_ptr<CSettingsStore> store;
};

TEST_P(ASettingsStore, GivesEveryDefaultWhenNothingIsStored) {
    EXPECT_EQ(store->Read(settings::kCpu), 1);
    EXPECT_EQ(store->Read(settings::kJoukyuuEdit), 0);
    EXPECT_EQ(store->Read(settings::kFfe0), 0);
    EXPECT_EQ(store->Read(settings::kExpChk), 0);
    EXPECT_EQ(store->Read(settings::kDelExif), 1);
    EXPECT_EQ(store->Read(settings::kDamage), 0);
    EXPECT_EQ(store->Read(settings::kFileName), "_kestrin100");
    EXPECT_EQ(store->Read(settings::kExifName), "_kestrin100");
    EXPECT_EQ(store->Read(settings::kSaveExif), 1);
    EXPECT_EQ(store->Read(settings::kOverwrite), 0);
    EXPECT_EQ(store->Read(settings::kFindPath), "");
    EXPECT_EQ(store->Read(settings::kWindowIcon), 0);
    EXPECT_EQ(store->Read(settings::kWindowMax), 0);
}

TEST_P(ASettingsStore, KeepsAStoredEmptyTextInsteadOfTheDefault) {
    store->Write(settings::kFileName, "");
    EXPECT_EQ(store->Read(settings::kFileName), "");
    EXPECT_EQ(store->Read(settings::kExifName), "_kestrin100");
}

TEST_P(ASettingsStore, ReadsBackWhatWasWritten) {
    store->Write(settings::kCpu, 2);
    store->Write(settings::kDelExif, 0);
    store->Write(settings::kExifName, "_バックアップ");
    store->Write(settings::kWindowRect, "0010 0020 0800 0600");
    EXPECT_EQ(store->Read(settings::kCpu), 2);
    EXPECT_EQ(store->Read(settings::kDelExif), 0);
    EXPECT_EQ(store->Read(settings::kExifName), "_バックアップ");
    EXPECT_EQ(store->Read(settings::kWindowRect), "0010 0020 0800 0600");
}

TEST_P(ASettingsStore, GivesTheDefaultForAnIntegerStoredAsOtherText) {
    store->WriteProfileString("Settings", "cpu", "fast");
    EXPECT_EQ(store->Read(settings::kCpu), 1);
    store->WriteProfileString("Settings", "cpu", "-2");
    EXPECT_EQ(store->Read(settings::kCpu), -2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ASettingsStore,
                         ::testing::Values(EStoreKind::Memory, EStoreKind::Qt),
                         [](const auto& info) {
                             return info.param == EStoreKind::Memory ? "Memory" : "Qt";
                         });

// The backup's name part is held to the output's rules: no other folder, no line break.
TEST(AResultNamePart, RefusesEveryCharacterThatNoFileNameMayHold) {
    CMemorySettingsStore store;
    for (const CTextSetting* setting : {&settings::kFileName, &settings::kExifName}) {
        for (const char* accepted : {"", "_kestrin100", "最適化済み 1.jpg"}) {
            EXPECT_FALSE(settings::WriteSettingText(store, setting, accepted));
            EXPECT_EQ(store.Read(*setting), accepted);
        }
        for (const char forbidden : std::string("\\/:,;*?\"<>|\n\r")) {
            const std::string name = std::string("_kes") + forbidden + "trin";
            EXPECT_TRUE(settings::WriteSettingText(store, setting, name)) << forbidden;
            EXPECT_NE(store.Read(*setting), name);
        }
    }
}

TEST(AQtSettingsStore, KeepsItsValuesAcrossInstancesUnderTheProgramsName) {
    CTempDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder.Path().string()));
    {
        CQtSettingsStore store;
        store.Write(settings::kOverwrite, 1);
        store.Write(settings::kWindowMax, 1);
        store.Sync();
    }
    EXPECT_EQ(CQtSettingsStore().Read(settings::kOverwrite), 1);
    const std::string stored = ReadTextFile(folder.File("marvoke/KestrinJPEG.conf"));
    EXPECT_NE(stored.find("[Settings]\noverwrite=1"), std::string::npos) << stored;
    EXPECT_NE(stored.find("[Window%20size]\nmax=1"), std::string::npos) << stored;
}

// The window and kestrin-cli settings hold a store each at the same time: the
// window sees what the command stored, and its settings sheet only writes
// what the user changed in it.
TEST(AQtSettingsStore, SeesAnotherProgramsChangesAndWritesOnlyWhatTheSheetChanged) {
    CTempDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder.Path().string()));
    CQtSettingsStore window;
    CSystemSettingsModel sheet;
    sheet.Load(window);
    CQtSettingsStore command;
    command.Write(settings::kExifName, "_cli");
    ASSERT_TRUE(command.Sync());
    EXPECT_EQ(window.Read(settings::kExifName), "_cli");

    sheet.Values().m_nOverwrite = 1;
    sheet.Save(window);
    ASSERT_TRUE(window.Sync());
    const CQtSettingsStore after;
    EXPECT_EQ(after.Read(settings::kExifName), "_cli");
    EXPECT_EQ(after.Read(settings::kOverwrite), 1);
}

}  // namespace
