// Dialog resource numbers and control ids of the segment engine's dialogs.
// Each widget's objectName is its number written IDC_<number> (dialogs
// IDD_<number>), so a test finds control 1028 as "IDC_1028".
#pragma once

namespace segment_ids {

inline constexpr int IDD_KEPT_HEADER = 147;
inline constexpr int IDD_HEADER_EDIT = 148;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The kept-header list dialog. The list's own id is not one the program
// shows anywhere, so it takes a free number beside its buttons.
inline constexpr int IDC_KEPT_HEADER_LIST = 1025;
inline constexpr int IDC_NEW_HEADER = 1024;
inline constexpr int IDC_CHANGE_HEADER = 1027;
inline constexpr int IDC_DELETE_HEADER = 1016;
inline constexpr int IDC_RESET_HEADERS = 1028;

// The edit dialog of one row.
inline constexpr int IDC_HEADER_CODE = 1026;
inline constexpr int IDC_HEADER_DESCRIPTION = 1029;
inline constexpr int IDC_HEADER_PROMPT = 1030;

// The icon of every row of the list.
inline constexpr int IDI_KEPT_HEADER = 136;

}  // namespace segment_ids
