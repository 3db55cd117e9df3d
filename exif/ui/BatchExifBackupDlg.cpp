#include "exif/ui/BatchExifBackupDlg.h"

#include "ui_BatchExifBackupDlg.h"

CBatchExifBackupDlg::CBatchExifBackupDlg(const CWorkFiles& work, const CSettingsStore& settings,
                                         CExifEngine& exif, QWidget* parent)
    : CBatchLogDlg(parent),
      m_ui(std::make_unique<Ui::CBatchExifBackupDlg>()),
      m_batch(work, settings, exif, this) {
    m_ui->setupUi(this);
    Attach(*m_ui->IDC_1024, *m_ui->IDC_1057, *m_ui->IDC_2);
}

CBatchExifBackupDlg::~CBatchExifBackupDlg() = default;
