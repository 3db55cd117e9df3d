#include "optimise/ui/BatchOptimiseDlg.h"

#include "ui_BatchOptimiseDlg.h"
#include "widgets/CommandGuard.h"

CBatchOptimiseDlg::CBatchOptimiseDlg(const CWorkFiles& work, const CSettingsStore& settings,
                                     const std::vector<std::string>& keptCodes, QWidget* parent)
    : CBatchLogDlg(parent),
      m_ui(std::make_unique<Ui::CBatchOptimiseDlg>()),
      m_work(work),
      m_settings(settings),
      m_batch(work, settings, keptCodes, this),
      m_scan([this](EHedStatus status) { OnScanFinished(status); }) {
    m_ui->setupUi(this);
    Attach(*m_ui->IDC_1024, *m_ui->IDC_1057, *m_ui->IDC_2);
    m_batch.OnFileEnded([this](const CFileResult& result) { m_strEndedLog += result.m_strLog; });
}

CBatchOptimiseDlg::~CBatchOptimiseDlg() = default;

void CBatchOptimiseDlg::ProcessDrop(const std::vector<std::string>& paths) {
    m_batch.Drop(paths);
    m_bStartingNextFile = true;
    StartNextFile();
}

void CBatchOptimiseDlg::StartNextFile() {
    EPrepareResult prepared = EPrepareResult::Skipped;
    // Busy until here: a message shown while the file is prepared runs the
    // event loop, and a drop taken then would start a second file.
    RunCommandShowingError([this, &prepared] { prepared = m_batch.PrepareNextFile(); });
    m_bStartingNextFile = false;
    if (prepared == EPrepareResult::ReadyToScan) {
        CHedThread& record = m_batch.Record();
        m_scan.Start(record, m_work.m_strTempData, m_settings,
                     std::make_unique<CBatchProgressDlg>(record, this));
    } else if (prepared == EPrepareResult::Skipped) {
        PostNextFile();
    }
}

void CBatchOptimiseDlg::PostNextFile() {
    m_bStartingNextFile = true;
    QMetaObject::invokeMethod(
        this, [this] { StartNextFile(); }, Qt::QueuedConnection);
}

void CBatchOptimiseDlg::OnScanFinished(EHedStatus status) {
    RunCommandShowingError([this, status] { m_batch.FinishScan(status); });
    // A cancel ends the batch; every other end goes on with the next file,
    // once the scanner that is waiting for this handler has ended.
    if (status != EHedStatus::Cancelled) {
        PostNextFile();
    }
}

void CBatchOptimiseDlg::ClearBatchLog() {
    m_strEndedLog.clear();
    OnLogChanged();
}

void CBatchOptimiseDlg::OnLogChanged() {
    m_strShownLog = m_strEndedLog + m_batch.FileLog();
    CBatchLogDlg::OnLogChanged();
}

void CBatchOptimiseDlg::OnTotalsChanged() {
    m_ui->IDC_1043->setText(QString::number(m_batch.BytesBefore()));
    m_ui->IDC_1044->setText(QString::number(m_batch.BytesAfter()));
}
