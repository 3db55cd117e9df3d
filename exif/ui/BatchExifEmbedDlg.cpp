#include "exif/ui/BatchExifEmbedDlg.h"

#include "ui_BatchExifEmbedDlg.h"

CBatchExifEmbedDlg::CBatchExifEmbedDlg(const CWorkFiles& work, const CSettingsStore& settings,
                                       CExifEngine& exif, QWidget* parent)
    : CBatchLogDlg(parent),
      m_ui(std::make_unique<Ui::CBatchExifEmbedDlg>()),
      m_batch(work, settings, exif, this) {
    m_ui->setupUi(this);
    Attach(*m_ui->IDC_1024, *m_ui->IDC_1057, *m_ui->IDC_2);
}

CBatchExifEmbedDlg::~CBatchExifEmbedDlg() = default;
