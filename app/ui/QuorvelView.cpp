#include "app/ui/QuorvelView.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <cstring>
#include <filesystem>
#include <utility>

#include "app/DocImageEvent.h"
#include "app/QuorvelDoc.h"
#include "app/ui/KestrinProSeet.h"
#include "dates/ui/BatchFileDateDlg.h"
#include "dates/ui/FileDateDlg.h"
#include "exif/ui/BatchExifBackupDlg.h"
#include "exif/ui/BatchExifEmbedDlg.h"
#include "exif/ui/SampleConvertDlg.h"
#include "optimise/WizardSession.h"
#include "optimise/ui/BatchOptimiseDlg.h"
#include "util/MessageSink.h"
#include "util/SafeReplace.h"
#include "widgets/CommandGuard.h"
#include "widgets/DroppedFiles.h"
#include "widgets/ProgressDlg.h"

namespace {

// Shows the batch dialog held in dialog, created first from arguments and
// owner when there is none yet.
template <typename Dialog, typename... Arguments>
void ShowBatchDialog(Dialog*& dialog, QWidget* owner, Arguments&&... arguments) {
    if (dialog == nullptr) {
        dialog = new Dialog(std::forward<Arguments>(arguments)..., owner);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void FreePaddedBits(void* bits) {
    delete[] static_cast<uint8_t*>(bits);
}

}  // namespace

int64_t RenderRowBytes(int32_t width) {
    return int64_t{width} * 3 + width % 4;
}

QImage PaddedPictureImage(const CPackedPicture& picture) {
    const int32_t width = picture.m_nWidth;
    const int32_t height = picture.m_nHeight;
    const auto packedRow = static_cast<size_t>(width) * 3;
    if (picture.m_pBits.size() < packedRow * static_cast<size_t>(height)) {
        return {};
    }
    const int64_t rowBytes = RenderRowBytes(width);
    if (width % 4 == 0) {
        // Packed rows already end on four-byte boundaries: use them in place.
        return QImage(picture.m_pBits.data(), width, height, rowBytes, QImage::Format_BGR888);
    }
    auto* bits = new uint8_t[static_cast<size_t>(rowBytes * height)];
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bits + y * rowBytes;
        std::memcpy(row, picture.m_pBits.data() + y * packedRow, packedRow);
        std::memset(row + packedRow, 0, static_cast<size_t>(rowBytes) - packedRow);
    }
    return QImage(bits, width, height, rowBytes, QImage::Format_BGR888, FreePaddedBits, bits);
}

CQuorvelView::CQuorvelView(CQuorvelDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(document) {
    m_doc.AddView(this);
    connect(&m_doc, &CQuorvelDoc::LongDecodeStarted, this, [this] {
        m_pDecodeProgress =
            std::make_unique<CProgressDlg>(QStringLiteral("JPEGﾌｧｲﾙを読み込み中です..."), this);
        m_pDecodeProgress->show();
    });
    connect(&m_doc, &CQuorvelDoc::DecodeEnded, this, [this] { m_pDecodeProgress.reset(); });
}

CQuorvelView::~CQuorvelView() = default;

void CQuorvelView::OnInitialUpdate() {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    SetScrollSizes();
    Render();
}

void CQuorvelView::customEvent(QEvent* event) {
    if (event->type() != CDocImageEvent::EventType()) {
        QAbstractScrollArea::customEvent(event);
        return;
    }
    const EDocImageCode code = static_cast<CDocImageEvent*>(event)->Code();
    if (code == EDocImageCode::DropCache) {
        m_pixOffscreen = QPixmap();
        viewport()->update();
    } else if (code == EDocImageCode::Stored) {
        Render();
        SetScrollSizes();
    }
}

void CQuorvelView::Render() {
    // Converted straight into the off-screen copy; a picture without pixels
    // leaves it white.
    const CPackedPicture& picture = m_doc.Picture();
    const QImage image = PaddedPictureImage(picture);
    if (image.isNull()) {
        m_pixOffscreen = QPixmap(picture.m_nWidth, picture.m_nHeight);
        m_pixOffscreen.fill(Qt::white);
    } else {
        m_pixOffscreen = QPixmap::fromImage(image);
    }
    viewport()->update();
}

void CQuorvelView::SetScrollSizes() {
    const CPackedPicture& picture = m_doc.Picture();
    m_sizeTotal = QSize(picture.m_nWidth, picture.m_nHeight);
    horizontalScrollBar()->setPageStep(picture.m_nWidth / 2);
    verticalScrollBar()->setPageStep(picture.m_nHeight / 2);
    horizontalScrollBar()->setSingleStep(picture.m_nWidth / 50);
    verticalScrollBar()->setSingleStep(picture.m_nHeight / 50);
    UpdateScrollRanges();
}

void CQuorvelView::UpdateScrollRanges() {
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, m_sizeTotal.width() - visible.width()));
    verticalScrollBar()->setRange(0, qMax(0, m_sizeTotal.height() - visible.height()));
}

void CQuorvelView::paintEvent(QPaintEvent* event) {
    if (m_pixOffscreen.isNull()) {
        return;
    }
    QPainter painter(viewport());
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRect target = event->rect();
    painter.drawPixmap(target, m_pixOffscreen, target.translated(offset));
}

void CQuorvelView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void CQuorvelView::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

void CQuorvelView::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFileDrag(event);
}

void CQuorvelView::dragMoveEvent(QDragMoveEvent* event) {
    AcceptFileDrag(event);
}

void CQuorvelView::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedPaths(event->mimeData());
    if (files.empty()) {
        return;
    }
    const std::string& first = files.front();
    RunCommandShowingError([this, &first] { m_doc.OpenPicture(first); });
    event->acceptProposedAction();
}

void CQuorvelView::OnEditCopy() {
    // Qt opens, empties and closes the clipboard itself and reports none of
    // those steps; what it can tell is whether the picture arrived.
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(PaddedPictureImage(m_doc.Picture()).convertToFormat(QImage::Format_RGB32));
    const QMimeData* held = clipboard->mimeData();
    if (held == nullptr || !held->hasImage()) {
        ShowMessage("ｸﾘｯﾌﾟﾎﾞｰﾄﾞ張り付けｴﾗｰ");
    }
}

void CQuorvelView::OnFileSaveAs() {
    // Offers the picture's own folder and name; replacing a file is asked first.
    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"),
                       QString::fromStdString(m_doc.PathName()),
                       QStringLiteral("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    SaveCopyAs(dialog.selectedFiles().first().toStdString());
}

void CQuorvelView::OnOptimiseWizard() {
    const auto& status = m_doc.Status();
    CWizardSession session(m_doc.WorkFiles(), m_doc.Settings(), m_doc.KeptHeaderCodes(),
                           m_doc.ExifEngine(),
                           {m_doc.PathName(), &m_doc.Picture(),
                            status ? std::optional<CFileTimes>(status->m_times) : std::nullopt});
    CKestrinProSeet sheet(session, this);
    sheet.setWindowTitle(QStringLiteral("JPEGﾍｯﾀﾞｰ情報の編集"));
    if (sheet.exec() == QDialog::Accepted) {
        m_doc.OpenPicture(session.DocumentPath());
    }
}

bool CQuorvelView::SaveCopyAs(const std::string& path) {
    // Written beside the target and renamed over it, so a failed copy leaves
    // an existing file whole; the file itself as target is left untouched.
    std::error_code error;
    const bool sameFile = std::filesystem::equivalent(m_doc.PathName(), path, error);
    if (!sameFile) {
        const CWriteOutcome written = CopyFileSafely(m_doc.PathName(), path);
        if (!written) {
            ShowMessage(written.failure);
            return false;
        }
    }
    m_doc.DecodeForDisplay(path);
    m_doc.SetPathName(path);
    return true;
}

void CQuorvelView::OnBatchOptimise() {
    ShowBatchDialog(m_pOptimiseDlg, this, m_doc.WorkFiles(), m_doc.Settings(),
                    m_doc.KeptHeaderCodes());
}

void CQuorvelView::OnBatchExifBackup() {
    ShowBatchDialog(m_pExifBackupDlg, this, m_doc.WorkFiles(), m_doc.Settings(),
                    m_doc.ExifEngine());
}

void CQuorvelView::OnBatchExifEmbed() {
    ShowBatchDialog(m_pExifEmbedDlg, this, m_doc.WorkFiles(), m_doc.Settings(), m_doc.ExifEngine());
}

void CQuorvelView::OnBatchFileDates() {
    ShowBatchDialog(m_pFileDatesDlg, this, m_doc.Settings());
}

void CQuorvelView::OnFileDates() {
    // The command is only enabled while a picture is shown; a path is there then.
    if (!m_doc.PathName().empty()) {
        ChangeFileDates(m_doc.PathName(), this);
    }
}

void CQuorvelView::OnSampleLayout() {
    CSampleConvertDlg dialog(m_doc.WorkFiles(), m_doc.ExifEngine(), this);
    dialog.exec();
}
