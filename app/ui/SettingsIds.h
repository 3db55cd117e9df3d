// Dialog resource numbers and control ids of the system settings sheet. Each
// widget's objectName is its number written IDC_<number> (pages IDD_<number>),
// so a test finds control 1053 as "IDC_1053".
#pragma once

namespace settings_ids {

// The three pages of the sheet.
inline constexpr int IDD_SYS_LEVEL = 132;
inline constexpr int IDD_SYS_EXIF = 143;
inline constexpr int IDD_SYS_KEEP = 211;

// The sheet's own buttons carry the standard ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// "基本設定": the processing share ("cpu" 0, 1, 2), then the options.
inline constexpr int IDC_CPU_FULL = 1014;
inline constexpr int IDC_CPU_MIDDLE = 1015;
inline constexpr int IDC_CPU_GENTLE = 1016;
inline constexpr int IDC_JOUKYUU_EDIT = 1041;
inline constexpr int IDC_KEEP_FFE0 = 1042;
inline constexpr int IDC_NO_EXPLORER_REFRESH = 1044;
inline constexpr int IDC_DELETE_EXIF = 1047;
inline constexpr int IDC_DAMAGED_PICTURES = 1058;

// "連続処理の設定".
inline constexpr int IDC_OUTPUT_NAME = 1005;
inline constexpr int IDC_EXIF_NAME = 1006;
inline constexpr int IDC_SAVE_EXIF = 1053;
inline constexpr int IDC_OVERWRITE = 1054;

// "残す情報の設定": what the optimisation keeps of a phone photo.
inline constexpr int IDC_KEEP_ICC = 1068;
inline constexpr int IDC_KEEP_ORIENTATION = 1069;
inline constexpr int IDC_KEEP_MOTION = 1070;

// Each page has its own "初期値に戻す" button under the same id.
inline constexpr int IDC_RESTORE_DEFAULTS = 1055;

}  // namespace settings_ids
