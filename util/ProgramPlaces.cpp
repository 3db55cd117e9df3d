#include "util/ProgramPlaces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "util/FileError.h"
#include "util/FileHelpers.h"
#include "util/InstallLayout.h"
#include "util/SafeReplace.h"

namespace {

constexpr const char* kListFiles[] = {"nok_code.pdt", "exif_inf.pdt"};
// The user's folders carry the settings store's organisation and program names.
constexpr const char* kUserSubfolder = "marvoke/KestrinJPEG/";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string AsFolder(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

// An XDG base folder counts only when it is an absolute path.
std::string BaseFolder(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') {
        return AsFolder(value);
    }
    return AsFolder(home) + fallback;
}

// By the folder's permission bits first: a folder made read-only is not ours
// to write even for root, whom access() lets through. access() then adds
// what the bits do not show, such as a drive mounted read-only.
bool IsWritableFolder(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return false;
    }
    mode_t writeBit = S_IWOTH;
    if (status.st_uid == ::geteuid()) {
        writeBit = S_IWUSR;
    } else if (status.st_gid == ::getegid()) {
        writeBit = S_IWGRP;
    }
    return (status.st_mode & writeBit) != 0 &&
           ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

// The build copies the Exif tag dictionary beside the programs, and so does
// whoever unpacks the program with its data into one folder; an installation
// under a prefix keeps it in the shared data folder instead.
bool HoldsDataBesidePrograms(const std::string& programFolder) {
    return !programFolder.empty() && FileExists(programFolder + kListFiles[1]);
}

void MakePrivateFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw CFileException(folder, error.value());
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
}

}  // namespace

CProgramPlaces PlacesBesidePrograms(const std::string& folder) {
    return {folder, folder, folder, false};
}

CPlaceInputs CurrentPlaceInputs() {
    return {GetProgramFolder(),
            kInstalledDataFromPrograms,
            Environment("HOME"),
            Environment("XDG_DATA_HOME"),
            Environment("XDG_RUNTIME_DIR"),
            Environment("XDG_CACHE_HOME")};
}

CProgramPlaces DecideProgramPlaces(const CPlaceInputs& inputs) {
    const std::string& programs = inputs.m_strProgramFolder;
    const bool dataBeside = HoldsDataBesidePrograms(programs);
    if (dataBeside && IsWritableFolder(programs)) {
        return PlacesBesidePrograms(programs);
    }
    CProgramPlaces places;
    places.m_bInstalled = true;
    places.m_strDataFolder =
        dataBeside ? programs
                   : AsFolder((std::filesystem::path(programs) / inputs.m_strInstalledData)
                                  .lexically_normal()
                                  .string());
    places.m_strListFolder =
        BaseFolder(inputs.m_strDataHome, inputs.m_strHome, ".local/share/") + kUserSubfolder;
    // The runtime folder is private to the user and emptied at log-out: the
    // place for a lock. Without one, the cache folder serves.
    places.m_strWorkFolder =
        inputs.m_strRuntimeDir.empty() || inputs.m_strRuntimeDir.front() != '/'
            ? BaseFolder(inputs.m_strCacheHome, inputs.m_strHome, ".cache/") + kUserSubfolder
            : AsFolder(inputs.m_strRuntimeDir) + kUserSubfolder;
    return places;
}

void PrepareProgramPlaces(const CProgramPlaces& places) {
    if (!places.m_bInstalled) {
        return;
    }
    MakePrivateFolder(places.m_strListFolder);
    MakePrivateFolder(places.m_strWorkFolder);
    for (const char* name : kListFiles) {
        const std::string target = places.m_strListFolder + name;
        if (!FileExists(target)) {
            ReplaceFileWithCopy(places.m_strDataFolder + name, target);
        }
    }
}

CProgramPlaces FindProgramPlaces() {
    CProgramPlaces places = DecideProgramPlaces(CurrentPlaceInputs());
    PrepareProgramPlaces(places);
    return places;
}
