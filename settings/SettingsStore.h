// The interface through which every part of the program reads and writes its
// stored settings. It holds no Qt type, so the core can read settings without
// depending on the framework; the implementations live beside it.
#pragma once

#include <string>

#include "settings/SettingsKeys.h"

class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;

    // A missing value, or one that is not a whole number, gives the default.
    virtual int GetProfileInt(const std::string& section, const std::string& key,
                              int defaultValue) const = 0;
    // A missing value gives the default; a stored empty text is a value.
    virtual std::string GetProfileString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const = 0;
    virtual void WriteProfileInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteProfileString(const std::string& section, const std::string& key,
                                    const std::string& value) = 0;

    int Read(const CIntSetting& setting) const {
        return GetProfileInt(setting.section, setting.key, setting.defaultValue);
    }
    std::string Read(const CTextSetting& setting) const {
        return GetProfileString(setting.section, setting.key, setting.defaultValue);
    }
    void Write(const CIntSetting& setting, int value) {
        WriteProfileInt(setting.section, setting.key, value);
    }
    void Write(const CTextSetting& setting, const std::string& value) {
        WriteProfileString(setting.section, setting.key, value);
    }
};
