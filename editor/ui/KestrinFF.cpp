#include "editor/ui/KestrinFF.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>

#include "editor/EditorWorkCopy.h"
#include "editor/ui/EditorCheckRun.h"
#include "editor/ui/EditorIds.h"
#include "editor/ui/SegmentDataDlg.h"
#include "editor/ui/SegmentRowModel.h"
#include "optimise/WizardSession.h"
#include "ui_KestrinFF.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"
#include "widgets/HedScan.h"
#include "widgets/YesNoQuestion.h"

namespace {

const char kBusy[] = "計算中です！";
const char kCancelled[] = "ﾕｰｻﾞｰの要求によりJPEG情報読み取りをｷｬﾝｾﾙしました";
const char kNoLongerShows[] =
    "加工により画像が表示できなくなりました。本当に次に進んでよろしいですか？";
const char kAddPrompt[] = "新しいJPEGﾍｯﾀﾞとﾃﾞｰﾀを追加して下さい";
const char kEditPrompt[] = "JPEGﾍｯﾀﾞとﾃﾞｰﾀを編集して下さい";

const int kColumnWidths[] = {70, 430, 50};

}  // namespace

CKestrinFF::CKestrinFF(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent),
      m_ui(std::make_unique<Ui::CKestrinFF>()),
      m_editor(session.WorkFiles(), session.Settings(), session.KeptCodes()) {
    m_ui->setupUi(this);
    m_editor.SetReference(session.DocumentPicture());
    m_pCheckRun = std::make_unique<CEditorCheckRun>(m_editor, this);
    SetUpList();
    ConnectCommands();
    UpdateControls();
}

// The members end in reverse order: the scan first, then the model, then the
// check run (its running check waited for), then the editor all of them
// report to.
CKestrinFF::~CKestrinFF() = default;

void CKestrinFF::SetUpList() {
    m_pModel = std::make_unique<CSegmentRowModel>(
        m_editor, style()->standardIcon(QStyle::SP_FileIcon), [this] { UpdateControls(); });
    QTableView* list = m_ui->IDC_1010;
    list->setModel(m_pModel.get());
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
    const std::pair<QAbstractButton*, Command> commands[] = {
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
    for (const auto& [button, command] : commands) {
        connect(button, &QAbstractButton::clicked, this,
                [this, command = command] { RunCommand(command); });
    }
    connect(m_ui->IDC_1019, &QCheckBox::toggled, this, [this](bool checked) {
        RunCommandShowingError([this, checked] { OnShowAll(checked); });
    });
    connect(m_ui->IDC_1010, &QWidget::customContextMenuRequested, this, &CKestrinFF::ShowPopupMenu);
}

void CKestrinFF::ShowPopupMenu(const QPoint& at) {
    const std::unique_ptr<QMenu> menu = BuildPopupMenu();
    menu->exec(m_ui->IDC_1010->viewport()->mapToGlobal(at));
}

// Shift+F10 is the desktop's keyboard way to the popup menu; it opens at the
// current row, or at the list's corner when no row is current.
void CKestrinFF::ShowPopupMenuFromKeyboard() {
    const QRect row = m_ui->IDC_1010->visualRect(m_ui->IDC_1010->currentIndex());
    ShowPopupMenu(row.isValid() ? row.center() : QPoint(0, 0));
}

void CKestrinFF::RunCommand(Command command) {
    RunCommandShowingError([this, command] { (this->*command)(); });
    // Also after a command that failed half-way.
    UpdateControls();
}

bool CKestrinFF::HasUnsavedWork() const {
    return m_editor.WorkingList() != m_editor.InitialList();
}

void CKestrinFF::initializePage() {
    m_pScan = std::make_unique<CHedScan>([this](EHedStatus status) { OnScanFinished(status); });
    m_nExifPosition = kExifAfterStartMarker;
    RunCommandShowingError([this] { StartScan(); });
    UpdateControls();
    SessionChanged();
}

// A copy that cannot be made was told by the session, and the run only ends.
// The copy of a large file and its hex text take long: they are made on the
// wizard's check thread under the scan's progress window, shown at once.
void CKestrinFF::StartScan() {
    WaitForCheck();
    CHedThread& record = Session().Record();
    auto progress = std::make_unique<CProgressDlg>(record, this);
    progress->EnableCancel(false);
    progress->SetFirstLine(QStringLiteral("JPEGﾌｧｲﾙを解析中です..."));
    progress->show();
    // A sheet shown with this page first shows itself after it started.
    const bool wasOpen = !SheetClosed();
    bool copied = false;
    m_copyRun.Run(
        [&session = Session(), &copied, &position = m_nExifPosition] {
            copied = session.BeginEditorCopy();
            if (copied) {
                position = PrepareCopiedEditorWorkCopy(session.WorkFiles());
            }
        },
        nullptr);
    // A sheet closed during the copy scans nothing.
    if (!copied || (wasOpen && SheetClosed())) {
        return;
    }
    m_bBusy = true;
    m_pScan->Start(record, Session().WorkFiles().m_strTempData, Session().Settings(),
                   std::move(progress));
}

void CKestrinFF::WaitForCheck() {
    m_pCheckRun->WaitForAnswer(this);
}

void CKestrinFF::cleanupPage() {
    m_pScan.reset();
    m_bBusy = false;
    QWizardPage::cleanupPage();
}

void CKestrinFF::OnScanFinished(EHedStatus status) {
    m_bBusy = false;
    if (status == EHedStatus::Finished) {
        m_editor.TakeScan(Session().Record(), m_nExifPosition);
        m_ui->IDC_1010->setFocus();
        m_ui->IDC_1010->clearSelection();
        m_ui->IDC_1010->setCurrentIndex(QModelIndex());
    } else if (status == EHedStatus::Cancelled) {
        ShowMessage(kCancelled);
    }
    UpdateControls();
    SessionChanged();
}

bool CKestrinFF::isComplete() const {
    return !IsBusy();
}

// Without a list (no copy, a cancelled scan, every segment deleted) there is
// nothing to save and nothing to ask: the run only ends.
bool CKestrinFF::validatePage() {
    if (IsBusy()) {
        ShowMessage(kBusy);
        return false;
    }
    WaitForCheck();
    const bool hasList = !m_editor.WorkingList().empty();
    if (hasList && !m_editor.Decodes() &&
        !AskYesNo(this, QString::fromUtf8(kNoLongerShows), EDefaultAnswer::No)) {
        return false;
    }
    Session().TakeEditedWorkCopy(hasList, m_editor.Decodes());
    return true;
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

std::unique_ptr<QMenu> CKestrinFF::BuildPopupMenu() {
    using namespace editor_ids;
    const bool selected = SelectedRow() >= 0 && m_editor.EditingAllowed();
    struct CItem {
        int id;
        const char* text;
        bool enabled;
        Command handler;
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
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("IDR_%1").arg(IDR_EDITOR_POPUP));
    for (const CItem& item : items) {
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QStringLiteral("ID_%1").arg(item.id));
        action->setEnabled(item.enabled && !IsBusy());
        // The menu's redraw only fills the list again; the button also checks.
        const Command command = item.handler != nullptr ? item.handler : &CKestrinFF::OnFillRows;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    return menu;
}

bool CKestrinFF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->IDC_1010 && event->type() == QEvent::KeyPress && !IsBusy()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            ShowPopupMenuFromKeyboard();
            return true;
        }
        return HandleListKey(key->key(), key->modifiers().testFlag(Qt::ControlModifier));
    }
    return QWizardPage::eventFilter(watched, event);
}

// The editing keys act whatever the buttons show; the editor itself refuses
// what the check box forbids.
bool CKestrinFF::HandleListKey(int key, bool control) {
    Command handler = nullptr;
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
    RunCommand(handler);
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

void CKestrinFF::OnFillRows() {
    m_editor.FillRows();
}

void CKestrinFF::OnRedraw() {
    m_editor.FillRows();
    m_editor.RebuildAndCheck();
}

void CKestrinFF::OnShowResult() {
    WaitForCheck();
    m_editor.ShowResult();
}

void CKestrinFF::OnShowAll(bool checked) {
    m_editor.SetShowAll(checked);
}
