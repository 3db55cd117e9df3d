// Named options that change a stored setting for one run (--in-place sets
// "filename" to ""), so that users need not learn the settings' keys. The
// stored settings never change; -o key=value stays for every other key.
#pragma once

#include <initializer_list>
#include <optional>
#include <set>
#include <string>

class CSettingsStore;
class CVerbParser;

// Declares the named options given, by their long names ("in-place",
// "suffix", "keep-exif", "remove-exif", "no-exif-backup", "keep-icc",
// "keep-orientation", "keep-motion").
void DeclareSettingOptions(CVerbParser& parser, std::initializer_list<const char*> names);

// Writes the value of every named option given into settings. Nothing, or why
// the command line is refused: two options that set one key (--in-place with
// --suffix, --keep-exif with --remove-exif, or one of them with -o for the
// same key in keysGiven), an empty --suffix, a value the setting refuses.
std::optional<std::string> ApplySettingOptions(const CVerbParser& parser,
                                               const std::set<std::string>& keysGiven,
                                               CSettingsStore& settings);
