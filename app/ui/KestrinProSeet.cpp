#include "app/ui/KestrinProSeet.h"

#include <QAbstractButton>
#include <vector>

#include "editor/ui/KestrinFF.h"
#include "exif/ui/KestrinAddExif.h"
#include "exif/ui/KestrinBeginAdd.h"
#include "exif/ui/KestrinExif.h"
#include "optimise/ui/KestrinAuto.h"
#include "optimise/ui/KestrinDel.h"
#include "optimise/ui/KestrinFin.h"
#include "optimise/ui/KestrinInfo.h"
#include "util/MessageSink.h"
#include "widgets/KestrinPage.h"

CKestrinProSeet::CKestrinProSeet(CWizardSession& session, QWidget* parent)
    : QWizard(parent), m_session(session) {
    setObjectName(QStringLiteral("CKestrinProSeet"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    // The captions with their mnemonics, whatever translation of Qt is installed.
    setButtonText(QWizard::BackButton, QStringLiteral("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QString::fromUtf8(kFinishCaption));
    setButtonText(QWizard::CancelButton, QStringLiteral("ｷｬﾝｾﾙ"));
    AddPage(kInfoPage, new CKestrinInfo(session, this));
    AddPage(kSelectionPage,
            new CKestrinDel(
                session, [this](EWizardPath path) { AddPagesFor(path); }, kFirstChosenPage, this));
    connect(this, &QWizard::currentIdChanged, this, &CKestrinProSeet::ApplyPageRules);
}

void CKestrinProSeet::AddPage(int id, QWizardPage* page) {
    setPage(id, page);
    // After the sheet's own handler, so that these rules have the last word.
    connect(page, &QWizardPage::completeChanged, this, &CKestrinProSeet::ApplyPageRules);
}

void CKestrinProSeet::AddPagesFor(EWizardPath path) {
    m_session.ChoosePath(path);
    for (const int id : pageIds()) {
        if (id >= kFirstChosenPage) {
            QWizardPage* earlier = page(id);
            removePage(id);
            earlier->deleteLater();
        }
    }
    std::vector<QWizardPage*> pages;
    switch (path) {
        case EWizardPath::Optimise:
            pages = {new CKestrinAuto(m_session, this)};
            break;
        case EWizardPath::EmbedExif:
            pages = {new CKestrinBeginAdd(m_session, this), new CKestrinAddExif(m_session, this),
                     new CKestrinExif(m_session, this)};
            break;
        case EWizardPath::Editor:
            pages = {NewEditorPage()};
            break;
    }
    pages.push_back(new CKestrinFin(m_session, this));
    int id = kFirstChosenPage;
    for (QWizardPage* page : pages) {
        AddPage(id++, page);
    }
}

CKestrinFF* CKestrinProSeet::NewEditorPage() {
    m_pEditorPage = new CKestrinFF(m_session.Record(), m_session.WorkFiles(), m_session.Settings(),
                                   m_session.KeptCodes(), this);
    m_pEditorPage->SetDocument(m_session.DocumentPath(), m_session.DocumentPicture());
    return m_pEditorPage;
}

CKestrinPage* CKestrinProSeet::CurrentPage() const {
    return qobject_cast<CKestrinPage*>(currentPage());
}

void CKestrinProSeet::ApplyPageRules() {
    const CKestrinPage* current = CurrentPage();
    if (current != nullptr && !current->MayGoBack()) {
        button(QWizard::BackButton)->setEnabled(false);
    }
}

bool CKestrinProSeet::CurrentPageIsBusy() const {
    const CKestrinPage* current = CurrentPage();
    if (current != nullptr) {
        return current->IsBusy();
    }
    return m_pEditorPage != nullptr && currentPage() == m_pEditorPage && m_pEditorPage->IsBusy();
}

bool CKestrinProSeet::validateCurrentPage() {
    if (!QWizard::validateCurrentPage()) {
        return false;
    }
    if (m_pEditorPage != nullptr && currentPage() == m_pEditorPage) {
        m_session.TakeEditedWorkCopy(!m_pEditorPage->Editor().WorkingList().empty());
    }
    return true;
}

void CKestrinProSeet::done(int result) {
    // A stopped run's Finish only ends the wizard: nothing is saved.
    if (result == QDialog::Accepted && m_session.IsStopped()) {
        result = QDialog::Rejected;
    }
    QWizard::done(result);
}

void CKestrinProSeet::reject() {
    if (CurrentPageIsBusy()) {
        ShowMessage("計算中です！");
        return;
    }
    QWizard::reject();
}
