// The program's persistent settings: QSettings under the organisation
// "marvoke" and the application "KestrinJPEG", one group per section (the
// registry on Windows, an INI file under the user's config folder elsewhere).
#pragma once

#include <QSettings>
#include <memory>
#include <mutex>
#include <string>

#include "settings/SettingsStore.h"

class CQtSettingsStore : public CSettingsStore {
public:
    // When one of the user's settings files is something other than a regular
    // file (a named pipe would make every read wait forever), none is opened:
    // every setting reads as its default and nothing is stored.
    CQtSettingsStore();

    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) const override;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override;
    void WriteProfileInt(const std::string& section, const std::string& key, int value) override;
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;

    // The settings file that is not a regular file, or empty when the files
    // could be opened.
    const std::string& UnusableFile() const { return m_strUnusableFile; }

    // Writes pending changes to permanent storage. False when a change was
    // not stored (the file is read-only, a folder, or not opened at all).
    bool Sync();

private:
    QVariant FreshValue(const std::string& section, const std::string& key) const;

    std::string m_strUnusableFile;
    // The scanner thread reads settings while the window may write them.
    mutable std::mutex m_mutex;
    // Null when the files are not opened.
    mutable std::unique_ptr<QSettings> m_pSettings;
    bool m_bWriteLost = false;
};
