// Dialog resource numbers and control ids of the Exif dialogs. Each widget's
// objectName is its number written IDC_<number> (dialogs IDD_<number>), so a
// test finds control 1024 as "IDC_1024".
#pragma once

namespace exif_ids {

inline constexpr int IDD_BATCH_EXIF_EMBED = 207;
inline constexpr int IDD_EXIF_VIEW = 209;
inline constexpr int IDD_BATCH_EXIF_BACKUP = 210;
inline constexpr int IDD_SAMPLE_CONVERT = 150;
// The embedding pages of the wizard sheet: extraction, choice of the block, result.
inline constexpr int IDD_KESTRIN_BEGIN_ADD = 206;
inline constexpr int IDD_KESTRIN_ADD_EXIF = 205;
inline constexpr int IDD_KESTRIN_EXIF = 142;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The batch dialogs: the log box and the button that empties it.
inline constexpr int IDC_LOG = 1024;
inline constexpr int IDC_CLEAR_LOG = 1057;

// The Exif display's list of values.
inline constexpr int IDC_EXIF_LIST = 1046;

// The sample-layout conversion: its list of registered files and its buttons.
inline constexpr int IDC_SAMPLE_FILES = 1059;
inline constexpr int IDC_LOAD_SAMPLE = 1060;
inline constexpr int IDC_REGISTER = 1050;
inline constexpr int IDC_UNREGISTER = 1016;
inline constexpr int IDC_CONVERT = 1061;
// The embedding pages: the chosen .exif file and its chooser.
inline constexpr int IDC_EXIF_PATH = 1049;
inline constexpr int IDC_CHOOSE_EXIF = 1050;

}  // namespace exif_ids
