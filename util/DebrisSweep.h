// What runs that were killed (kill -9, a power cut) left behind: the
// temporary file beside a user's file that was being replaced, and the
// private scratch folders of the command line and of a second window. Their
// names carry the id of
// the process that made them, so a later run can tell debris from the files
// of a run still at work; nothing without such a name is ever touched.
#pragma once

#include <string>
#include <vector>

// The mkstemp pattern of the temporary file beside path.
std::string TemporaryPatternBeside(const std::string& path);

// The mkdtemp pattern of a command-line scratch folder inside folder.
std::string ScratchFolderPattern(const std::string& folder);

// The mkdtemp pattern of a second window's scratch folder inside folder.
std::string WindowScratchFolderPattern(const std::string& folder);

// Removes the files in folder named by TemporaryPatternBeside (regular files
// only) and the folders named by either scratch folder pattern, when they belong to
// this user and the process their name gives has ended. Every failure leaves
// the entry as it was.
void SweepDebris(const std::string& folder);

// SweepDebris on the system's temporary folder, when there is one.
void SweepTemporaryFolderDebris();

// SweepDebris on the folder of each file, each folder once.
void SweepDebrisBeside(const std::vector<std::string>& files);
