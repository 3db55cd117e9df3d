// Settings changed for one run only: values given here hide those of the
// stored settings beneath, and writes stay here. The command line's
// "-o key=value" uses it.
#pragma once

#include <string>

#include "settings/MemorySettingsStore.h"

class COverlaySettingsStore : public CSettingsStore {
public:
    explicit COverlaySettingsStore(const CSettingsStore& base) : m_base(base) {}

    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) const override;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override;
    void WriteProfileInt(const std::string& section, const std::string& key, int value) override;
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;

private:
    const CSettingsStore& m_base;
    CMemorySettingsStore m_overrides;
};
