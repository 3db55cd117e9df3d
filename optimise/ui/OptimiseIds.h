// Resource numbers and control ids of the wizard sheet and its own pages.
// Each widget's objectName is its number written IDC_<number> (pages
// IDD_<number>), so a test finds the log box as "IDC_1024" on any page.
#pragma once

namespace optimise_ids {

inline constexpr int IDD_KESTRIN_INFO = 133;
inline constexpr int IDD_KESTRIN_DEL = 136;
inline constexpr int IDD_KESTRIN_AUTO = 201;
inline constexpr int IDD_KESTRIN_FIN = 138;

// The selection page's radio group: one id for the group, which names its
// first button; the others carry the group's id and their place in it.
inline constexpr int IDC_WIZARD_CHOICE = 1014;

// The pages that work on the copy: the log, a look at the result, and the
// cut Exif block saved under a chosen name.
inline constexpr int IDC_LOG = 1024;
inline constexpr int IDC_VIEW_RESULT = 1015;
inline constexpr int IDC_SAVE_EXIF = 1048;

// The finish page.
inline constexpr int IDC_OVERWRITE = 1026;
inline constexpr int IDC_VIEW_AGAIN = 1015;

}  // namespace optimise_ids
