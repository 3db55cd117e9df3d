// The values a setting may hold: the choices the settings sheet offers. Values
// typed by hand (on the command line) are held to the same choices, and a
// stored value outside them never switches a safety check off.
#pragma once

#include <optional>
#include <string>

#include "settings/SettingsStore.h"

namespace settings {

// The characters a result's name part may not hold: \ / : , ; * ? " < > |
inline constexpr const char* kForbiddenFileNameCharacters = "\\/:,;*?\"<>|";

// True when text may stand between a base name and an extension, as the
// settings "filename" and "exifname" do: none of the eleven characters (so
// it names no other folder) and no line break.
bool IsValidNamePart(const std::string& text);

// Stores text as the value of setting when the settings sheet could have
// stored it. Otherwise stores nothing and returns why, for the user.
std::optional<std::string> WriteSettingText(CSettingsStore& store, const AnySetting& setting,
                                            const std::string& text);

// Only "damage" = 1 lets a result through that merely decodes; any other
// value, a hand-edited 2 included, keeps the pixel check on.
inline bool LetsDamagedPicturesThrough(const CSettingsStore& store) {
    return store.Read(kDamage) == 1;
}

}  // namespace settings
