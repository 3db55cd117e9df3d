#include "optimise/ui/KestrinProSeet.h"

#include <QAbstractButton>
#include <vector>

#include "exif/ui/KestrinAddExif.h"
#include "exif/ui/KestrinBeginAdd.h"
#include "exif/ui/KestrinExif.h"
#include "optimise/ui/KestrinAuto.h"
#include "optimise/ui/KestrinDel.h"
#include "optimise/ui/KestrinFin.h"
#include "optimise/ui/KestrinInfo.h"
#include "util/MessageSink.h"

CKestrinProSeet::CKestrinProSeet(CWizardSession& session, QWidget* parent)
    : QWizard(parent), m_session(session) {
    setObjectName(QStringLiteral("CKestrinProSeet"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    // The captions with their mnemonics, whatever translation of Qt is installed.
    setButtonText(QWizard::BackButton, QStringLiteral("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完了(&F)"));
    setButtonText(QWizard::CancelButton, QStringLiteral("ｷｬﾝｾﾙ"));
    AddPage(kInfoPage, new CKestrinInfo(session, this));
    AddPage(kSelectionPage,
            new CKestrinDel(
                session, [this](EWizardPath path) { AddPagesFor(path); }, kFirstChosenPage, this));
    connect(this, &QWizard::currentIdChanged, this, &CKestrinProSeet::ApplyPageRules);
}

void CKestrinProSeet::AddPage(int id, CKestrinPage* page) {
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
    std::vector<CKestrinPage*> pages;
    switch (path) {
        case EWizardPath::Optimise:
            pages = {new CKestrinAuto(m_session, this)};
            break;
        case EWizardPath::EmbedExif:
            pages = {new CKestrinBeginAdd(m_session, this), new CKestrinAddExif(m_session, this),
                     new CKestrinExif(m_session, this)};
            break;
        case EWizardPath::Editor:
            // The expert editor's page joins here; the selection page keeps
            // its choice disabled until then.
            break;
    }
    pages.push_back(new CKestrinFin(m_session, this));
    int id = kFirstChosenPage;
    for (CKestrinPage* page : pages) {
        AddPage(id++, page);
    }
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

void CKestrinProSeet::done(int result) {
    // A stopped run's Finish only ends the wizard: nothing is saved.
    if (result == QDialog::Accepted && m_session.IsStopped()) {
        result = QDialog::Rejected;
    }
    QWizard::done(result);
}

void CKestrinProSeet::reject() {
    const CKestrinPage* current = CurrentPage();
    if (current != nullptr && current->IsBusy()) {
        ShowMessage("計算中です！");
        return;
    }
    QWizard::reject();
}
