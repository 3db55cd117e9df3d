// Settings kept in memory only: the store of the tests, and the layer that
// holds the command line's one-run overrides.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "settings/SettingsStore.h"

class CMemorySettingsStore : public CSettingsStore {
public:
    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) const override;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override;
    void WriteProfileInt(const std::string& section, const std::string& key, int value) override;
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;

    // The stored text of a value, or nothing when it was never written.
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, std::string> m_values;
};
