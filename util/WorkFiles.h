// The five work files of a window or a worker. Core objects receive them and
// never build a path of their own.
#pragma once

#include <string>

struct CWorkFiles {
    // The binary work copy of the file being processed.
    std::string m_strTempData;
    // The hex text of the changed segment list.
    std::string m_strTempHexa;
    // The kept-header list and the Exif tag dictionary.
    std::string m_strNokCode;
    std::string m_strExifInf;
    // The Exif block cut out of the work copy.
    std::string m_strExifDat;
};

// The list files from listFolder and the three scratch files in scratchFolder;
// both folder names end in "/".
CWorkFiles MakeWorkFiles(const std::string& listFolder, const std::string& scratchFolder);
