// The expert marker editor: the working list of a scanned file and its
// initial state, the rows the editor's list shows, the byte counters, every
// editing command with its undo and redo steps, and the rebuild and check of
// the work copy after each change. The page only asks it and shows its answers.
//
// Rows: a row is the position of one segment of the working list, so a command
// on a row acts on that segment even when others show the same code and text.
// Rows are kept in list order; segments on the kept-header list are hidden
// unless the picture data is shown.
//
// Counters: the waste and the new size follow each command by the size of the
// segments it touched, as the user has always seen them; only filling the list
// recomputes them from scratch.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "editor/EditStep.h"
#include "editor/EditorCheck.h"
#include "editor/EditorWorkCopy.h"
#include "segment/HedThread.h"
#include "segment/SegmentList.h"
#include "util/WorkFiles.h"

class CSettingsStore;
struct CPackedPicture;

// How the editor tells its view what changed. The row calls come in pairs
// around the change, as a list model needs them.
class IMarkerEditorListener {
public:
    virtual ~IMarkerEditorListener() = default;
    virtual void OnRowsAboutToBeReset() {}
    virtual void OnRowsReset() {}
    virtual void OnRowAboutToBeInserted(int /*row*/) {}
    virtual void OnRowInserted() {}
    virtual void OnRowAboutToBeRemoved(int /*row*/) {}
    virtual void OnRowRemoved() {}
    virtual void OnRowChanged(int /*row*/) {}
    // Counters, enable states or the work copy's decodability may have changed.
    virtual void OnStateChanged() {}
};

class CMarkerEditor {
public:
    // All three must outlive the editor.
    CMarkerEditor(const CWorkFiles& work, const CSettingsStore& settings,
                  const std::vector<std::string>& keptCodes);

    // The picture the work copy must keep showing; null fails every check.
    // Set before the scan is taken: the verdicts told stay with their lists.
    void SetReference(const CPackedPicture* reference) { m_pReference = reference; }
    void SetListener(IMarkerEditorListener* listener) { m_pListener = listener; }
    // Where checks go from now on; null runs them inline, before the command
    // that asked returns. checker must outlive its use here, and be replaced
    // only while no check of it reads the list.
    void SetChecker(IEditorChecker* checker) { m_pChecker = checker; }

    // Takes over a finished scan of the Exif-free work copy (record.m_Obj is
    // emptied), puts the cut Exif block back as one FFE1 segment where it
    // stood (exifPosition bytes into the file, as PrepareEditorWorkCopy gave
    // it), keeps that list as the initial state and fills the rows.
    void TakeScan(CHedThread& record, size_t exifPosition);

    // The rows.
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    const CJpegSegment& RowSegment(int row) const { return o_CodeJpg[m_rows.at(row)]; }
    bool IsRow(int row) const { return row >= 0 && row < RowCount(); }

    int64_t NewBytes() const { return m_nNewBytes; }
    int64_t WasteBytes() const { return m_nWasteBytes; }
    int64_t OriginalBytes() const { return m_nOriginalBytes; }

    // Showing the picture data refills the rows; editing then stays allowed
    // only when the setting joukyuuedit says so.
    bool ShowAll() const { return m_bShowAll; }
    void SetShowAll(bool showAll);
    bool EditingAllowed() const;
    bool CanUndo() const { return EditingAllowed() && !m_UndoList.empty(); }
    bool CanRedo() const { return EditingAllowed() && !m_RedoList.empty(); }
    bool CanRemoveProprietary() const { return EditingAllowed() && m_bProprietaryRemovable; }
    // Whether the rebuilt work copy of the list on show shows the reference
    // picture; false while its check has not answered.
    bool Decodes() const { return m_bDecodes; }
    // A check handed to the checker has not answered for the list on show.
    bool CheckPending() const { return m_bCheckPending; }
    // An answer of the checker: false, and nothing changes, when it is for an
    // older list than the one on show. The current answer's failure is
    // rethrown after the state was taken.
    bool TakeCheckAnswer(const CEditorCheckAnswer& answer);

    // Commands on a row; -1 when none is selected, which is told to the user.
    // False when nothing changed (no such row, or editing not allowed).
    bool OverwriteWithZeros(int row);
    bool DeleteRow(int row);
    // added goes in after the row's segment, changed replaces it.
    bool AddAfter(int row, const CJpegSegment& added);
    bool EditRow(int row, const CJpegSegment& changed);

    bool Undo();
    bool Redo();
    // The list as scanned; both histories emptied.
    void ResetToInitial();
    // Drops the proprietary data in front of the nested picture, starting from
    // the initial state; both histories are emptied whatever the outcome.
    bool RemoveProprietaryData();

    // Fills the rows again and recomputes both counters.
    void FillRows();
    // Writes the work files from the list and checks the picture again, or
    // hands both to the checker.
    void RebuildAndCheck();
    // Turns the hex work file into the work copy and opens it in the
    // associated program.
    bool ShowResult() const;

    const CSegmentList& WorkingList() const { return o_CodeJpg; }
    const CSegmentList& InitialList() const { return o_BackupJpg; }
    const std::vector<CEditStep>& UndoSteps() const { return m_UndoList; }
    const std::vector<CEditStep>& RedoSteps() const { return m_RedoList; }

private:
    bool IsKept(const std::string& code) const { return m_keptCodes.contains(code); }
    // The row's segment position, or -1 after telling the user; -1 also when
    // editing is not allowed.
    int SegmentOfRow(int row) const;
    int RowOfSegment(size_t index) const;
    void Record(const CEditStep& step);
    void ChangeCounters(int64_t bytes);
    void ReplaceSegment(size_t index, const std::string& code, const CSegmentData& data);
    void InsertSegment(size_t index, const std::string& code, const CSegmentData& data);
    void RemoveSegment(size_t index);
    bool SwapStepSegment(const CEditStep& step, std::vector<CEditStep>& opposite);
    bool InsertStepSegment(const CEditStep& step, EEditKind recordedKind,
                           std::vector<CEditStep>& opposite);
    bool RemoveStepSegment(const CEditStep& step, EEditKind recordedKind,
                           std::vector<CEditStep>& opposite);
    // Undo and redo: apply step, recording its reverse in opposite.
    bool TakeBack(const CEditStep& step, std::vector<CEditStep>& opposite);
    bool DoAgain(const CEditStep& step, std::vector<CEditStep>& opposite);
    void ClearHistories();
    void NotifyState();
    // Held around every change of o_CodeJpg: a checker may be reading it.
    std::unique_lock<std::mutex> HoldListForChange() const;
    // Numbers a check of the list on show and runs it or hands it on;
    // knownShows is the list's verdict where an earlier check told it.
    void StartCheck(bool writeWorkFiles, std::optional<bool> knownShows = std::nullopt);
    void StartInitialCheck(bool writeWorkFiles);

    const CWorkFiles& m_work;
    const CSettingsStore& m_settings;
    std::unordered_set<std::string> m_keptCodes;
    const CPackedPicture* m_pReference = nullptr;
    IMarkerEditorListener* m_pListener = nullptr;
    IEditorChecker* m_pChecker = nullptr;

    CSegmentList o_CodeJpg;
    CSegmentList o_BackupJpg;
    std::vector<CEditStep> m_UndoList;
    std::vector<CEditStep> m_RedoList;
    // Positions in o_CodeJpg of the shown segments, ascending.
    std::vector<size_t> m_rows;
    int64_t m_nNewBytes = 0;
    int64_t m_nWasteBytes = 0;
    int64_t m_nOriginalBytes = 0;
    bool m_bShowAll = false;
    bool m_bProprietaryRemovable = false;
    bool m_bDecodes = false;
    bool m_bCheckPending = false;
    uint64_t m_nCheckGeneration = 0;
    // Whether the list on show, and the initial list, show the picture, once
    // a check told: going back to a list needs no decode. Each history step
    // keeps the verdict of the list it leads back to.
    std::optional<bool> m_listShows;
    std::optional<bool> m_initialShows;
    // The check whose answer tells the initial list's verdict.
    uint64_t m_nInitialCheck = 0;
};
