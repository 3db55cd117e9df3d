// The program's persistent settings: QSettings under the organisation
// "marvoke" and the application "KestrinJPEG", one group per section (the
// registry on Windows, an INI file under the user's config folder elsewhere).
#pragma once

#include <QSettings>
#include <mutex>

#include "settings/SettingsStore.h"

class CQtSettingsStore : public CSettingsStore {
public:
    CQtSettingsStore();

    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) const override;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override;
    void WriteProfileInt(const std::string& section, const std::string& key, int value) override;
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;

    // Writes pending changes to permanent storage.
    void Sync();

private:
    // The scanner thread reads settings while the window may write them.
    mutable std::mutex m_mutex;
    mutable QSettings m_settings;
};
