#include "exif/ui/KestrinAddExif.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "optimise/WizardSession.h"
#include "ui_KestrinAddExif.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"

CKestrinAddExif::CKestrinAddExif(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent), m_ui(std::make_unique<Ui::CKestrinAddExif>()) {
    m_ui->setupUi(this);
    connect(m_ui->IDC_1049, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(m_ui->IDC_1050, &QPushButton::clicked, this, &CKestrinAddExif::OnChooseFile);
}

CKestrinAddExif::~CKestrinAddExif() = default;

bool CKestrinAddExif::isComplete() const {
    return !m_ui->IDC_1049->text().isEmpty();
}

void CKestrinAddExif::OnChooseFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Exifﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙの選択"), QString(),
                                     QStringLiteral("EXIFﾌｧｲﾙ(*.exif);;全ﾌｧｲﾙ(*.*)"));
    if (!path.isEmpty()) {
        m_ui->IDC_1049->setText(path);
    }
}

bool CKestrinAddExif::validatePage() {
    bool embedded = false;
    RunCommandShowingError([this, &embedded] { embedded = Embed(); });
    return embedded;
}

bool CKestrinAddExif::Embed() {
    EEmbedResult result = EEmbedResult::BlockUnreadable;
    m_check.Run([&session = Session(), &result,
                 path = m_ui->IDC_1049->text().toStdString()] { result = session.EmbedExif(path); },
                this);
    if (SheetClosed()) {
        return false;
    }
    if (result != EEmbedResult::Embedded) {
        ShowMessage(EmbedFailureMessage(result));
        return false;
    }
    return true;
}
