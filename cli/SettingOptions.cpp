#include "cli/SettingOptions.h"

#include <string_view>

#include "cli/VerbParser.h"
#include "settings/SettingsValues.h"

namespace {

struct CSettingOption {
    const char* name;
    const char* key;
    // The value stored; nullptr for the value given to the option.
    const char* value;
    const char* description;
};

constexpr CSettingOption kSettingOptions[] = {
    {"in-place", "filename", "", "write each result over its file (filename=\"\")"},
    {"suffix", "filename", nullptr,
     "write each result beside its file, named with TEXT before .jpg (filename=TEXT)"},
    {"keep-exif", "del_exif", "0",
     "never remove an Exif block: a file that has one is left as it is and counts as skipped "
     "(del_exif=0)"},
    {"remove-exif", "del_exif", "1", "remove the Exif block from the result (del_exif=1)"},
    {"no-exif-backup", "saveexif", "0",
     "save no .exif backup of a removed Exif block (saveexif=0)"},
    {"keep-icc", "keep_icc", "1",
     "keep every colour profile segment (APP2 ICC_PROFILE) whole (keep_icc=1)"},
    {"keep-orientation", "keep_orientation", "1",
     "when the Exif block is removed, keep the orientation alone in a small Exif block "
     "(keep_orientation=1)"},
    {"keep-motion", "keep_motion", "1",
     "keep a motion photo's video and a gain map behind the picture, and the XMP and MPF "
     "segments that announce them (keep_motion=1)"},
};

std::string OptionText(const CSettingOption& option) {
    return std::string("--") + option.name;
}

// Why option cannot be used here, or nothing.
std::optional<std::string> Conflict(const CVerbParser& parser, const CSettingOption& option,
                                    const std::set<std::string>& keysGiven) {
    if (keysGiven.contains(option.key)) {
        return OptionText(option) + " and -o " + option.key + "=... both set " + option.key +
               "; give one of them";
    }
    for (const CSettingOption& other : kSettingOptions) {
        if (&other != &option && other.key == std::string_view(option.key) &&
            parser.IsSet(other.name)) {
            return OptionText(other) + " and " + OptionText(option) + " cannot be used together";
        }
    }
    if (option.value == nullptr && parser.Value(option.name).empty()) {
        return OptionText(option) +
               " takes a text that is not empty; use --in-place to write each "
               "result over its file";
    }
    return std::nullopt;
}

}  // namespace

void DeclareSettingOptions(CVerbParser& parser, std::initializer_list<const char*> names) {
    for (const CSettingOption& option : kSettingOptions) {
        for (const char* name : names) {
            if (name == std::string_view(option.name)) {
                parser.AddOption({QLatin1String(option.name)}, option.description,
                                 option.value == nullptr ? "TEXT" : "");
            }
        }
    }
}

std::optional<std::string> ApplySettingOptions(const CVerbParser& parser,
                                               const std::set<std::string>& keysGiven,
                                               CSettingsStore& settings) {
    for (const CSettingOption& option : kSettingOptions) {
        if (!parser.IsSet(option.name)) {
            continue;
        }
        if (std::optional<std::string> conflict = Conflict(parser, option, keysGiven)) {
            return conflict;
        }
        const std::string value =
            option.value != nullptr ? option.value : parser.Value(option.name);
        if (std::optional<std::string> refusal =
                settings::WriteSettingText(settings, *settings::FindSetting(option.key), value)) {
            return refusal;
        }
    }
    return std::nullopt;
}
