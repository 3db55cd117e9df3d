// The page that works on a copy of the document's file: makes the copy, cuts
// and reports its Exif block, scans it on the scanner thread with a progress
// window and optimises it, showing every step in its log. The copy and the
// optimisation, each with the decode that checks it, run on the wizard's
// check thread. A motion photo's video or a gain map that the optimisation
// would remove is named first, with the offer to keep it for this run. The
// optimisation page and the first page of the Exif embedding are this page
// with their own titles and texts.
#pragma once

#include <QString>
#include <memory>

#include "widgets/HedScan.h"
#include "widgets/KestrinPage.h"
#include "widgets/WizardCheckRun.h"

namespace Ui {
class CWorkCopyPage;
}

class CWorkCopyPage : public CKestrinPage {
    Q_OBJECT

public:
    // The session, which holds the scan's record, must outlive the page.
    CWorkCopyPage(CWizardSession& session, int resource, const QString& title,
                  const QString& purpose, QWidget* parent);
    ~CWorkCopyPage() override;

    bool IsBusy() const override { return m_scan.IsRunning() || m_check.IsRunning(); }
    bool MayGoBack() const override { return false; }
    void initializePage() override;
    bool isComplete() const override;

private:
    void StartSequence();
    // Offers to keep what the photo carries behind its picture before the
    // optimisation would remove it, with the progress window hidden meanwhile.
    void AskToKeepMedia(QWidget& progress);
    void OnScanFinished(EHedStatus status);
    void OnViewResult();
    void OnSaveExif();
    void ShowLog();
    // False, after telling the user, while the scan or a check runs.
    bool MayAct() const;

    std::unique_ptr<Ui::CWorkCopyPage> m_ui;
    CHedScan m_scan;
    CWizardCheckRun m_check;
};
