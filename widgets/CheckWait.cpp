#include "widgets/CheckWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>

#include "widgets/ProgressDlg.h"

namespace {

const char kChecking[] = "JPEGの読込を確認中です...";
// A wait shorter than this shows no window that would only flash.
constexpr int kProgressAfterMs = 300;

}  // namespace

void WaitForCheck(QWidget* progressParent, const std::function<bool()>& pending) {
    if (!pending()) {
        return;
    }
    std::unique_ptr<CProgressDlg> progress;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&progress, progressParent] {
        progress = std::make_unique<CProgressDlg>(QString::fromUtf8(kChecking), progressParent);
        progress->show();
    });
    if (progressParent != nullptr) {
        later.start(kProgressAfterMs);
    }
    while (pending()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
}
