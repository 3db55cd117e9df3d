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
}

void CSystemSettingsModel::Save(CSettingsStore& settings) const {
    settings.Write(settings::kCpu, m_values.m_nCpu);
    settings.Write(settings::kJoukyuuEdit, m_values.m_nJoukyuuEdit);
    settings.Write(settings::kFfe0, m_values.m_nFfe0);
    settings.Write(settings::kExpChk, m_values.m_nExpChk);
    settings.Write(settings::kDelExif, m_values.m_nDelExif);
    settings.Write(settings::kDamage, m_values.m_nDamage);
    settings.Write(settings::kFileName, m_values.m_strFileName);
    settings.Write(settings::kExifName, m_values.m_strExifName);
    settings.Write(settings::kSaveExif, m_values.m_nSaveExif);
    settings.Write(settings::kOverwrite, m_values.m_nOverwrite);
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
