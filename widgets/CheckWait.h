// Waiting on the window's thread for a check that runs on another thread: the
// event loop turns, so the window paints and the check's end, posted back,
// is taken; clicks and keys wait in the queue, so nothing reads, saves or
// leaves before the check decided.
#pragma once

#include <functional>

class QWidget;

// Returns once pending() is false. A progress window over progressParent
// shows when the wait passes a moment (a short check shows none that would
// only flash); none when progressParent is null, where a window of the caller
// stands already.
void WaitForCheck(QWidget* progressParent, const std::function<bool()>& pending);
