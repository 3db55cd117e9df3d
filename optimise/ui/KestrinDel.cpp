#include "optimise/ui/KestrinDel.h"

#include <QStyle>

#include "ui_KestrinDel.h"

CKestrinDel::CKestrinDel(CWizardSession& session, ChoiceHandler onChosen, int nextPage,
                         QWidget* parent)
    : CKestrinPage(session, parent),
      m_ui(std::make_unique<Ui::CKestrinDel>()),
      m_onChosen(std::move(onChosen)),
      m_nNextPage(nextPage) {
    m_ui->setupUi(this);
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_ui->icon0->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(size, size));
    m_ui->icon1->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(size, size));
    m_ui->icon2->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(size, size));
}

CKestrinDel::~CKestrinDel() = default;

EWizardPath CKestrinDel::Choice() const {
    if (m_ui->IDC_1014_1->isChecked()) {
        return EWizardPath::EmbedExif;
    }
    return m_ui->IDC_1014_2->isChecked() ? EWizardPath::Editor : EWizardPath::Optimise;
}

bool CKestrinDel::validatePage() {
    m_onChosen(Choice());
    return true;
}
