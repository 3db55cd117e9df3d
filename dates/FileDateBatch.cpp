#include "dates/FileDateBatch.h"

#include "settings/SettingsStore.h"
#include "util/DroppedFolders.h"
#include "util/ShellNotify.h"

std::vector<std::string> CFileDateBatch::Apply(const std::vector<std::string>& paths,
                                               const CFileTimes& moment) const {
    std::vector<std::string> failed;
    for (const std::string& path : ExpandDroppedFolders(paths)) {
        if (IsFolder(path) || !ReadFileTimes(path) || !WriteFileTimes(path, moment)) {
            failed.push_back(path);
        }
    }
    NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
    return failed;
}
