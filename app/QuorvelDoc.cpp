#include "app/QuorvelDoc.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <filesystem>

#include "app/DocImageEvent.h"
#include "segment/KeptHeaderList.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"

namespace {

// The wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

std::optional<CFileStatus> ReadFileStatus(const std::string& path) {
    const std::optional<CFileTimes> times = ReadFileTimes(path);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!times || error) {
        return std::nullopt;
    }
    return CFileStatus{*times, static_cast<int64_t>(size)};
}

// Only a file that can be opened is deleted; one that cannot is left alone
// without a message.
void DeleteIfOpenable(const std::string& path) {
    if (FileExists(path)) {
        std::remove(path.c_str());
    }
}

}  // namespace

CQuorvelDoc::CQuorvelDoc(const CWorkFiles& files, CSettingsStore& settings, QObject* parent)
    : QObject(parent),
      m_workFiles(files),
      m_settings(settings),
      m_exifEngine(files.m_strExifInf, "."),
      m_keptHeaderCodes(LoadKeptHeaderCodes(files.m_strNokCode)) {}

CQuorvelDoc::~CQuorvelDoc() {
    m_picture = CPackedPicture{};
    m_keptHeaderCodes.clear();
    DeleteScratchFiles();
}

void CQuorvelDoc::AddView(QObject* view) {
    m_views.append(QPointer<QObject>(view));
}

bool CQuorvelDoc::DecodeForDisplay(const std::string& path) {
    bool decoded = false;
    {
        const CWaitCursor wait;
        decoded = DecodeJpegForDocument(path, m_picture, *this);
    }
    if (!decoded) {
        OnDocImage(EDocImageCode::Stored);
    }
    emit Changed();
    return decoded;
}

bool CQuorvelDoc::OpenPicture(const std::string& path) {
    if (!DecodeForDisplay(path)) {
        ShowMessage(path + "\r\n" + kCannotOpenFile);
        return false;
    }
    SetPathName(path);
    return true;
}

void CQuorvelDoc::SetPathName(const std::string& path) {
    m_strPathName = AbsolutePath(path);
    m_status = ReadFileStatus(m_strPathName);
    emit PathNameSet(QString::fromStdString(m_strPathName));
    emit Changed();
}

bool CQuorvelDoc::IsLoaded() const {
    return m_picture.m_nWidth != 1 && m_picture.m_nHeight != 1;
}

void CQuorvelDoc::ReloadKeptHeaderCodes() {
    m_keptHeaderCodes = LoadKeptHeaderCodes(m_workFiles.m_strNokCode);
}

void CQuorvelDoc::OnDocImage(EDocImageCode code) {
    // Synchronous: every view has handled the code before the decode goes on.
    CDocImageEvent event(code);
    for (const QPointer<QObject>& view : m_views) {
        if (view) {
            QCoreApplication::sendEvent(view, &event);
        }
    }
}

void CQuorvelDoc::DeleteScratchFiles() const {
    DeleteIfOpenable(m_workFiles.m_strTempHexa);
    DeleteIfOpenable(m_workFiles.m_strTempData);
    DeleteIfOpenable(m_workFiles.m_strExifDat);
}
