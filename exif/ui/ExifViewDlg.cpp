#include "exif/ui/ExifViewDlg.h"

#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>

#include "exif/ExifEngine.h"
#include "exif/ui/ExifRows.h"
#include "ui_ExifViewDlg.h"
#include "util/MessageSink.h"

namespace {

// The list starts below a band of this height at the top of the window.
constexpr int kBandHeight = 40;
constexpr int kColumnWidths[] = {100, 100, 200, 200};

}  // namespace

CExifViewDlg::CExifViewDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CExifViewDlg>()) {
    m_ui->setupUi(this);
    for (int column = 0; column < 4; ++column) {
        m_ui->IDC_1046->setColumnWidth(column, kColumnWidths[column]);
    }
    QHeaderView* header = m_ui->IDC_1046->header();
    header->setSectionsClickable(true);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, &CExifViewDlg::OnHeaderClicked);
    connect(m_ui->IDC_1, &QPushButton::clicked, this, &QDialog::accept);
}

CExifViewDlg::~CExifViewDlg() = default;

bool CExifViewDlg::ShowFile(CExifEngine& exif, const std::string& path) {
    if (exif.ProbeExifFile(path) != EExifResult::Done) {
        ShowMessage("Exif情報は検出されません");
        return false;
    }
    AddExifRows(*m_ui->IDC_1046, exif.Dictionary().Entries());
    return true;
}

void CExifViewDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_ui->IDC_1046->setGeometry(0, kBandHeight, width(), height() - kBandHeight);
}

void CExifViewDlg::OnHeaderClicked(int column) {
    auto& ascending = m_ascendingNext.at(static_cast<size_t>(column));
    m_ui->IDC_1046->sortItems(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    ascending = !ascending;
}
