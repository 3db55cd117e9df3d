// The error handling every libjpeg call of the codec runs under. libjpeg
// reports a fatal error by calling the error manager's error_exit, which must
// not return: ours jumps back to RunUnderErrorTrap, whose step then fails. The
// library therefore never ends the process. Only the codec's own files include
// this header: it brings in jpeglib.h.
#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <csetjmp>

struct CJpegErrorTrap {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    // Corrupt-data warnings libjpeg reported; they do not fail a step.
    int warnings = 0;
    // Why the last failed step failed, in the library's words; empty when the
    // codec stopped it itself without saying why.
    char reason[JMSG_LENGTH_MAX] = {};
};

// Makes info report its errors and warnings to trap, and print nothing.
void InstallErrorTrap(j_common_ptr info, CJpegErrorTrap& trap);

// Fails the step that runs under info's trap. For callbacks that libjpeg
// calls while a step runs.
[[noreturn]] void JumpToErrorTrap(j_common_ptr info);

// Runs step and gives its result, or false when libjpeg failed inside it. The
// jump skips step's frames: step must hold no object with a destructor and
// must keep what it makes outside itself. Throwing out of step is fine, as
// long as the throw does not start inside libjpeg.
template <typename Step>
[[gnu::noinline]] bool RunUnderErrorTrap(CJpegErrorTrap& trap, Step&& step) {
    if (setjmp(trap.jump) != 0) {
        return false;
    }
    return step();
}
