// Where one window keeps its three scratch files (the work copy, its hex text
// and the cut-out Exif block). The first window holds a lock file in the
// work folder (the program folder in the build tree) and keeps them there; a window started while
// another one runs gets a private folder under the user's temporary folder instead, so two windows
// never share a work copy and one can never save the other's.
#pragma once

#include <string>

class CScratchPlace {
public:
    // lockFolder ends in "/". Throws CFileException when neither the
    // lock can be taken nor a private folder be made.
    explicit CScratchPlace(const std::string& lockFolder);
    CScratchPlace(const CScratchPlace&) = delete;
    CScratchPlace& operator=(const CScratchPlace&) = delete;
    // Releases the lock, or removes the private folder with what is left in it.
    ~CScratchPlace();

    // The folder of the scratch files, ending in "/".
    const std::string& Folder() const { return m_strFolder; }
    bool IsPrivate() const { return m_bPrivate; }

private:
    bool TakeLock(const std::string& lockFolder);
    void MakePrivateFolder();

    int m_nLockFd = -1;
    bool m_bPrivate = false;
    std::string m_strFolder;
};
