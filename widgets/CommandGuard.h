// The boundary of a user command: an exception from the core (a file that
// failed mid-copy, memory for a picture that was not there) is shown to the
// user and the window goes on; none crosses the event loop.
#pragma once

#include <exception>
#include <utility>

#include "util/MessageSink.h"

template <typename Command>
void RunGuarded(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (const std::exception& error) {
        ShowMessage(error.what());
    }
}
