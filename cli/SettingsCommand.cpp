#include "cli/SettingsCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/QtSettingsStore.h"
#include "cli/VerbParser.h"
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

int Store(const CVerbParser& parser, CQtSettingsStore& store, const settings::AnySetting& setting,
          const std::string& value) {
    const std::optional<std::string> refusal = settings::WriteSettingText(store, setting, value);
    if (refusal) {
        return parser.Error(*refusal);
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
    CVerbParser parser("settings", "[KEY [VALUE]]",
                       "Shows every stored setting as key=value, shows one, or stores one.");
    parser.AddArgument("KEY", "a setting's key, as the list without arguments shows them");
    parser.AddArgument("VALUE", "the value to store (may start with '-')");
    parser.ExpectArguments(0, 2);
    parser.StopOptionsAtFirstArgument();
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const std::vector<std::string>& words = parser.Positional();
    if (words.empty()) {
        return PrintAll(store);
    }
    const std::optional<settings::AnySetting> setting = settings::FindSetting(words[0]);
    if (!setting) {
        return parser.Error("unknown key " + words[0]);
    }
    if (words.size() == 1) {
        std::printf("%s\n", ValueText(store, *setting).c_str());
        return kExitSuccess;
    }
    return Store(parser, store, *setting, words[1]);
}
