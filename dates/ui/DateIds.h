// Dialog resource numbers and control ids of the file-date dialogs. Each
// widget's objectName is its number written IDC_<number> (dialogs
// IDD_<number>), so a test finds the calendar as "IDC_1000".
#pragma once

namespace date_ids {

inline constexpr int IDD_FILE_DATE = 130;
inline constexpr int IDD_BATCH_FILE_DATE = 140;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

inline constexpr int IDC_CALENDAR = 1000;
inline constexpr int IDC_PREVIOUS_MONTH = 1009;
inline constexpr int IDC_THIS_MONTH = 1010;
inline constexpr int IDC_NEXT_MONTH = 1011;
// Each field is one spin box: the edit and its spin control (1074, 1075)
// are a single widget that carries the number of the edit.
inline constexpr int IDC_HOUR = 1066;
inline constexpr int IDC_MINUTE = 1067;

}  // namespace date_ids
