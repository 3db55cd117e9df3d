// Where the programs find their shipped data, the user's list files and their
// work files. Run from the build tree, all of it stays beside the programs. A
// program that cannot write beside itself (installed under a prefix, or
// unpacked with its data into a folder the user may not write) reads its
// shipped data where they lie (the installed data folder, or beside the
// programs), keeps the list files the user may change in the user's data
// folder and the lock and work files in the runtime or cache folder.
#pragma once

#include <string>

struct CProgramPlaces {
    // The two list files (kept-header list, Exif tag dictionary); writable.
    std::string m_strListFolder;
    // The shipped read-only files: the help and the sample picture.
    std::string m_strDataFolder;
    // The lock file and the window's scratch files.
    std::string m_strWorkFolder;
    // True when the list and work folders are the user's, not the program's.
    bool m_bInstalled = false;
};

// What the decision depends on, so that a test can give any of it.
struct CPlaceInputs {
    // The folder of the running program, ending in "/".
    std::string m_strProgramFolder;
    // The installed data folder relative to the program folder ("../share/kestrin/").
    std::string m_strInstalledData;
    // The environment: HOME and the XDG base folders (empty when unset).
    std::string m_strHome;
    std::string m_strDataHome;
    std::string m_strRuntimeDir;
    std::string m_strCacheHome;
};

// Everything in folder (ending in "/"), as in the build tree.
CProgramPlaces PlacesBesidePrograms(const std::string& folder);

// The inputs of the running program and its environment.
CPlaceInputs CurrentPlaceInputs();

// Everything stays beside the programs when their folder holds the Exif tag
// dictionary and its permissions let the user write it (the build tree);
// otherwise the user's folders serve. Every folder name ends in "/".
CProgramPlaces DecideProgramPlaces(const CPlaceInputs& inputs);

// For an installed program: makes the user's folders (mode 0700) and copies
// each list file that is not there yet from the shipped data. Nothing to do
// in the build tree. Throws CFileException naming the folder or file that
// could not be made or read, and why.
void PrepareProgramPlaces(const CProgramPlaces& places);

// The places of the running program, prepared.
CProgramPlaces FindProgramPlaces();
