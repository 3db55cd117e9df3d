#include "app/QuorvelDoc.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <thread>
#include <utility>

#include "app/DocImageEvent.h"
#include "segment/KeptHeaderList.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"

namespace {

// A decode shorter than this shows no progress window that would only flash.
constexpr int kProgressAfterMs = 300;

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

// Runs each notification of a decode on a worker on receiver's thread, and
// waits there until it was handled.
class CWindowThreadRelay : public IDocImageObserver {
public:
    CWindowThreadRelay(QObject* receiver, std::function<void(EDocImageCode)> handle)
        : m_pReceiver(receiver), m_handle(std::move(handle)) {}

    void OnDocImage(EDocImageCode code) override {
        QMetaObject::invokeMethod(
            m_pReceiver, [this, code] { m_handle(code); }, Qt::BlockingQueuedConnection);
    }

private:
    QObject* m_pReceiver;
    std::function<void(EDocImageCode)> m_handle;
};

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

// The decode's two notifications come from the worker and are handled here,
// while it waits: the views drop their drawing cache before the decode (its
// memory is free for the new picture), and the decoded picture becomes the
// document's on this thread just before they hear it was stored. The shown
// picture never changes under a paint.
bool CQuorvelDoc::DecodeForDisplay(const std::string& path) {
    CPackedPicture decoded;
    CWindowThreadRelay relay(this, [this, &decoded](EDocImageCode code) {
        if (code == EDocImageCode::Stored) {
            m_picture = std::move(decoded);
        }
        OnDocImage(code);
    });
    bool ok = false;
    {
        const CWaitCursor wait;
        ok = DecodeOffTheWindow([&] { return DecodeJpegForDocument(path, decoded, relay); });
    }
    if (!ok) {
        OnDocImage(EDocImageCode::Stored);
    }
    emit Changed();
    return ok;
}

bool CQuorvelDoc::DecodeOffTheWindow(const std::function<bool()>& decode) {
    bool ok = false;
    bool progressShown = false;
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer::singleShot(kProgressAfterMs, &loop, [this, &progressShown] {
        progressShown = true;
        emit LongDecodeStarted();
    });
    {
        // What the decode throws goes to the caller's command boundary on
        // this thread, as it did before the decode had a thread of its own.
        const std::jthread worker([&] {
            try {
                ok = decode();
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (progressShown) {
        emit DecodeEnded();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return ok;
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
