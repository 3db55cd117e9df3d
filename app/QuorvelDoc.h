// The one document of the window program: the picture on display, the file it
// came from, the work files, the kept-header list and the Exif engine. Views
// register with it and hear about every decode through CDocImageEvent.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dates/FileTimes.h"
#include "exif/ExifEngine.h"
#include "imaging/DocImageObserver.h"
#include "imaging/PackedPicture.h"
#include "util/WorkFiles.h"

class CSettingsStore;

// Follows the path of a file that cannot be opened.
inline constexpr const char* kCannotOpenFile = "ﾌｧｲﾙを開けません";

// What the document knows of its file besides the name.
struct CFileStatus {
    CFileTimes m_times;
    int64_t m_nSize = 0;
};

class CQuorvelDoc : public QObject, private IDocImageObserver {
    Q_OBJECT

public:
    // Loads the kept-header list (creating an empty list file when missing)
    // and the Exif dictionary from the list files of files.
    CQuorvelDoc(const CWorkFiles& files, CSettingsStore& settings, QObject* parent = nullptr);
    // Deletes the three scratch files, each only when it can be opened.
    ~CQuorvelDoc() override;

    void AddView(QObject* view);

    // Decodes path for display, telling the views before the picture changes
    // and after. A failed decode keeps the previous picture, and the views
    // show it again. The decode runs on a thread of its own while the window's
    // loop turns without user input (paints and timers go on, clicks and keys
    // wait), under the wait cursor; past a moment LongDecodeStarted lets the
    // view show progress until DecodeEnded.
    bool DecodeForDisplay(const std::string& path);
    // Makes path (as an absolute path) the document's file and reads its status.
    void SetPathName(const std::string& path);
    // Decodes path and makes it the document's file. A file that does not
    // decode changes nothing but the message it gets: the previous picture
    // stays on show under its own name.
    bool OpenPicture(const std::string& path);

    // Width and height both other than 1.
    bool IsLoaded() const;
    const CPackedPicture& Picture() const { return m_picture; }
    const std::string& PathName() const { return m_strPathName; }
    const std::optional<CFileStatus>& Status() const { return m_status; }
    const CWorkFiles& WorkFiles() const { return m_workFiles; }
    const std::vector<std::string>& KeptHeaderCodes() const { return m_keptHeaderCodes; }
    CExifEngine& ExifEngine() { return m_exifEngine; }
    CSettingsStore& Settings() const { return m_settings; }
    // Reads the kept-header list file again, after its dialog changed it.
    void ReloadKeptHeaderCodes();

signals:
    // The picture or the file name changed.
    void Changed();
    // A file became the document's file; it belongs on the recent-file list.
    void PathNameSet(const QString& path);
    // A decode for display has run a moment and goes on; DecodeEnded follows.
    void LongDecodeStarted();
    void DecodeEnded();

private:
    void OnDocImage(EDocImageCode code) override;
    // Runs decode on a worker thread; see DecodeForDisplay.
    bool DecodeOffTheWindow(const std::function<bool()>& decode);
    void DeleteScratchFiles() const;

    CWorkFiles m_workFiles;
    CSettingsStore& m_settings;
    CExifEngine m_exifEngine;
    std::vector<std::string> m_keptHeaderCodes;
    CPackedPicture m_picture;
    std::string m_strPathName;
    std::optional<CFileStatus> m_status;
    QList<QPointer<QObject>> m_views;
};
