#include "cli/SettingsCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <variant>

#include "app/QtSettingsStore.h"
#include "settings/SettingsValues.h"

namespace {

std::string ValueText(const CSettingsStore& store, const settings::AnySetting& setting) {
    if (const auto* number = std::get_if<const CIntSetting*>(&setting)) {
        return std::to_string(store.Read(**number));
    }
    return store.Read(*std::get<const CTextSetting*>(setting));
}

int PrintAll(const CSettingsStore& store) {
    for (const settings::AnySetting& setting : settings::kAllSettings) {
        std::printf("%s=%s\n", settings::KeyOf(setting), ValueText(store, setting).c_str());
    }
    return kExitSuccess;
}

int Store(CQtSettingsStore& store, const settings::AnySetting& setting, const std::string& value) {
    const std::optional<std::string> refusal = settings::WriteSettingText(store, setting, value);
    if (refusal) {
        return UsageError("settings: " + *refusal);
    }
    if (!store.Sync()) {
        std::fprintf(
            stderr,
            "kestrin-cli: settings: %s was not stored: the settings file cannot be written\n",
            settings::KeyOf(setting));
        return kExitFileFailed;
    }
    return kExitSuccess;
}

}  // namespace

int RunSettingsCommand(const Arguments& arguments, CQtSettingsStore& store) {
    if (arguments.empty()) {
        return PrintAll(store);
    }
    if (arguments.size() > 2) {
        return UsageError("settings: too many arguments");
    }
    const std::optional<settings::AnySetting> setting = settings::FindSetting(arguments[0]);
    if (!setting) {
        return UsageError("settings: unknown key " + arguments[0]);
    }
    if (arguments.size() == 1) {
        std::printf("%s\n", ValueText(store, *setting).c_str());
        return kExitSuccess;
    }
    return Store(store, *setting, arguments[1]);
}
