// The main window's view: the document's picture at 100 %, scrolled. The
// picture is rendered once per decode into an off-screen copy; painting and
// scrolling only copy from it. Files dropped on it open the first one.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/PackedPicture.h"

class CBatchExifBackupDlg;
class CBatchExifEmbedDlg;
class CBatchFileDateDlg;
class CBatchOptimiseDlg;
class CProgressDlg;
class CQuorvelDoc;

// Bytes per rendered row: three per pixel plus width mod 4 bytes of padding,
// which makes every row a multiple of four bytes.
int64_t RenderRowBytes(int32_t width);

// The picture as a 24-bit image with rows of RenderRowBytes (null for a
// picture without pixels). It may share the picture's pixels: use it before
// the picture changes.
QImage PaddedPictureImage(const CPackedPicture& picture);

class CQuorvelView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CQuorvelView(CQuorvelDoc& document, QWidget* parent = nullptr);
    ~CQuorvelView() override;

    // Takes drops, sizes the scroll bars and renders the document's picture.
    void OnInitialUpdate();

    void OnEditCopy();
    void OnFileSaveAs();
    // The wizard on the document's file; after its Finish the document reads
    // its file again, which a save under a new name made the document's.
    void OnOptimiseWizard();
    // Show the batch dialog, created on first use; it keeps its contents
    // until the view goes.
    void OnBatchOptimise();
    void OnBatchExifBackup();
    void OnBatchExifEmbed();
    void OnBatchFileDates();
    // The dates of the document's file, picked in a modal dialog.
    void OnFileDates();
    // The conversion to a sample picture's layout, in a modal dialog.
    void OnSampleLayout();
    // Copies the document's file to path and makes the copy the document's
    // file. False, and nothing else done, when the copy fails.
    bool SaveCopyAs(const std::string& path);

    bool HasOffscreenCopy() const { return !m_pixOffscreen.isNull(); }

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Render();
    void SetScrollSizes();
    void UpdateScrollRanges();

    CQuorvelDoc& m_doc;
    // Null while there is no off-screen copy.
    QPixmap m_pixOffscreen;
    QSize m_sizeTotal;
    // Null until first shown; children of the view.
    CBatchExifBackupDlg* m_pExifBackupDlg = nullptr;
    CBatchExifEmbedDlg* m_pExifEmbedDlg = nullptr;
    CBatchOptimiseDlg* m_pOptimiseDlg = nullptr;
    CBatchFileDateDlg* m_pFileDatesDlg = nullptr;
    // While a long decode for display runs.
    std::unique_ptr<CProgressDlg> m_pDecodeProgress;
};
