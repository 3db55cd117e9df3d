#include "app/ui/KestrinProSeet.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <memory>
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
#include "widgets/YesNoQuestion.h"

namespace {

const char kLeaveUnsaved[] = "修正した内容は保存されていません。ｳｨｻﾞｰﾄﾞを終了してよろしいですか？";

}  // namespace

CKestrinProSeet::CKestrinProSeet(CWizardSession& session, QWidget* parent)
    : QWizard(parent), m_session(session), m_pageSize(LargestPageSize()) {
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

// The sheet grows to fit each larger page it meets, so it would change size
// from page to page. Every page a path may add is measured once, and every
// page gets the largest size as its smallest.
QSize CKestrinProSeet::LargestPageSize() {
    const std::unique_ptr<QWizardPage> samples[] = {
        std::make_unique<CKestrinAuto>(m_session, this),
        std::make_unique<CKestrinBeginAdd>(m_session, this),
        std::make_unique<CKestrinAddExif>(m_session, this),
        std::make_unique<CKestrinExif>(m_session, this),
        std::make_unique<CKestrinFF>(m_session, this),
        std::make_unique<CKestrinFin>(m_session, this),
        std::make_unique<CKestrinInfo>(m_session, this),
    };
    QSize largest;
    for (const auto& sample : samples) {
        largest = largest.expandedTo(sample->sizeHint());
    }
    return largest;
}

void CKestrinProSeet::AddPage(int id, QWizardPage* page) {
    page->setMinimumSize(page->minimumSize().expandedTo(m_pageSize));
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
            pages = {new CKestrinFF(m_session, this)};
            break;
    }
    pages.push_back(new CKestrinFin(m_session, this));
    int id = kFirstChosenPage;
    for (QWizardPage* page : pages) {
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

bool CKestrinProSeet::CurrentPageIsBusy() const {
    const CKestrinPage* current = CurrentPage();
    return current != nullptr && current->IsBusy();
}

bool CKestrinProSeet::HasUnsavedWork() const {
    if (m_session.HasResult()) {
        return true;
    }
    for (const int id : pageIds()) {
        const auto* kestrinPage = qobject_cast<const CKestrinPage*>(page(id));
        if (kestrinPage != nullptr && kestrinPage->HasUnsavedWork()) {
            return true;
        }
    }
    return false;
}

void CKestrinProSeet::done(int result) {
    // A stopped run's Finish only ends the wizard: nothing is saved.
    if (result == QDialog::Accepted && m_session.IsStopped()) {
        result = QDialog::Rejected;
    }
    QWizard::done(result);
}

bool CKestrinProSeet::validateCurrentPage() {
    if (CurrentPageIsBusy()) {
        ShowMessage("計算中です！");
        return false;
    }
    return QWizard::validateCurrentPage();
}

void CKestrinProSeet::reject() {
    if (CurrentPageIsBusy()) {
        ShowMessage("計算中です！");
        return;
    }
    if (HasUnsavedWork() && !AskYesNo(this, QString::fromUtf8(kLeaveUnsaved), EDefaultAnswer::No)) {
        return;
    }
    QWizard::reject();
}

void CKestrinProSeet::keyPressEvent(QKeyEvent* event) {
    // A held Esc that has just closed a menu or a popup repeats into the
    // sheet: only a fresh press means leaving.
    if (event->key() == Qt::Key_Escape && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QWizard::keyPressEvent(event);
}
