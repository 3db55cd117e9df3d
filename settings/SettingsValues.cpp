#include "settings/SettingsValues.h"

#include <variant>

#include "settings/SettingsText.h"

namespace settings {

namespace {

std::optional<std::string> WriteNumber(CSettingsStore& store, const CIntSetting& setting,
                                       const std::string& text) {
    const std::optional<int> value = ParseStoredInt(text);
    if (!value || *value < 0 || *value > setting.maxValue) {
        return std::string(setting.key) + " takes a whole number from 0 to " +
               std::to_string(setting.maxValue) + ", not \"" + text + "\"";
    }
    store.Write(setting, *value);
    return std::nullopt;
}

std::optional<std::string> WriteText(CSettingsStore& store, const CTextSetting& setting,
                                     const std::string& text) {
    if ((&setting == &kFileName || &setting == &kExifName) && !IsValidNamePart(text)) {
        return std::string(setting.key) + " may not hold a line break or any of " +
               kForbiddenFileNameCharacters + ", as in \"" + text + "\"";
    }
    store.Write(setting, text);
    return std::nullopt;
}

}  // namespace

bool IsValidNamePart(const std::string& text) {
    return text.find_first_of(kForbiddenFileNameCharacters) == std::string::npos &&
           text.find_first_of("\r\n") == std::string::npos;
}

std::optional<std::string> WriteSettingText(CSettingsStore& store, const AnySetting& setting,
                                            const std::string& text) {
    if (const auto* number = std::get_if<const CIntSetting*>(&setting)) {
        return WriteNumber(store, **number, text);
    }
    return WriteText(store, *std::get<const CTextSetting*>(setting), text);
}

}  // namespace settings
