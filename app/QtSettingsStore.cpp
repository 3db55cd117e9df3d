#include "app/QtSettingsStore.h"

#include "settings/SettingsText.h"

namespace {

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

CQtSettingsStore::CQtSettingsStore()
    : m_settings(QStringLiteral("marvoke"), QStringLiteral("KestrinJPEG")) {}

int CQtSettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                    int defaultValue) const {
    const std::lock_guard lock(m_mutex);
    const QVariant value = m_settings.value(KeyPath(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    return ParseStoredInt(value.toString().toStdString()).value_or(defaultValue);
}

std::string CQtSettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) const {
    const std::lock_guard lock(m_mutex);
    const QVariant value = m_settings.value(KeyPath(section, key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void CQtSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                       int value) {
    const std::lock_guard lock(m_mutex);
    m_settings.setValue(KeyPath(section, key), value);
}

void CQtSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                          const std::string& value) {
    const std::lock_guard lock(m_mutex);
    m_settings.setValue(KeyPath(section, key), QString::fromStdString(value));
}

void CQtSettingsStore::Sync() {
    const std::lock_guard lock(m_mutex);
    m_settings.sync();
}
