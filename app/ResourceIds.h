// The numbers of the window program's resources: menu commands, window
// messages, dialogs and their controls. Widgets carry them as object names
// (actions "ID_<n>", dialogs "IDD_<n>", controls "IDC_<n>"), so a test or a
// tool finds a command or a control by its number.
#pragma once

// The main frame's menu, accelerators, icon and tool bar.
inline constexpr int IDR_MAINFRAME = 128;
// The version dialog and its controls.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDC_ABOUT_TITLE = 1000;
inline constexpr int IDC_ABOUT_COPYRIGHT = 1001;
inline constexpr int IDOK = 1;

// Menu commands. The first recent file is ID_FILE_MRU_FILE1, the others follow it.
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE_AS_JPEG = 32798;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_OPTIMISE_WIZARD = 32773;
inline constexpr int ID_BATCH_OPTIMISE = 32793;
inline constexpr int ID_BATCH_EXIF_BACKUP = 32797;
inline constexpr int ID_BATCH_EXIF_EMBED = 32795;
inline constexpr int ID_BATCH_DATES = 32794;
inline constexpr int ID_SAMPLE_LAYOUT = 32799;
inline constexpr int ID_EXIF_DISPLAY = 32796;
inline constexpr int ID_FILE_DATES = 32772;
inline constexpr int ID_KEPT_HEADERS = 32775;
inline constexpr int ID_SYSTEM_SETTINGS = 32788;
inline constexpr int ID_HELP_CONTENTS = 57670;
inline constexpr int ID_HELP_SEARCH = 32776;
inline constexpr int ID_HOME_PAGE = 32786;
inline constexpr int ID_APP_ABOUT = 57664;

// The tool bar and the status bar carry the numbers of their show commands.
inline constexpr int IDW_TOOLBAR = ID_VIEW_TOOLBAR;
inline constexpr int IDW_STATUS_BAR = ID_VIEW_STATUS_BAR;

// Document to view: a picture is about to be decoded (300) or was stored (200).
inline constexpr int WM_DOC_IMAGE = 0x1659;

// How many files the recent-file list keeps.
inline constexpr int kRecentFileCount = 4;
