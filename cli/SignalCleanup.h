// Ending kestrin-cli with Ctrl+C, kill or a closed terminal must not leave a
// half-written file beside a photo nor a scratch folder with a copy of it.
#pragma once

// Blocks SIGINT, SIGTERM and SIGHUP in this thread and every thread started
// after it, and starts a thread that waits for them: it removes every
// recorded temporary path and ends the process by the same signal. Call first
// thing in main, before any other thread exists.
void CleanUpOnTerminationSignals();
