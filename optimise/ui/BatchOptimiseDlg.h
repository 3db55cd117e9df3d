// The "連続JPEGﾍｯﾀﾞｰ最適化" dialog (resource 203): a modeless window that hands
// the files dropped on it to a CBatchOptimiser, runs each file's scan on the
// scanner thread with a progress window, and shows the log and the totals.
// The file work before and after each scan (reading, cutting and writing the
// file, the checks that decode it) runs on a check thread of its own while
// the window waits for it, as the wizard waits for its checks; what the batch
// tells meanwhile is shown on the window's thread while the batch waits.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "optimise/BatchOptimiser.h"
#include "widgets/BatchLogDlg.h"
#include "widgets/HedScan.h"
#include "widgets/WizardCheckRun.h"

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

    bool IsBusy() const override {
        return m_scan.IsRunning() || m_bStartingNextFile || m_fileWork.IsRunning();
    }

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
    // Runs work of the batch on the check thread and returns once it ended,
    // throwing what it threw.
    void RunFileWork(std::function<void()> work);
    // Runs show on the window's thread; called from the check thread, it
    // returns once the window has run it, so the batch holds still meanwhile.
    void OnWindowThread(const std::function<void()>& show);

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
    // After the batch, so they go first: their threads use the batch.
    CWizardCheckRun m_fileWork;
    CHedScan m_scan;
};
