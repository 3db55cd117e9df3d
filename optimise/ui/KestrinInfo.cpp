#include "optimise/ui/KestrinInfo.h"

#include <QStyle>

#include "ui_KestrinInfo.h"

CKestrinInfo::CKestrinInfo(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent), m_ui(std::make_unique<Ui::CKestrinInfo>()) {
    m_ui->setupUi(this);
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_ui->picture->setPixmap(
        style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(size, size));
}

CKestrinInfo::~CKestrinInfo() = default;
