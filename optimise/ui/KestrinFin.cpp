#include "optimise/ui/KestrinFin.h"

#include <QCheckBox>
#include <QPushButton>

#include "optimise/WizardSession.h"
#include "ui_KestrinFin.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"
#include "widgets/SaveFileDialog.h"
#include "widgets/YesNoQuestion.h"

namespace {

const char kOverwriteBroken[] =
    "修正後のJPEGは画像が表示できません。上書きすると元の画像は失われます。"
    "本当に上書き保存してよろしいですか？";
const char kNothingToSave[] = "保存できる処理結果がありません。ﾌｧｲﾙは変更していません。";

// True when result is a save; a refusal is told here, a failed copy was
// already told by the session.
bool Saved(EWizardSave result) {
    if (result == EWizardSave::Refused) {
        ShowMessage(kNothingToSave);
    }
    return result == EWizardSave::Saved;
}

}  // namespace

CKestrinFin::CKestrinFin(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent), m_ui(std::make_unique<Ui::CKestrinFin>()) {
    m_ui->setupUi(this);
    setFinalPage(true);
    connect(m_ui->IDC_1015, &QPushButton::clicked, this, [this] {
        RunCommandShowingError([this] { OpenWithAssociatedApp(Session().WorkCopyForViewing()); });
    });
}

CKestrinFin::~CKestrinFin() = default;

void CKestrinFin::initializePage() {
    const bool showsPicture = Session().IsStopped() || Session().ResultShowsPicture();
    m_ui->labelQuality->setVisible(showsPicture);
    m_ui->labelBroken->setVisible(!showsPicture);
    if (!showsPicture) {
        m_ui->IDC_1026->setChecked(false);
    }
    SessionChanged();
}

bool CKestrinFin::validatePage() {
    bool saved = false;
    RunCommandShowingError([this, &saved] { saved = Save(); });
    return saved;
}

// Whatever kept the file from being written (a refusal, a failed copy, a
// cancelled dialog, a "No") keeps the page open for another try.
bool CKestrinFin::Save() {
    if (Session().IsStopped()) {
        return true;
    }
    if (m_ui->IDC_1026->isChecked()) {
        return MayReplaceDocument(Session().DocumentPath()) &&
               SavedOnCheckThread(
                   [](CWizardSession& session) { return session.SaveOverDocument(); });
    }
    const std::optional<std::string> path =
        AskSaveFileName(this, Session().DocumentPath(),
                        QStringLiteral("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"), QStringLiteral("jpg"));
    return path && MayReplaceDocument(*path) &&
           SavedOnCheckThread([&path](CWizardSession& session) { return session.SaveAs(*path); });
}

bool CKestrinFin::SavedOnCheckThread(const std::function<EWizardSave(CWizardSession&)>& save) {
    EWizardSave result = EWizardSave::Refused;
    m_check.Run([&session = Session(), &result, &save] { result = save(session); }, this);
    // A sheet closed meanwhile tells and accepts nothing more; the file the
    // save wrote whole, or did not write at all, stays as the save left it.
    return !SheetClosed() && Saved(result);
}

// A result that shows no picture replaces the document, also when its name
// is chosen in the save dialog, only after a second "Yes".
bool CKestrinFin::MayReplaceDocument(const std::string& target) {
    if (Session().ResultShowsPicture() ||
        AbsolutePath(target) != AbsolutePath(Session().DocumentPath())) {
        return true;
    }
    return AskYesNo(this, QString::fromUtf8(kOverwriteBroken), EDefaultAnswer::No);
}
