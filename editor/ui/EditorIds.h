// Dialog resource numbers, control ids and menu ids of the marker editor.
// Each widget's objectName is its number written IDC_<number> (dialogs
// IDD_<number>), so a test finds control 1010 as "IDC_1010".
#pragma once

namespace editor_ids {

inline constexpr int IDD_MARKER_EDITOR = 137;
inline constexpr int IDD_SEGMENT_DATA = 202;
inline constexpr int IDR_EDITOR_POPUP = 139;

// The editor page.
inline constexpr int IDC_SEGMENT_LIST = 1010;
inline constexpr int IDC_ZERO = 1014;
inline constexpr int IDC_SHOW_RESULT = 1015;
inline constexpr int IDC_DELETE = 1016;
inline constexpr int IDC_WASTE_BYTES = 1017;
inline constexpr int IDC_NEW_BYTES = 1018;
inline constexpr int IDC_SHOW_ALL = 1019;
inline constexpr int IDC_RESET = 1020;
inline constexpr int IDC_UNDO = 1021;
inline constexpr int IDC_REDO = 1022;
inline constexpr int IDC_REMOVE_PROPRIETARY = 1023;
inline constexpr int IDC_ORIGINAL_BYTES = 1024;
inline constexpr int IDC_EDIT = 1025;
inline constexpr int IDC_ADD = 1031;
inline constexpr int IDC_REDRAW = 1036;
inline constexpr int IDC_DECODES_ICON = 1040;

// The popup menu's items.
inline constexpr int ID_POPUP_DELETE = 32780;
inline constexpr int ID_POPUP_UNDO = 32781;
inline constexpr int ID_POPUP_REDO = 32782;
inline constexpr int ID_POPUP_REDRAW = 32783;
inline constexpr int ID_POPUP_RESET = 32784;
inline constexpr int ID_POPUP_ADD = 32785;
inline constexpr int ID_POPUP_REMOVE_PROPRIETARY = 32789;
inline constexpr int ID_POPUP_ZERO = 32790;
inline constexpr int ID_POPUP_EDIT = 32791;
inline constexpr int ID_POPUP_SHOW_RESULT = 32792;

// The segment data dialog.
inline constexpr int IDC_MARKER = 1026;
inline constexpr int IDC_REFERENCE = 1029;
inline constexpr int IDC_PROMPT = 1030;
inline constexpr int IDC_DATA = 1036;
inline constexpr int IDC_TOOL_TEXT = 1042;
inline constexpr int IDC_TOOL_HEX = 1043;
inline constexpr int IDC_SIZE = 1063;
inline constexpr int IDOK_BUTTON = 1;
inline constexpr int IDCANCEL_BUTTON = 2;

}  // namespace editor_ids
