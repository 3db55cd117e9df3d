// The "連続Exifﾊﾞｯｸｱｯﾌﾟ" dialog (resource 210): a modeless window that hands the
// files dropped on it to a CExifBackupBatch and shows its log.
#pragma once

#include <memory>

#include "exif/ExifBackupBatch.h"
#include "widgets/BatchLogDlg.h"

namespace Ui {
class CBatchExifBackupDlg;
}

class CBatchExifBackupDlg : public CBatchLogDlg {
    Q_OBJECT

public:
    // The batch works with these, which outlive the dialog.
    CBatchExifBackupDlg(const CWorkFiles& work, const CSettingsStore& settings, CExifEngine& exif,
                        QWidget* parent = nullptr);
    ~CBatchExifBackupDlg() override;

protected:
    void ProcessDrop(const std::vector<std::string>& paths) override { m_batch.ProcessDrop(paths); }
    const std::string& BatchLog() const override { return m_batch.Log(); }
    void ClearBatchLog() override { m_batch.ClearLog(); }

private:
    std::unique_ptr<Ui::CBatchExifBackupDlg> m_ui;
    CExifBackupBatch m_batch;
};
