// Every stored setting of the program: its section, its key and its default.
// The core reads these through a CSettingsStore at the moment of use, so a
// change made in the settings sheet applies to the next operation.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>

// Integer settings hold 0 to maxValue: the choices the settings sheet offers.
struct CIntSetting {
    const char* section;
    const char* key;
    int defaultValue;
    int maxValue;
};

struct CTextSetting {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace settings {

inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionWindowSize = "Window size";

// Priority of the segment scanner thread: 0 highest, 1 normal, 2 lowest.
inline constexpr CIntSetting kCpu{kSectionSettings, "cpu", 1, 2};
// 1 lets the marker editor also edit the segments the picture needs.
inline constexpr CIntSetting kJoukyuuEdit{kSectionSettings, "joukyuuedit", 0, 1};
// 1 keeps the first FFE0 segment when optimising.
inline constexpr CIntSetting kFfe0{kSectionSettings, "ffe0", 0, 1};
// 1 stops the file manager from being told that a file changed.
inline constexpr CIntSetting kExpChk{kSectionSettings, "expchk", 0, 1};
// 1 also deletes the Exif block when optimising.
inline constexpr CIntSetting kDelExif{kSectionSettings, "del_exif", 1, 1};
// 1 checks only that a result decodes, not that its pixels are unchanged
// (settings::LetsDamagedPicturesThrough reads it).
inline constexpr CIntSetting kDamage{kSectionSettings, "damage", 0, 1};
// Put between base name and ".jpg" for batch results; empty overwrites the file.
inline constexpr CTextSetting kFileName{kSectionSettings, "filename", "_kestrin100"};
// Put between base name and ".exif" for Exif backup files.
inline constexpr CTextSetting kExifName{kSectionSettings, "exifname", "_kestrin100"};
// 1 saves the Exif block to a backup file during batch optimisation.
inline constexpr CIntSetting kSaveExif{kSectionSettings, "saveexif", 1, 1};
// 1 overwrites an existing output file; 0 stops the work on that file.
inline constexpr CIntSetting kOverwrite{kSectionSettings, "overwrite", 0, 1};
// 1 keeps every colour profile segment (APP2 ICC_PROFILE) when optimising.
inline constexpr CIntSetting kKeepIcc{kSectionSettings, "keep_icc", 0, 1};
// 1 keeps the picture's orientation when its Exif block is removed, in a
// small Exif block that holds nothing else.
inline constexpr CIntSetting kKeepOrientation{kSectionSettings, "keep_orientation", 0, 1};
// 1 keeps a motion photo's video and a gain map (what an XMP or MPF segment
// announces after the end marker) and the segments that announce them.
inline constexpr CIntSetting kKeepMotion{kSectionSettings, "keep_motion", 0, 1};
// Folder shown first in the folder browser; only ever read.
inline constexpr CTextSetting kFindPath{kSectionSettings, "Find_Path", ""};

// Normal position of the main window: "%04d %04d %04d %04d" (left top right bottom).
inline constexpr CTextSetting kWindowRect{kSectionWindowSize, "Rect", ""};
inline constexpr CIntSetting kWindowIcon{kSectionWindowSize, "icon", 0, 1};
inline constexpr CIntSetting kWindowMax{kSectionWindowSize, "max", 0, 1};

using AnySetting = std::variant<const CIntSetting*, const CTextSetting*>;

inline constexpr std::array<AnySetting, 17> kAllSettings{
    &kCpu,        &kJoukyuuEdit, &kFfe0,       &kExpChk,     &kDelExif,   &kDamage,
    &kFileName,   &kExifName,    &kSaveExif,   &kOverwrite,  &kKeepIcc,   &kKeepOrientation,
    &kKeepMotion, &kFindPath,    &kWindowRect, &kWindowIcon, &kWindowMax,
};

inline const char* KeyOf(const AnySetting& setting) {
    return std::visit([](const auto* s) { return s->key; }, setting);
}

// The setting stored under key (keys are unique across both sections).
inline std::optional<AnySetting> FindSetting(const std::string& key) {
    for (const AnySetting& setting : kAllSettings) {
        if (key == KeyOf(setting)) {
            return setting;
        }
    }
    return std::nullopt;
}

}  // namespace settings
