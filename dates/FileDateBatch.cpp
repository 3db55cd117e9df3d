#include "dates/FileDateBatch.h"

#include "settings/SettingsStore.h"
#include "util/DroppedFolders.h"
#include "util/ShellNotify.h"

std::vector<CFileDateBatch::CFailure> CFileDateBatch::Apply(const std::vector<std::string>& paths,
                                                            const CFileTimes& moment) const {
    std::vector<CFailure> failed;
    for (const std::string& path : ExpandDroppedFolders(paths)) {
        // A folder left here held no JPEG file.
        const CTimesWritten written =
            IsFolder(path) ? CTimesWritten{} : SetFileTimesChecked(path, moment);
        if (written.result != CTimesWritten::EResult::Set) {
            failed.push_back({path, written});
        }
    }
    NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
    return failed;
}
