#include "settings/OverlaySettingsStore.h"

#include "settings/SettingsText.h"

int COverlaySettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                         int defaultValue) const {
    if (m_overrides.Find(section, key)) {
        return m_overrides.GetProfileInt(section, key, defaultValue);
    }
    return m_base.GetProfileInt(section, key, defaultValue);
}

std::string COverlaySettingsStore::GetProfileString(const std::string& section,
                                                    const std::string& key,
                                                    const std::string& defaultValue) const {
    if (m_overrides.Find(section, key)) {
        return m_overrides.GetProfileString(section, key, defaultValue);
    }
    return m_base.GetProfileString(section, key, defaultValue);
}

void COverlaySettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                            int value) {
    m_overrides.WriteProfileInt(section, key, value);
}

void COverlaySettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                               const std::string& value) {
    m_overrides.WriteProfileString(section, key, value);
}
