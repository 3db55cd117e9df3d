#include "util/ShellNotify.h"

#include <atomic>

#include "settings/SettingsStore.h"

namespace {

std::atomic<int> g_folderUpdated{0};
std::atomic<int> g_associationsChanged{0};

std::atomic<int>& CounterOf(EShellNotice notice) {
    return notice == EShellNotice::FolderUpdated ? g_folderUpdated : g_associationsChanged;
}

}  // namespace

void NotifyFileManager(EShellNotice notice) {
    ++CounterOf(notice);
}

int FileManagerNoticeCount(EShellNotice notice) {
    return CounterOf(notice).load();
}

void NotifyFileManagerUnlessOff(const CSettingsStore& settings, EShellNotice notice) {
    if (settings.Read(settings::kExpChk) == 0) {
        NotifyFileManager(notice);
    }
}
