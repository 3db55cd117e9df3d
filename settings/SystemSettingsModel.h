// The values of the system settings sheet while it is open: the ten user
// settings and the three that keep parts of today's phone photos, the
// defaults each page's button restores and the checks made before the batch
// page may be left. Nothing is stored until Save.
#pragma once

#include <string>

#include "settings/SettingsStore.h"

// One copy of every user setting, as the sheet edits it. The integers keep
// whatever the store held; the sheet writes 0 or 1 for what it shows as checks.
struct CSystemSettingsValues {
    int m_nCpu = settings::kCpu.defaultValue;
    int m_nJoukyuuEdit = settings::kJoukyuuEdit.defaultValue;
    int m_nFfe0 = settings::kFfe0.defaultValue;
    int m_nExpChk = settings::kExpChk.defaultValue;
    int m_nDelExif = settings::kDelExif.defaultValue;
    int m_nDamage = settings::kDamage.defaultValue;
    std::string m_strFileName = settings::kFileName.defaultValue;
    std::string m_strExifName = settings::kExifName.defaultValue;
    int m_nSaveExif = settings::kSaveExif.defaultValue;
    int m_nOverwrite = settings::kOverwrite.defaultValue;
    int m_nKeepIcc = settings::kKeepIcc.defaultValue;
    int m_nKeepOrientation = settings::kKeepOrientation.defaultValue;
    int m_nKeepMotion = settings::kKeepMotion.defaultValue;

    bool operator==(const CSystemSettingsValues&) const = default;
};

// What stands in the way of leaving the batch page with its output name.
enum class EFileNameCheck {
    Accepted,
    // Empty: batch results would overwrite the dropped files; the user must agree.
    EmptyOverwrites,
    // Holds one of \ / : , ; * ? " < > | or a line break, which cannot be part of a file name.
    ForbiddenCharacter,
};

class CSystemSettingsModel {
public:
    // Reads the thirteen keys, each with its default when it is missing.
    void Load(const CSettingsStore& settings);
    // Writes the ten keys in the order Load reads them: the values the sheet
    // changed, and for the others what the store holds now, so that a key
    // another program (kestrin-cli settings) changed meanwhile keeps that
    // change unless the sheet changed it too. The three keeping keys are
    // written only when the sheet changed them: a store that never had them
    // keeps reading their defaults, as before they existed.
    void Save(CSettingsStore& settings) const;

    // The basic page's button: normal priority and every option of the page
    // off, "del_exif" included although its stored default is 1, so that the
    // defaults never throw an Exif block away. "damage" keeps its value.
    void RestoreLevelDefaults();
    // The batch page's button: both names back to "_kestrin100", Exif blocks
    // saved, existing files never overwritten.
    void RestoreBatchDefaults();
    // The keeping page's button: nothing kept, as the optimisation always did.
    void RestoreKeepDefaults();

    EFileNameCheck CheckFileName() const;
    // The Exif name and the overwrite option only matter while backups are saved.
    bool IsExifBackupOn() const { return m_values.m_nSaveExif != 0; }

    CSystemSettingsValues& Values() { return m_values; }
    const CSystemSettingsValues& Values() const { return m_values; }

private:
    CSystemSettingsValues m_values;
    CSystemSettingsValues m_loaded;
};
