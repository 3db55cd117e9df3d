// The "連続JPEGﾍｯﾀﾞｰ最適化" dialog (resource 203): a modeless window that hands
// the files dropped on it to a CBatchOptimiser, runs each file's scan on the
// scanner thread with a progress window, and shows the log and the totals.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "optimise/BatchOptimiser.h"
#include "widgets/BatchLogDlg.h"
#include "widgets/HedScan.h"

namespace Ui {
class CBatchOptimiseDlg;
}

class CBatchOptimiseDlg : public CBatchLogDlg {
    Q_OBJECT

public:
    // The batch works with these, which outlive the dialog.
    CBatchOptimiseDlg(const CWorkFiles& work, const CSettingsStore& settings,
                      const std::vector<std::string>& keptCodes, QWidget* parent = nullptr);
    ~CBatchOptimiseDlg() override;

    bool IsBusy() const override { return m_scan.IsRunning() || m_bStartingNextFile; }

protected:
    void ProcessDrop(const std::vector<std::string>& paths) override;
    const std::string& BatchLog() const override { return m_strShownLog; }
    void ClearBatchLog() override;
    void OnLogChanged() override;
    void OnTotalsChanged() override;

private:
    // Takes one file from the queue; a file ended before its scan leaves the
    // next one for a later turn of the event loop, so the window keeps drawing.
    void StartNextFile();
    void PostNextFile();
    void OnScanFinished(EHedStatus status);

    std::unique_ptr<Ui::CBatchOptimiseDlg> m_ui;
    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    // The logs of the files that ended since the log was last emptied, and
    // what the log box shows: those and the file under way.
    std::string m_strEndedLog;
    std::string m_strShownLog;
    CBatchOptimiser m_batch;
    // From the drop or the end of a file until the next file's scan runs.
    bool m_bStartingNextFile = false;
    // After the batch, so it goes first: its thread writes the batch's record.
    CHedScan m_scan;
};
