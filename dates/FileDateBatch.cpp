#include "dates/FileDateBatch.h"

#include "settings/SettingsStore.h"
#include "util/DroppedFolders.h"
#include "util/ShellNotify.h"
#include "util/Stopwatch.h"

std::vector<CFileDateBatch::CFailure> CFileDateBatch::Apply(const std::vector<std::string>& paths,
                                                            const CFileTimes& moment,
                                                            const FileDone& onFile) const {
    std::vector<CFailure> failed;
    for (const std::string& path : ExpandDroppedFolders(paths)) {
        const CStopwatch stopwatch;
        // A folder left here held no JPEG file.
        const CTimesWritten written =
            IsFolder(path) ? CTimesWritten{} : SetFileTimesChecked(path, moment);
        if (written.result != CTimesWritten::EResult::Set) {
            failed.push_back({path, written});
        }
        if (onFile) {
            onFile({path, written, stopwatch.ElapsedMs()});
        }
    }
    NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
    return failed;
}
