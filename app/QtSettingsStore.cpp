#include "app/QtSettingsStore.h"

#include <sys/stat.h>

#include <QStandardPaths>

#include "settings/SettingsText.h"

namespace {

const QString kOrganisation = QStringLiteral("marvoke");
const QString kApplication = QStringLiteral("KestrinJPEG");

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

// The first of the user's settings files, and the lock file beside the
// program's own, that exists as something other than a regular file; empty
// when there is none. Looked at without opening anything.
std::string FirstIrregularSettingsFile() {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/');
    const QString own = folder + kOrganisation + QLatin1Char('/') + kApplication + ".conf";
    for (const QString& file : {own, own + ".lock", folder + kOrganisation + ".conf"}) {
        const std::string path = file.toStdString();
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
            return path;
        }
    }
    return {};
}

}  // namespace

CQtSettingsStore::CQtSettingsStore() : m_strUnusableFile(FirstIrregularSettingsFile()) {
    if (m_strUnusableFile.empty()) {
        m_pSettings = std::make_unique<QSettings>(kOrganisation, kApplication);
    }
}

// Under the lock. QSettings reads its file once; another program
// (kestrin-cli settings) may have changed it since. Its sync looks at the
// file's size and time and reads it again only when they changed.
QVariant CQtSettingsStore::FreshValue(const std::string& section, const std::string& key) const {
    if (!m_pSettings) {
        return {};
    }
    m_pSettings->sync();
    return m_pSettings->value(KeyPath(section, key));
}

int CQtSettingsStore::GetProfileInt(const std::string& section, const std::string& key,
                                    int defaultValue) const {
    const std::lock_guard lock(m_mutex);
    const QVariant value = FreshValue(section, key);
    if (!value.isValid()) {
        return defaultValue;
    }
    return ParseStoredInt(value.toString().toStdString()).value_or(defaultValue);
}

std::string CQtSettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) const {
    const std::lock_guard lock(m_mutex);
    const QVariant value = FreshValue(section, key);
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void CQtSettingsStore::WriteProfileInt(const std::string& section, const std::string& key,
                                       int value) {
    const std::lock_guard lock(m_mutex);
    if (m_pSettings) {
        m_pSettings->setValue(KeyPath(section, key), value);
    } else {
        m_bWriteLost = true;
    }
}

void CQtSettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                          const std::string& value) {
    const std::lock_guard lock(m_mutex);
    if (m_pSettings) {
        m_pSettings->setValue(KeyPath(section, key), QString::fromStdString(value));
    } else {
        m_bWriteLost = true;
    }
}

bool CQtSettingsStore::Sync() {
    const std::lock_guard lock(m_mutex);
    if (!m_pSettings) {
        return !m_bWriteLost;
    }
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}
