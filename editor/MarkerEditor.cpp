#include "editor/MarkerEditor.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "editor/EditorWorkCopy.h"
#include "segment/SegmentFiles.h"
#include "settings/SettingsStore.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"

namespace {

const char kNoRowSelected[] = "JPEGｺｰﾄﾞが選択されていません。";
const char kProprietaryRemoved[] = "不明な独自情報の削除に成功しました";
const char kProprietaryNotRemoved[] = "不明な独自情報の削除に失敗しました";

// Hex characters of the two length bytes that every marker has, except the
// start and end of the picture, the restart markers, TEM and the stuffed
// FF00 pieces of the picture data.
size_t LengthFieldCharacters(const std::string& code) {
    constexpr size_t kLengthCharacters = 4;
    if (code.size() != 4 || code.compare(0, 2, "FF") != 0) {
        return 0;
    }
    unsigned second = 0;
    const char* last = code.data() + code.size();
    if (std::from_chars(code.data() + 2, last, second, 16).ptr != last) {
        return 0;
    }
    const bool standalone = second < 0xC0 || (second >= 0xD0 && second <= 0xD9) || second == 0xFF;
    return standalone ? 0 : kLengthCharacters;
}

// The data with every byte after its length field zero: a reader still finds
// where the segment ends.
std::string ZeroedData(const CJpegSegment& segment) {
    const size_t kept =
        std::min(LengthFieldCharacters(segment.m_strCode), segment.m_strData.size());
    return segment.m_strData.substr(0, kept) + std::string(segment.m_strData.size() - kept, '0');
}

}  // namespace

CMarkerEditor::CMarkerEditor(const CWorkFiles& work, const CSettingsStore& settings,
                             const std::vector<std::string>& keptCodes)
    : m_work(work), m_settings(settings), m_keptCodes(keptCodes.begin(), keptCodes.end()) {}

void CMarkerEditor::TakeScan(CHedThread& record, size_t exifPosition) {
    std::optional<CJpegSegment> exif = ReadExifBlockSegment(m_work.m_strExifDat);
    {
        const std::unique_lock hold = HoldListForChange();
        o_CodeJpg = std::move(record.m_Obj);
        if (exif) {
            const size_t place = ExifSegmentPlace(o_CodeJpg, exifPosition);
            o_CodeJpg.insert(o_CodeJpg.begin() + static_cast<ptrdiff_t>(place), std::move(*exif));
        }
    }
    ClearSegments(record.m_Obj);
    // Whole: no piece of an earlier scan may stay, holding its file.
    o_BackupJpg = o_CodeJpg;
    ClearHistories();
    m_bProprietaryRemovable = HasEmbeddedImage(o_CodeJpg);
    m_nOriginalBytes = record.m_nThreadSize;
    m_initialShows.reset();
    // The work files still hold the file as it came; they change with the
    // first edit, so a finish without one saves the file unchanged.
    StartInitialCheck(false);
    FillRows();
}

bool CMarkerEditor::EditingAllowed() const {
    return !m_bShowAll || m_settings.Read(settings::kJoukyuuEdit) != 0;
}

void CMarkerEditor::SetShowAll(bool showAll) {
    m_bShowAll = showAll;
    FillRows();
}

void CMarkerEditor::FillRows() {
    if (m_pListener != nullptr) {
        m_pListener->OnRowsAboutToBeReset();
    }
    m_rows.clear();
    int64_t total = 0;
    int64_t waste = 0;
    for (size_t index = 0; index < o_CodeJpg.size(); ++index) {
        const CJpegSegment& segment = o_CodeJpg[index];
        const int64_t characters = static_cast<int64_t>(segment.m_strData.size()) + 4;
        total += characters;
        const bool kept = IsKept(segment.m_strCode);
        if (kept && !m_bShowAll) {
            continue;
        }
        if (!kept) {
            waste += characters;
        }
        m_rows.push_back(index);
    }
    m_nNewBytes = total / 2;
    m_nWasteBytes = waste / 2;
    if (m_pListener != nullptr) {
        m_pListener->OnRowsReset();
    }
    NotifyState();
}

int CMarkerEditor::SegmentOfRow(int row) const {
    if (!IsRow(row)) {
        ShowMessage(kNoRowSelected);
        return -1;
    }
    return EditingAllowed() ? static_cast<int>(m_rows[static_cast<size_t>(row)]) : -1;
}

int CMarkerEditor::RowOfSegment(size_t index) const {
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), index);
    return found != m_rows.end() && *found == index ? static_cast<int>(found - m_rows.begin()) : -1;
}

void CMarkerEditor::Record(const CEditStep& step) {
    m_UndoList.push_back(step);
    m_RedoList.clear();
}

void CMarkerEditor::ChangeCounters(int64_t bytes) {
    m_nNewBytes += bytes;
    m_nWasteBytes += bytes;
}

void CMarkerEditor::ReplaceSegment(size_t index, const std::string& code,
                                   const CSegmentData& data) {
    {
        const std::unique_lock hold = HoldListForChange();
        o_CodeJpg[index] = CJpegSegment{code, data};
    }
    const int row = RowOfSegment(index);
    if (row >= 0 && m_pListener != nullptr) {
        m_pListener->OnRowChanged(row);
    }
}

// A segment that comes in is shown, whatever its code: the user put it there.
void CMarkerEditor::InsertSegment(size_t index, const std::string& code, const CSegmentData& data) {
    const auto rowAt = std::lower_bound(m_rows.begin(), m_rows.end(), index);
    const int row = static_cast<int>(rowAt - m_rows.begin());
    if (m_pListener != nullptr) {
        m_pListener->OnRowAboutToBeInserted(row);
    }
    {
        const std::unique_lock hold = HoldListForChange();
        o_CodeJpg.insert(o_CodeJpg.begin() + static_cast<ptrdiff_t>(index),
                         CJpegSegment{code, data});
    }
    for (auto later = rowAt; later != m_rows.end(); ++later) {
        ++*later;
    }
    m_rows.insert(m_rows.begin() + row, index);
    if (m_pListener != nullptr) {
        m_pListener->OnRowInserted();
    }
}

void CMarkerEditor::RemoveSegment(size_t index) {
    const int row = RowOfSegment(index);
    if (row >= 0 && m_pListener != nullptr) {
        m_pListener->OnRowAboutToBeRemoved(row);
    }
    {
        const std::unique_lock hold = HoldListForChange();
        o_CodeJpg.erase(o_CodeJpg.begin() + static_cast<ptrdiff_t>(index));
    }
    const auto later = std::upper_bound(m_rows.begin(), m_rows.end(), index);
    std::for_each(later, m_rows.end(), [](size_t& position) { --position; });
    if (row >= 0) {
        m_rows.erase(m_rows.begin() + row);
        if (m_pListener != nullptr) {
            m_pListener->OnRowRemoved();
        }
    }
}

bool CMarkerEditor::OverwriteWithZeros(int row) {
    const int index = SegmentOfRow(row);
    if (index < 0) {
        return false;
    }
    const CJpegSegment& segment = o_CodeJpg[static_cast<size_t>(index)];
    Record({EEditKind::Zero, index, row, segment.m_strCode, segment.m_strData, m_listShows});
    ReplaceSegment(static_cast<size_t>(index), segment.m_strCode, ZeroedData(segment));
    RebuildAndCheck();
    return true;
}

bool CMarkerEditor::DeleteRow(int row) {
    const int index = SegmentOfRow(row);
    if (index < 0) {
        return false;
    }
    const CJpegSegment& segment = o_CodeJpg[static_cast<size_t>(index)];
    Record({EEditKind::Delete, index, row, segment.m_strCode, segment.m_strData, m_listShows});
    ChangeCounters(-EditorSegmentSize(segment));
    RemoveSegment(static_cast<size_t>(index));
    RebuildAndCheck();
    return true;
}

bool CMarkerEditor::AddAfter(int row, const CJpegSegment& added) {
    const int index = SegmentOfRow(row);
    if (index < 0) {
        return false;
    }
    const CJpegSegment& segment = o_CodeJpg[static_cast<size_t>(index)];
    Record({EEditKind::Add, index + 1, row + 1, segment.m_strCode, segment.m_strData, m_listShows});
    InsertSegment(static_cast<size_t>(index) + 1, added.m_strCode, added.m_strData);
    ChangeCounters(EditorSegmentSize(added));
    RebuildAndCheck();
    return true;
}

bool CMarkerEditor::EditRow(int row, const CJpegSegment& changed) {
    const int index = SegmentOfRow(row);
    if (index < 0) {
        return false;
    }
    const CJpegSegment& segment = o_CodeJpg[static_cast<size_t>(index)];
    Record({EEditKind::Edit, index, row, segment.m_strCode, segment.m_strData, m_listShows});
    ChangeCounters(EditorSegmentSize(changed) - EditorSegmentSize(segment));
    ReplaceSegment(static_cast<size_t>(index), changed.m_strCode, changed.m_strData);
    RebuildAndCheck();
    return true;
}

// The three moves of a history step. Each records in opposite the step that
// takes it back, of kind recordedKind, and is false, with nothing changed, when
// the step's position does not fit the list.
bool CMarkerEditor::SwapStepSegment(const CEditStep& step, std::vector<CEditStep>& opposite) {
    if (step.m_nIndex < 0 || static_cast<size_t>(step.m_nIndex) >= o_CodeJpg.size()) {
        return false;
    }
    const size_t index = static_cast<size_t>(step.m_nIndex);
    const CJpegSegment present = o_CodeJpg[index];
    opposite.push_back({step.m_kind, step.m_nIndex, step.m_nRow, present.m_strCode,
                        present.m_strData, m_listShows});
    ChangeCounters(-EditorSegmentSize(present));
    ReplaceSegment(index, step.m_strCode, step.m_strData);
    ChangeCounters(EditorSegmentSize(o_CodeJpg[index]));
    return true;
}

bool CMarkerEditor::InsertStepSegment(const CEditStep& step, EEditKind recordedKind,
                                      std::vector<CEditStep>& opposite) {
    if (step.m_nIndex < 0 || static_cast<size_t>(step.m_nIndex) > o_CodeJpg.size()) {
        return false;
    }
    const size_t index = static_cast<size_t>(step.m_nIndex);
    opposite.push_back(
        {recordedKind, step.m_nIndex, step.m_nRow, step.m_strCode, step.m_strData, m_listShows});
    InsertSegment(index, step.m_strCode, step.m_strData);
    ChangeCounters(EditorSegmentSize(o_CodeJpg[index]));
    return true;
}

bool CMarkerEditor::RemoveStepSegment(const CEditStep& step, EEditKind recordedKind,
                                      std::vector<CEditStep>& opposite) {
    if (step.m_nIndex < 0 || static_cast<size_t>(step.m_nIndex) >= o_CodeJpg.size()) {
        return false;
    }
    const size_t index = static_cast<size_t>(step.m_nIndex);
    const CJpegSegment& present = o_CodeJpg[index];
    opposite.push_back({recordedKind, step.m_nIndex, step.m_nRow, present.m_strCode,
                        present.m_strData, m_listShows});
    ChangeCounters(-EditorSegmentSize(present));
    RemoveSegment(index);
    return true;
}

bool CMarkerEditor::TakeBack(const CEditStep& step, std::vector<CEditStep>& opposite) {
    switch (step.m_kind) {
        case EEditKind::Zero:
        case EEditKind::Edit:
            return SwapStepSegment(step, opposite);
        case EEditKind::Delete:
            return InsertStepSegment(step, EEditKind::Delete, opposite);
        case EEditKind::Add:
            return RemoveStepSegment(step, EEditKind::Add, opposite);
        default:
            return false;
    }
}

bool CMarkerEditor::DoAgain(const CEditStep& step, std::vector<CEditStep>& opposite) {
    switch (step.m_kind) {
        case EEditKind::Zero:
        case EEditKind::Edit:
            return SwapStepSegment(step, opposite);
        case EEditKind::Delete:
            return RemoveStepSegment(step, EEditKind::Delete, opposite);
        case EEditKind::Add:
            return InsertStepSegment(step, EEditKind::Add, opposite);
        default:
            return false;
    }
}

bool CMarkerEditor::Undo() {
    if (m_UndoList.empty() || !EditingAllowed()) {
        return false;
    }
    const CEditStep step = std::move(m_UndoList.back());
    m_UndoList.pop_back();
    if (!TakeBack(step, m_RedoList)) {
        return false;
    }
    StartCheck(true, step.m_showsPicture);
    return true;
}

bool CMarkerEditor::Redo() {
    if (m_RedoList.empty() || !EditingAllowed()) {
        return false;
    }
    const CEditStep step = std::move(m_RedoList.back());
    m_RedoList.pop_back();
    if (!DoAgain(step, m_UndoList)) {
        return false;
    }
    StartCheck(true, step.m_showsPicture);
    return true;
}

void CMarkerEditor::ClearHistories() {
    m_UndoList.clear();
    m_RedoList.clear();
}

void CMarkerEditor::ResetToInitial() {
    {
        const std::unique_lock hold = HoldListForChange();
        CopySegments(o_BackupJpg, o_CodeJpg);
    }
    if (HasEmbeddedImage(o_CodeJpg)) {
        m_bProprietaryRemovable = true;
    }
    ClearHistories();
    FillRows();
    StartInitialCheck(true);
}

// A failure puts the list back to the initial state, which the recorded
// steps no longer fit: both histories go in either case.
bool CMarkerEditor::RemoveProprietaryData() {
    if (!CanRemoveProprietary()) {
        return false;
    }
    bool removed = false;
    {
        const std::unique_lock hold = HoldListForChange();
        removed = RemoveProprietaryImage(o_BackupJpg, o_CodeJpg, m_settings);
        if (!removed) {
            CopySegments(o_BackupJpg, o_CodeJpg);
        }
    }
    m_bProprietaryRemovable = !removed;
    ShowMessage(removed ? kProprietaryRemoved : kProprietaryNotRemoved);
    ClearHistories();
    FillRows();
    if (removed) {
        RebuildAndCheck();
    } else {
        StartInitialCheck(true);
    }
    return removed;
}

std::unique_lock<std::mutex> CMarkerEditor::HoldListForChange() const {
    return m_pChecker != nullptr ? m_pChecker->LockList() : std::unique_lock<std::mutex>();
}

void CMarkerEditor::RebuildAndCheck() {
    StartCheck(true);
}

// The initial list's verdict, once told, holds for every return to it. The
// check is known by its number before it starts: an inline one answers at once.
void CMarkerEditor::StartInitialCheck(bool writeWorkFiles) {
    m_nInitialCheck = m_nCheckGeneration + 1;
    StartCheck(writeWorkFiles, m_initialShows);
}

// The checker reads the list itself, under its lock: edits go on while it
// checks.
void CMarkerEditor::StartCheck(bool writeWorkFiles, std::optional<bool> knownShows) {
    const CEditorCheckRequest request{++m_nCheckGeneration, writeWorkFiles, &m_work, m_pReference,
                                      knownShows};
    m_listShows = knownShows;
    m_bDecodes = false;
    if (m_pChecker == nullptr) {
        TakeCheckAnswer(RunEditorCheck(request, o_CodeJpg));
        return;
    }
    m_bCheckPending = true;
    m_pChecker->Submit(request, o_CodeJpg);
    NotifyState();
}

// A write that failed leaves work files that need not match the list: the
// answer then says they do not show the picture.
bool CMarkerEditor::TakeCheckAnswer(const CEditorCheckAnswer& answer) {
    if (answer.m_nGeneration != m_nCheckGeneration) {
        return false;
    }
    if (answer.m_showsPicture) {
        m_listShows = answer.m_showsPicture;
        if (answer.m_nGeneration == m_nInitialCheck) {
            m_initialShows = m_listShows;
        }
    }
    m_bCheckPending = false;
    m_bDecodes = answer.m_bDecodes;
    NotifyState();
    if (answer.m_failure) {
        std::rethrow_exception(answer.m_failure);
    }
    return true;
}

bool CMarkerEditor::ShowResult() const {
    HexFileToBinary(m_work.m_strTempHexa, m_work.m_strTempData);
    return OpenWithAssociatedApp(m_work.m_strTempData);
}

void CMarkerEditor::NotifyState() {
    if (m_pListener != nullptr) {
        m_pListener->OnStateChanged();
    }
}
