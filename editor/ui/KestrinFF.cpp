#include "editor/ui/KestrinFF.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QWizard>

#include "editor/EditorWorkCopy.h"
#include "editor/ui/EditorIds.h"
#include "editor/ui/SegmentDataDlg.h"
#include "editor/ui/SegmentRowModel.h"
#include "ui_KestrinFF.h"
#include "util/MessageSink.h"
#include "widgets/HedScan.h"

namespace {

const char kBusy[] = "計算中です！";
const char kCancelled[] = "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました";
const char kNoLongerShows[] =
    "加工により画像が表示できなくなりました。本当に次に進んでよろしいですか？";
const char kAddPrompt[] = "新しいJPEGﾍｯﾀﾞとﾃﾞｰﾀを追加して下さい";
const char kEditPrompt[] = "JPEGﾍｯﾀﾞとﾃﾞｰﾀを編集して下さい";

const int kColumnWidths[] = {70, 430, 50};

bool AskWithMessageBox(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("KestrinJPEG"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

CKestrinFF::CKestrinFF(CHedThread& record, const CWorkFiles& work, const CSettingsStore& settings,
                       const std::vector<std::string>& keptCodes, QWidget* parent)
    : QWizardPage(parent),
      m_ui(std::make_unique<Ui::CKestrinFF>()),
      m_HedThread(record),
      m_settings(settings),
      m_work(work),
      m_editor(work, settings, keptCodes),
      m_fnAsk([this](const QString& question) { return AskWithMessageBox(this, question); }) {
    m_ui->setupUi(this);
    SetUpList();
    ConnectCommands();
    UpdateControls();
}

CKestrinFF::~CKestrinFF() {
    // The scan ends before the editor it reports to.
    m_pScan.reset();
}

void CKestrinFF::SetDocument(const std::string& path, const CPackedPicture* picture) {
    m_strSourcePath = path;
    m_editor.SetReference(picture);
}

void CKestrinFF::SetUpList() {
    m_pModel = new CSegmentRowModel(
        m_editor, style()->standardIcon(QStyle::SP_FileIcon), [this] { UpdateControls(); }, this);
    QTableView* list = m_ui->IDC_1010;
    list->setModel(m_pModel);
    list->verticalHeader()->hide();
    // Fixed row heights let the view skip measuring every row of a long list.
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < 3; ++column) {
        list->setColumnWidth(column, kColumnWidths[column]);
    }
    list->setIconSize(QSize(16, 16));
    list->installEventFilter(this);
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_DialogApplyButton)
                              : QApplication::windowIcon();
    m_ui->IDC_1040->setIcon(appIcon);
    // The icon comes and goes with each check; its room stays, so the page
    // keeps its size and nothing moves under the mouse.
    QSizePolicy iconPolicy = m_ui->IDC_1040->sizePolicy();
    iconPolicy.setRetainSizeWhenHidden(true);
    m_ui->IDC_1040->setSizePolicy(iconPolicy);
}

void CKestrinFF::ConnectCommands() {
    const std::pair<QAbstractButton*, void (CKestrinFF::*)()> commands[] = {
        {m_ui->IDC_1014, &CKestrinFF::OnZero},
        {m_ui->IDC_1016, &CKestrinFF::OnDelete},
        {m_ui->IDC_1031, &CKestrinFF::OnAdd},
        {m_ui->IDC_1025, &CKestrinFF::OnEdit},
        {m_ui->IDC_1021, &CKestrinFF::OnUndo},
        {m_ui->IDC_1022, &CKestrinFF::OnRedo},
        {m_ui->IDC_1020, &CKestrinFF::OnReset},
        {m_ui->IDC_1023, &CKestrinFF::OnRemoveProprietary},
        {m_ui->IDC_1036, &CKestrinFF::OnRedraw},
        {m_ui->IDC_1015, &CKestrinFF::OnShowResult},
        {m_ui->IDC_1040, &CKestrinFF::OnShowResult},
    };
    for (const auto& [button, handler] : commands) {
        connect(button, &QAbstractButton::clicked, this, handler);
    }
    connect(m_ui->IDC_1019, &QCheckBox::toggled, this, &CKestrinFF::OnShowAll);
    connect(m_ui->IDC_1010, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(BuildPopupMenu());
        menu->exec(m_ui->IDC_1010->viewport()->mapToGlobal(at));
    });
}

bool CKestrinFF::IsBusy() const {
    return m_bBusy;
}

void CKestrinFF::initializePage() {
    m_pScan = std::make_unique<CHedScan>([this](EHedStatus status) { OnScanFinished(status); });
    const std::optional<size_t> exifPosition = PrepareEditorWorkCopy(m_strSourcePath, m_work);
    m_nExifPosition = exifPosition.value_or(kExifAfterStartMarker);
    if (exifPosition) {
        m_bBusy = true;
        m_pScan->Start(m_HedThread, m_work.m_strTempData, m_settings,
                       std::make_unique<CProgressDlg>(m_HedThread, this));
    }
    UpdateControls();
    HoldBackButton();
}

void CKestrinFF::cleanupPage() {
    m_pScan.reset();
    m_bBusy = false;
    QWizardPage::cleanupPage();
}

void CKestrinFF::OnScanFinished(EHedStatus status) {
    m_bBusy = false;
    if (status == EHedStatus::Finished) {
        m_editor.TakeScan(m_HedThread, m_nExifPosition);
        m_ui->IDC_1010->setFocus();
        m_ui->IDC_1010->clearSelection();
        m_ui->IDC_1010->setCurrentIndex(QModelIndex());
    } else if (status == EHedStatus::Cancelled) {
        ShowMessage(kCancelled);
    }
    UpdateControls();
    emit completeChanged();
    HoldBackButton();
}

bool CKestrinFF::isComplete() const {
    return !IsBusy();
}

bool CKestrinFF::validatePage() {
    if (IsBusy()) {
        ShowMessage(kBusy);
        return false;
    }
    return m_editor.Decodes() || m_fnAsk(QString::fromUtf8(kNoLongerShows));
}

// The sheet enables Back whenever it updates its buttons; this page offers Next only.
void CKestrinFF::HoldBackButton() {
    QTimer::singleShot(0, this, [this] {
        if (wizard() != nullptr && wizard()->currentPage() == this) {
            wizard()->button(QWizard::BackButton)->setEnabled(false);
        }
    });
}

void CKestrinFF::UpdateControls() {
    const bool idle = !IsBusy();
    const bool editing = idle && m_editor.EditingAllowed();
    for (QWidget* button :
         {static_cast<QWidget*>(m_ui->IDC_1014), static_cast<QWidget*>(m_ui->IDC_1016),
          static_cast<QWidget*>(m_ui->IDC_1025), static_cast<QWidget*>(m_ui->IDC_1031)}) {
        button->setEnabled(editing);
    }
    m_ui->IDC_1021->setEnabled(idle && m_editor.CanUndo());
    m_ui->IDC_1022->setEnabled(idle && m_editor.CanRedo());
    m_ui->IDC_1023->setEnabled(idle && m_editor.CanRemoveProprietary());
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->IDC_1020), static_cast<QWidget*>(m_ui->IDC_1036),
          static_cast<QWidget*>(m_ui->IDC_1015), static_cast<QWidget*>(m_ui->IDC_1019)}) {
        control->setEnabled(idle);
    }
    m_ui->IDC_1040->setVisible(idle && m_editor.Decodes());
    m_ui->IDC_1024->setText(QString::number(m_editor.OriginalBytes()));
    m_ui->IDC_1018->setText(QString::number(m_editor.NewBytes()));
    m_ui->IDC_1017->setText(QString::number(m_editor.WasteBytes()));
}

int CKestrinFF::SelectedRow() const {
    const QModelIndexList rows = m_ui->IDC_1010->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QMenu* CKestrinFF::BuildPopupMenu() {
    using namespace editor_ids;
    const bool selected = SelectedRow() >= 0 && m_editor.EditingAllowed();
    struct CItem {
        int id;
        const char* text;
        bool enabled;
        void (CKestrinFF::*handler)();
    };
    const CItem items[] = {
        {ID_POPUP_SHOW_RESULT, "修正結果を確認(&V)\tCtrl+L", true, &CKestrinFF::OnShowResult},
        {ID_POPUP_UNDO, "ｱﾝﾄﾞｩ(&U)\tCtrl+Z", m_ui->IDC_1021->isEnabled(), &CKestrinFF::OnUndo},
        {ID_POPUP_REDO, "ﾘﾄﾞｩ(&R)\tCtrl+Y", m_ui->IDC_1022->isEnabled(), &CKestrinFF::OnRedo},
        {ID_POPUP_REDRAW, "再描画(&S)", true, nullptr},
        {ID_POPUP_RESET, "初期状態に戻す(&B)", true, &CKestrinFF::OnReset},
        {ID_POPUP_ADD, "項目追加(&A)\tIns", selected, &CKestrinFF::OnAdd},
        {ID_POPUP_DELETE, "項目削除(&D)\tDel", selected, &CKestrinFF::OnDelete},
        {ID_POPUP_REMOVE_PROPRIETARY, "不明な独自を削除(&P)", m_ui->IDC_1023->isEnabled(),
         &CKestrinFF::OnRemoveProprietary},
        {ID_POPUP_ZERO, "\"0\"で上書き削除(&W)\tSpace", selected, &CKestrinFF::OnZero},
        {ID_POPUP_EDIT, "編集(&E)\tCtrl+E", selected, &CKestrinFF::OnEdit},
    };
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("IDR_%1").arg(IDR_EDITOR_POPUP));
    for (const CItem& item : items) {
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QStringLiteral("ID_%1").arg(item.id));
        action->setEnabled(item.enabled && !IsBusy());
        if (item.handler != nullptr) {
            connect(action, &QAction::triggered, this, item.handler);
        } else {
            // The menu's redraw only fills the list again; the button also checks.
            connect(action, &QAction::triggered, this, [this] { m_editor.FillRows(); });
        }
    }
    return menu;
}

bool CKestrinFF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->IDC_1010 && event->type() == QEvent::KeyPress && !IsBusy()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return HandleListKey(key->key(), key->modifiers().testFlag(Qt::ControlModifier));
    }
    return QWizardPage::eventFilter(watched, event);
}

// The editing keys act whatever the buttons show; the editor itself refuses
// what the check box forbids.
bool CKestrinFF::HandleListKey(int key, bool control) {
    using Handler = void (CKestrinFF::*)();
    Handler handler = nullptr;
    if (!control) {
        handler = key == Qt::Key_Space    ? &CKestrinFF::OnZero
                  : key == Qt::Key_Insert ? &CKestrinFF::OnAdd
                  : key == Qt::Key_Delete ? &CKestrinFF::OnDelete
                                          : nullptr;
    } else {
        handler = key == Qt::Key_E   ? &CKestrinFF::OnEdit
                  : key == Qt::Key_L ? &CKestrinFF::OnShowResult
                  : key == Qt::Key_Y ? &CKestrinFF::OnRedo
                  : key == Qt::Key_Z ? &CKestrinFF::OnUndo
                                     : nullptr;
    }
    if (handler == nullptr) {
        return false;
    }
    (this->*handler)();
    return true;
}

void CKestrinFF::OnZero() {
    m_editor.OverwriteWithZeros(SelectedRow());
}

void CKestrinFF::OnDelete() {
    m_editor.DeleteRow(SelectedRow());
}

void CKestrinFF::OnAdd() {
    const int row = SelectedRow();
    if (row < 0 || !m_editor.EditingAllowed()) {
        m_editor.AddAfter(row, {});
        return;
    }
    CSegmentDataFields fields = FieldsForNewSegment();
    fields.m_strPrompt = kAddPrompt;
    CSegmentDataDlg dialog(fields, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_editor.AddAfter(row, SegmentFromFields(dialog.Fields()));
    }
}

void CKestrinFF::OnEdit() {
    const int row = SelectedRow();
    if (row < 0 || !m_editor.EditingAllowed()) {
        m_editor.EditRow(row, {});
        return;
    }
    CSegmentDataFields fields =
        FieldsForSegment(m_editor.RowSegment(row), m_pModel->RowText(row).toStdString());
    fields.m_strPrompt = kEditPrompt;
    CSegmentDataDlg dialog(fields, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_editor.EditRow(row, SegmentFromFields(dialog.Fields()));
    }
}

void CKestrinFF::OnUndo() {
    m_editor.Undo();
}

void CKestrinFF::OnRedo() {
    m_editor.Redo();
}

void CKestrinFF::OnReset() {
    m_editor.ResetToInitial();
}

void CKestrinFF::OnRemoveProprietary() {
    m_editor.RemoveProprietaryData();
}

void CKestrinFF::OnRedraw() {
    m_editor.FillRows();
    m_editor.RebuildAndCheck();
}

void CKestrinFF::OnShowResult() {
    m_editor.ShowResult();
}

void CKestrinFF::OnShowAll(bool checked) {
    m_editor.SetShowAll(checked);
}
