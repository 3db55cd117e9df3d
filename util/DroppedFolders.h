// What a folder dropped on a batch window or named on the command line stands
// for: the JPEG files inside it, as if each had been dropped on its own.
#pragma once

#include <string>
#include <vector>

// The paths with every folder replaced by the JPEG files below it (names that
// HasJpgName accepts), depth first, each folder's entries in byte order of
// their names. Inside a folder only regular files are taken and only real
// folders are entered: a symbolic link is skipped, so no loop of links and no
// place outside the dropped folder is ever reached. A folder named itself may
// be a link. A folder with no JPEG file below it, or one that cannot be read,
// stays in the list as itself; expanding a list twice gives the same list.
std::vector<std::string> ExpandDroppedFolders(const std::vector<std::string>& paths);

// A file an expansion found, and its place: the path below the parent of
// what was given ("photos/2020/a.jpg" for a file inside the given folder
// "photos", "a.jpg" for a given file "x/a.jpg"), for mirroring elsewhere.
struct CDroppedFile {
    std::string m_strPath;
    std::string m_strPlace;
};

// The same expansion, each file with its place. The folder skip (when not
// empty) is not entered: an output folder inside a given one is no input.
std::vector<CDroppedFile> ExpandDroppedFoldersWithPlaces(const std::vector<std::string>& paths,
                                                         const std::string& skip);

// True for a folder, or a link to one: after the expansion, a folder that
// held no JPEG file, which a batch logs with NoJpegFilesLine and skips.
bool IsFolder(const std::string& path);

// The log lines of a folder without JPEG files.
std::string NoJpegFilesLine(const std::string& folder);
