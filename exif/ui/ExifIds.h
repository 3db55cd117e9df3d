// Dialog resource numbers and control ids of the Exif dialogs. Each widget's
// objectName is its number written IDC_<number> (dialogs IDD_<number>), so a
// test finds control 1024 as "IDC_1024".
#pragma once

namespace exif_ids {

inline constexpr int IDD_BATCH_EXIF_EMBED = 207;
inline constexpr int IDD_EXIF_VIEW = 209;
inline constexpr int IDD_BATCH_EXIF_BACKUP = 210;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The batch dialogs: the log box and the button that empties it.
inline constexpr int IDC_LOG = 1024;
inline constexpr int IDC_CLEAR_LOG = 1057;

// The Exif display's list of values.
inline constexpr int IDC_EXIF_LIST = 1046;

}  // namespace exif_ids
