#include "settings/MemorySettingsStore.h"

#include "settings/SettingsText.h"

int CMemorySettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                        int defaultValue) const {
    const std::optional<std::string> text = Find(section, key);
    return text ? ParseStoredInt(*text).value_or(defaultValue) : defaultValue;
}

std::string CMemorySettingsStore::GetProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& defaultValue) const {
    return Find(section, key).value_or(defaultValue);
}

void CMemorySettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                           int value) {
    WriteProfileString(section, key, std::to_string(value));
}

void CMemorySettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                              const std::string& value) {
    const std::lock_guard lock(m_mutex);
    m_values[{section, key}] = value;
}

std::optional<std::string> CMemorySettingsStore::Find(const std::string& section,
                                                      const std::string& key) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_values.find({section, key});
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}
