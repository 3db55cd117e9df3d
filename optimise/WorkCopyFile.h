// The batch's work copy of a dropped file is a temporary file of its own,
// which nobody else writes to: the Exif cut changes it where it lies, the
// scan and the writer of the result read it mapped, and the saving copies
// it, so that a large file's bytes are never held in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "exif/MpfIndex.h"
#include "util/FileBytes.h"

class CFileHandle;
class CMappedFile;

// Copies dropped into work, a file just made and open for writing, a block at
// a time. The length copied; nothing when dropped cannot be opened or read. A
// write error throws CFileException.
std::optional<uint64_t> CopyToWorkFile(const std::string& dropped, const CFileHandle& work);

// Puts kept in place of the bytes [2, cutEnd) of the file at path, moving
// what follows a block at a time. Errors throw CFileException.
void ReplaceBehindStart(const std::string& path, uint64_t cutEnd, const ByteVector& kept);

// RepointMpfIndex on the file at path, read through its mapping mapped:
// the few changed bytes are written into the file, which the mapping then
// shows. False where RepointMpfIndex is; a write error throws CFileException.
bool RepointMpfIndexInFile(const std::string& path, const CMappedFile& mapped,
                           const CMpfLayout& original);
