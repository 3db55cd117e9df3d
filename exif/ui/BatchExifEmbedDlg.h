// The "連続Exif情報埋め込み" dialog (resource 207): a modeless window that hands the
// files dropped on it to a CExifEmbedBatch and shows its log.
#pragma once

#include <memory>

#include "exif/ExifEmbedBatch.h"
#include "widgets/BatchLogDlg.h"

namespace Ui {
class CBatchExifEmbedDlg;
}

class CBatchExifEmbedDlg : public CBatchLogDlg {
    Q_OBJECT

public:
    // The batch works with these, which outlive the dialog.
    CBatchExifEmbedDlg(const CWorkFiles& work, const CSettingsStore& settings, CExifEngine& exif,
                       QWidget* parent = nullptr);
    ~CBatchExifEmbedDlg() override;

protected:
    void ProcessDrop(const std::vector<std::string>& paths) override { m_batch.ProcessDrop(paths); }
    const std::string& BatchLog() const override { return m_batch.Log(); }
    void ClearBatchLog() override { m_batch.ClearLog(); }

private:
    std::unique_ptr<Ui::CBatchExifEmbedDlg> m_ui;
    CExifEmbedBatch m_batch;
};
