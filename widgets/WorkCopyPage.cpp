#include "widgets/WorkCopyPage.h"

#include <QPushButton>
#include <QScrollBar>

#include "optimise/WizardSession.h"
#include "ui_WorkCopyPage.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"
#include "widgets/SaveFileDialog.h"
#include "widgets/YesNoQuestion.h"

namespace {

// The question names what the photo carries; "Yes" keeps it, the answer that
// loses nothing.
QString KeepMediaQuestion(const CPhoneExtras& media) {
    const char* what = media.HasMotionPhoto() && media.HasGainMap()
                           ? "ﾓｰｼｮﾝﾌｫﾄの動画とHDR表示用のｹﾞｲﾝﾏｯﾌﾟ"
                       : media.HasMotionPhoto() ? "ﾓｰｼｮﾝﾌｫﾄの動画"
                                                : "HDR表示用のｹﾞｲﾝﾏｯﾌﾟ";
    return QStringLiteral(
               "この写真には%1が含まれています。\n最適化すると削除されます。残しますか？\n"
               "（この処理だけの指定で、ｼｽﾃﾑ設定は変わりません）")
        .arg(QString::fromUtf8(what));
}

}  // namespace

CWorkCopyPage::CWorkCopyPage(CWizardSession& session, int resource, const QString& title,
                             const QString& purpose, QWidget* parent)
    : CKestrinPage(session, parent),
      m_ui(std::make_unique<Ui::CWorkCopyPage>()),
      m_scan([this](EHedStatus status) { OnScanFinished(status); }) {
    m_ui->setupUi(this);
    SetResourceId(resource);
    setTitle(title);
    m_ui->labelPurpose->setText(purpose);
    connect(m_ui->IDC_1015, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnViewResult(); }); });
    connect(m_ui->IDC_1048, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnSaveExif(); }); });
}

CWorkCopyPage::~CWorkCopyPage() = default;

void CWorkCopyPage::initializePage() {
    RunCommandShowingError([this] { StartSequence(); });
    SessionChanged();
}

void CWorkCopyPage::StartSequence() {
    m_ui->IDC_1048->setEnabled(false);
    // Shown before the copy and the check of its Exif removal, which take a
    // while on a large picture; Cancel waits for the scan.
    CHedThread& record = Session().Record();
    auto progress = std::make_unique<CProgressDlg>(record, this);
    progress->EnableCancel(false);
    progress->SetFirstLine(QStringLiteral("JPEGﾌｧｲﾙを解析中です..."));
    progress->show();
    EWorkCopyStart start = EWorkCopyStart::CopyFailed;
    m_check.Run([&session = Session(), &start] { start = session.BeginWorkCopy(); }, nullptr);
    m_ui->IDC_1048->setEnabled(Session().OffersExifBackup());
    ShowLog();
    // A sheet closed during the check asks nothing more and scans nothing.
    if (start == EWorkCopyStart::ReadyToScan && !SheetClosed()) {
        AskToKeepMedia(*progress);
        m_scan.Start(record, record.m_strFileName, Session().Settings(), std::move(progress));
    }
}

void CWorkCopyPage::AskToKeepMedia(QWidget& progress) {
    const CPhoneExtras media = Session().MediaThisRunRemoves();
    if (!media.HasMotionPhoto() && !media.HasGainMap()) {
        return;
    }
    // The question stands alone; the scan shows the progress window again.
    progress.hide();
    if (AskYesNo(this, KeepMediaQuestion(media), EDefaultAnswer::Yes)) {
        Session().KeepMediaThisRun();
    }
}

void CWorkCopyPage::OnScanFinished(EHedStatus status) {
    m_check.Run([&session = Session(), status] { session.FinishScan(status); }, this);
    ShowLog();
    SessionChanged();
}

bool CWorkCopyPage::isComplete() const {
    // A running check owns the session.
    return !m_check.IsRunning() && (Session().IsStopped() || Session().HasResult());
}

bool CWorkCopyPage::MayAct() const {
    if (!IsBusy()) {
        return true;
    }
    ShowMessage("計算中です！");
    return false;
}

void CWorkCopyPage::OnViewResult() {
    if (MayAct()) {
        OpenWithAssociatedApp(Session().WorkCopyForViewing());
    }
}

void CWorkCopyPage::OnSaveExif() {
    const std::optional<std::string> path =
        AskSaveFileName(this, Session().DocumentPath(),
                        QStringLiteral("EXIFﾌｧｲﾙ(*.exif);;全ﾌｧｲﾙ(*.*)"), QStringLiteral("exif"));
    if (path) {
        Session().SaveExifBlockAs(*path);
    }
}

void CWorkCopyPage::ShowLog() {
    m_ui->IDC_1024->setPlainText(QString::fromStdString(Session().Log()));
    m_ui->IDC_1024->verticalScrollBar()->setValue(m_ui->IDC_1024->verticalScrollBar()->maximum());
}
