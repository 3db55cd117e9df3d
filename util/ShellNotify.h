// Telling the file manager that files changed. Linux file managers watch
// their folders themselves, so nothing is sent here; the calls are counted so
// that tests can see when the program would have notified.
#pragma once

enum class EShellNotice { FolderUpdated, AssociationsChanged };

void NotifyFileManager(EShellNotice notice);

class CSettingsStore;
// Notifies unless the setting expchk turns notices off.
void NotifyFileManagerUnlessOff(const CSettingsStore& settings, EShellNotice notice);

// How many notices of this kind were given since the program started.
int FileManagerNoticeCount(EShellNotice notice);
