#include "imaging/JpegErrorTrap.h"

namespace {

CJpegErrorTrap& TrapOf(j_common_ptr info) {
    return *static_cast<CJpegErrorTrap*>(info->client_data);
}

// Level -1 is a warning (mostly corrupt data the decoder stepped over); the
// other levels are traces.
void CountWarning(j_common_ptr info, int level) {
    if (level < 0) {
        ++TrapOf(info).warnings;
    }
}

void StayQuiet(j_common_ptr) {}

void KeepReasonAndJump(j_common_ptr info) {
    info->err->format_message(info, TrapOf(info).reason);
    JumpToErrorTrap(info);
}

}  // namespace

void InstallErrorTrap(j_common_ptr info, CJpegErrorTrap& trap) {
    info->err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = KeepReasonAndJump;
    trap.manager.emit_message = CountWarning;
    trap.manager.output_message = StayQuiet;
    info->client_data = &trap;
}

void JumpToErrorTrap(j_common_ptr info) {
    std::longjmp(TrapOf(info).jump, 1);
}
