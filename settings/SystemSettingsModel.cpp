#include "settings/SystemSettingsModel.h"

#include "settings/SettingsValues.h"

void CSystemSettingsModel::Load(const CSettingsStore& settings) {
    m_values.m_nCpu = settings.Read(settings::kCpu);
    m_values.m_nJoukyuuEdit = settings.Read(settings::kJoukyuuEdit);
    m_values.m_nFfe0 = settings.Read(settings::kFfe0);
    m_values.m_nExpChk = settings.Read(settings::kExpChk);
    m_values.m_nDelExif = settings.Read(settings::kDelExif);
    m_values.m_nDamage = settings.Read(settings::kDamage);
    m_values.m_strFileName = settings.Read(settings::kFileName);
    m_values.m_strExifName = settings.Read(settings::kExifName);
    m_values.m_nSaveExif = settings.Read(settings::kSaveExif);
    m_values.m_nOverwrite = settings.Read(settings::kOverwrite);
    m_values.m_nKeepIcc = settings.Read(settings::kKeepIcc);
    m_values.m_nKeepOrientation = settings.Read(settings::kKeepOrientation);
    m_values.m_nKeepMotion = settings.Read(settings::kKeepMotion);
    m_loaded = m_values;
}

namespace {

// A key the sheet left as it was loaded is written with what the store holds
// now, so that a change another program made meanwhile stays.
template <typename Setting, typename Value>
void WriteChangedOrCurrent(CSettingsStore& settings, const Setting& setting, const Value& value,
                           const Value& loaded) {
    settings.Write(setting, value != loaded ? value : Value(settings.Read(setting)));
}

void WriteIfChanged(CSettingsStore& settings, const CIntSetting& setting, int value, int loaded) {
    if (value != loaded) {
        settings.Write(setting, value);
    }
}

}  // namespace

void CSystemSettingsModel::Save(CSettingsStore& settings) const {
    const CSystemSettingsValues& was = m_loaded;
    WriteChangedOrCurrent(settings, settings::kCpu, m_values.m_nCpu, was.m_nCpu);
    WriteChangedOrCurrent(settings, settings::kJoukyuuEdit, m_values.m_nJoukyuuEdit,
                          was.m_nJoukyuuEdit);
    WriteChangedOrCurrent(settings, settings::kFfe0, m_values.m_nFfe0, was.m_nFfe0);
    WriteChangedOrCurrent(settings, settings::kExpChk, m_values.m_nExpChk, was.m_nExpChk);
    WriteChangedOrCurrent(settings, settings::kDelExif, m_values.m_nDelExif, was.m_nDelExif);
    WriteChangedOrCurrent(settings, settings::kDamage, m_values.m_nDamage, was.m_nDamage);
    WriteChangedOrCurrent(settings, settings::kFileName, m_values.m_strFileName, was.m_strFileName);
    WriteChangedOrCurrent(settings, settings::kExifName, m_values.m_strExifName, was.m_strExifName);
    WriteChangedOrCurrent(settings, settings::kSaveExif, m_values.m_nSaveExif, was.m_nSaveExif);
    WriteChangedOrCurrent(settings, settings::kOverwrite, m_values.m_nOverwrite, was.m_nOverwrite);
    WriteIfChanged(settings, settings::kKeepIcc, m_values.m_nKeepIcc, was.m_nKeepIcc);
    WriteIfChanged(settings, settings::kKeepOrientation, m_values.m_nKeepOrientation,
                   was.m_nKeepOrientation);
    WriteIfChanged(settings, settings::kKeepMotion, m_values.m_nKeepMotion, was.m_nKeepMotion);
}

void CSystemSettingsModel::RestoreLevelDefaults() {
    m_values.m_nCpu = settings::kCpu.defaultValue;
    m_values.m_nJoukyuuEdit = 0;
    m_values.m_nFfe0 = 0;
    m_values.m_nExpChk = 0;
    m_values.m_nDelExif = 0;
}

void CSystemSettingsModel::RestoreBatchDefaults() {
    m_values.m_nSaveExif = 1;
    m_values.m_nOverwrite = 0;
    m_values.m_strFileName = settings::kFileName.defaultValue;
    m_values.m_strExifName = settings::kExifName.defaultValue;
}

void CSystemSettingsModel::RestoreKeepDefaults() {
    m_values.m_nKeepIcc = settings::kKeepIcc.defaultValue;
    m_values.m_nKeepOrientation = settings::kKeepOrientation.defaultValue;
    m_values.m_nKeepMotion = settings::kKeepMotion.defaultValue;
}

EFileNameCheck CSystemSettingsModel::CheckFileName() const {
    const std::string& name = m_values.m_strFileName;
    if (name.empty()) {
        return EFileNameCheck::EmptyOverwrites;
    }
    if (!settings::IsValidNamePart(name)) {
        return EFileNameCheck::ForbiddenCharacter;
    }
    return EFileNameCheck::Accepted;
}
