// The numbers of the scan's progress window and of the scanner's two
// notifications, shared by every window that scans a file.
#pragma once

namespace scan_window_ids {

// The scan's progress window and the batch optimiser's twin of it.
inline constexpr int IDD_PROGRESS = 131;
inline constexpr int IDD_BATCH_PROGRESS = 204;

// The scanner's two notifications, as event numbers.
inline constexpr int WM_HED_PROGRESS = 0x1660;
inline constexpr int WM_HED_FINISHED = 0x1661;

}  // namespace scan_window_ids
