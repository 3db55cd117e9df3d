// The boundary of a user command: an exception from the core (a file that
// failed mid-copy, memory for a picture that was not there) is shown to the
// user and the window goes on; none crosses the event loop.
#pragma once

#include <exception>
#include <utility>

#include "util/FileError.h"
#include "util/MessageSink.h"

// Runs command; an exception it throws is shown in a message and goes no further.
template <typename Command>
void RunCommandShowingError(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (const std::exception& error) {
        ShowMessage(ErrorTextFor(error));
    }
}
