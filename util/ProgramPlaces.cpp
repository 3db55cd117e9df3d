#include "util/ProgramPlaces.h"

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

// By the folder's permission bits, not access(): a folder made read-only is
// not ours to write even for root, whom access() would always let through.
bool IsWritableFolder(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return false;
    }
    if (status.st_uid == ::geteuid()) {
        return (status.st_mode & S_IWUSR) != 0;
    }
    if (status.st_gid == ::getegid()) {
        return (status.st_mode & S_IWGRP) != 0;
    }
    return (status.st_mode & S_IWOTH) != 0;
}

bool IsBuildTree(const std::string& programFolder) {
    return !programFolder.empty() && IsWritableFolder(programFolder) &&
           FileExists(programFolder + kListFiles[1]);
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
    if (IsBuildTree(inputs.m_strProgramFolder)) {
        return PlacesBesidePrograms(inputs.m_strProgramFolder);
    }
    CProgramPlaces places;
    places.m_bInstalled = true;
    places.m_strDataFolder =
        AsFolder((std::filesystem::path(inputs.m_strProgramFolder) / inputs.m_strInstalledData)
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
