// The record of files and folders that must not outlive the process: the
// temporary file beside a user's file while it is written, and the private
// scratch folders of the command line. Their owners remove them on a normal
// end; a process ended by a signal removes what is still recorded first.
// Creating, renaming and forgetting happen under one lock, so the clean-up
// never misses a new file and never removes one already renamed over a
// user's file.
#pragma once

#include <mutex>
#include <string>

// Creates a file from an mkstemp pattern ("…XXXXXX", completed in place) and
// records it. The open descriptor, or -1 with errno set.
int CreateTemporaryFile(std::string& pattern);

// Creates a folder from an mkdtemp pattern and records it. False with errno set.
bool CreateTemporaryFolder(std::string& pattern);

// Renames a recorded file over target and forgets it: 0, or the errno of the
// failed rename (the file then stays recorded).
int RenameTemporaryOver(const std::string& path, const std::string& target);

// Removes a recorded file, or a recorded folder with everything in it, and
// forgets it.
void RemoveTemporary(const std::string& path);

// Removes everything recorded. The lock it returns keeps every other thread
// from creating or renaming: a process about to end holds it to the end.
[[nodiscard]] std::unique_lock<std::mutex> RemoveAllTemporaryPaths();
