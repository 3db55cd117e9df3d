#include "util/WorkFiles.h"

CWorkFiles MakeWorkFiles(const std::string& listFolder, const std::string& scratchFolder) {
    CWorkFiles files;
    files.m_strTempData = scratchFolder + "tempdata.jpg";
    files.m_strTempHexa = scratchFolder + "temphexa.pdt";
    files.m_strNokCode = listFolder + "nok_code.pdt";
    files.m_strExifInf = listFolder + "exif_inf.pdt";
    files.m_strExifDat = scratchFolder + "exif_dat.pdt";
    return files;
}
