#include "exif/ui/SampleConvertDlg.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "ui_SampleConvertDlg.h"
#include "util/DroppedFolders.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"
#include "widgets/DroppedFiles.h"

namespace {

// The left area where the sample is drawn, white while there is none.
const QRect kSampleArea(10, 30, 320, 320);
constexpr int kFileColumnWidth = 160;

QStringList ChooseWithFileDialog(QWidget* parent, const QString& title, bool several) {
    QFileDialog dialog(parent, title, QString(), QStringLiteral("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"));
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

std::vector<std::string> StdPaths(const QStringList& paths) {
    std::vector<std::string> result;
    for (const QString& path : paths) {
        result.push_back(path.toStdString());
    }
    return result;
}

}  // namespace

CSampleConvertDlg::CSampleConvertDlg(const CWorkFiles& work, CExifEngine& exif, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CSampleConvertDlg>()),
      m_conversion(work, exif),
      m_chooseFiles(ChooseWithFileDialog) {
    m_ui->setupUi(this);
    setAcceptDrops(true);
    m_ui->IDC_1059->header()->setStretchLastSection(false);
    m_ui->IDC_1059->setColumnWidth(0, kFileColumnWidth);
    connect(m_ui->IDC_1060, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnLoadSample(); }); });
    connect(m_ui->IDC_1050, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnRegister(); }); });
    connect(m_ui->IDC_1016, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnRemove(); }); });
    connect(m_ui->IDC_1061, &QPushButton::clicked, this,
            [this] { RunCommandShowingError([this] { OnConvert(); }); });
    connect(m_ui->IDC_1, &QPushButton::clicked, this, &QDialog::accept);
}

CSampleConvertDlg::~CSampleConvertDlg() = default;

void CSampleConvertDlg::OnLoadSample() {
    const QStringList chosen =
        m_chooseFiles(this, QStringLiteral("Exif情報を持つ画像の読み込み"), false);
    if (!chosen.isEmpty()) {
        LoadSample(chosen.first().toStdString());
    }
}

void CSampleConvertDlg::LoadSample(const std::string& path) {
    const ESampleLoad loaded = m_conversion.LoadSample(path);
    if (loaded != ESampleLoad::NotDecoded) {
        // The preview lies bottom row first, as the left area shows it upright.
        const CImageBuffer& preview = m_conversion.SamplePreview();
        m_sampleImage = QImage(preview.m_pBits.data(), preview.m_nWidth, preview.m_nHeight,
                               preview.m_nWidth * 3 + preview.m_nPadBytes, QImage::Format_BGR888)
                            .mirrored();
        UpdateControls();
    }
    if (loaded == ESampleLoad::NoExif || loaded == ESampleLoad::NoThumbnail) {
        ShowMessage(SampleLoadText(loaded));
    }
    update(kSampleArea);
}

void CSampleConvertDlg::OnRegister() {
    Register(StdPaths(m_chooseFiles(this, QStringLiteral("登録するﾌｧｲﾙを選択"), true)));
}

void CSampleConvertDlg::Register(const std::vector<std::string>& paths) {
    const std::vector<std::string> already = m_conversion.Register(paths);
    FillList();
    for (const std::string& path : already) {
        ShowMessage(path + "は登録済みです");
    }
}

void CSampleConvertDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFileDrag(event);
}

void CSampleConvertDlg::dragMoveEvent(QDragMoveEvent* event) {
    AcceptFileDrag(event);
}

// Files dropped on the sample's area load the first as the sample, as its
// button does; dropped anywhere else they are registered, folders as the JPEG
// files in them, as the batch windows take them.
void CSampleConvertDlg::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    const bool onSample = kSampleArea.contains(event->position().toPoint());
    RunCommandShowingError([this, &paths, onSample] {
        if (onSample) {
            LoadSample(paths.front());
        } else {
            Register(ExpandDroppedFolders(paths));
        }
    });
}

void CSampleConvertDlg::OnRemove() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_ui->IDC_1059->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    m_conversion.Remove(rows);
    FillList();
    update(kSampleArea);
}

void CSampleConvertDlg::OnConvert() {
    std::vector<CSampleResult> results;
    {
        const CWaitCursor wait;
        results = m_conversion.ConvertAll();
    }
    if (!results.empty()) {
        ShowMessage(ConversionSummary(results));
    }
}

// One row per registered file, its name without the folder, in step with
// the conversion's list.
void CSampleConvertDlg::FillList() {
    m_ui->IDC_1059->clear();
    for (const std::string& path : m_conversion.RegisteredFiles()) {
        auto* row = new QTreeWidgetItem(m_ui->IDC_1059);
        row->setText(0, QFileInfo(QString::fromStdString(path)).fileName());
    }
}

void CSampleConvertDlg::UpdateControls() {
    const bool canConvert = m_conversion.HasSampleExif();
    m_ui->IDC_1050->setEnabled(canConvert);
    m_ui->IDC_1016->setEnabled(canConvert);
    m_ui->IDC_1061->setEnabled(canConvert);
}

void CSampleConvertDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(kSampleArea, Qt::white);
    if (m_conversion.SampleCount() != 0) {
        painter.drawImage(kSampleArea.topLeft(), m_sampleImage);
    }
}
