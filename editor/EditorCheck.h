// One rebuild and check of the marker editor's work copy, as a value that can
// run on the window's thread or be handed to a worker. Checks are numbered by
// the editor, so that the answer for an older list is told from the answer for
// the list on show.
#pragma once

#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>

#include "segment/SegmentList.h"
#include "util/WorkFiles.h"

struct CPackedPicture;

struct CEditorCheckRequest {
    uint64_t m_nGeneration = 0;
    // False only decodes the list: the work files keep what they hold.
    bool m_bWriteWorkFiles = true;
    // Both owned by the editor's owner; they must outlive the check.
    const CWorkFiles* m_pWork = nullptr;
    const CPackedPicture* m_pReference = nullptr;
    // Whether the list shows the picture, where an earlier check of the same
    // list told: the files are written and nothing is decoded.
    std::optional<bool> m_knownShows;
};

struct CEditorCheckAnswer {
    uint64_t m_nGeneration = 0;
    bool m_bDecodes = false;
    // Whether the list's bytes show the picture, whatever became of the work
    // files; nothing when that was not found out.
    std::optional<bool> m_showsPicture;
    // What the rebuild threw (a work file the system refused), to be rethrown
    // where a command boundary shows it.
    std::exception_ptr m_failure;
};

// Where an editor hands its checks instead of running them itself. Submit
// returns without reading list; the checker reads it later, holding
// LockList(), which the list's owner holds whenever it changes the list. The
// list must outlive the check. The answer comes back to
// CMarkerEditor::TakeCheckAnswer on the editor's thread.
class IEditorChecker {
public:
    virtual ~IEditorChecker() = default;
    virtual void Submit(const CEditorCheckRequest& request, const CSegmentList& list) = 0;
    // A checker that copies the list in Submit needs no lock.
    virtual std::unique_lock<std::mutex> LockList() { return {}; }
};

// Rebuilds (when asked) and checks list on the calling thread, holding
// listLock, when there is one, only while it takes the list's image. Never
// throws: a failure is in the answer, which then says the copy does not decode.
CEditorCheckAnswer RunEditorCheck(const CEditorCheckRequest& request, const CSegmentList& list,
                                  std::mutex* listLock = nullptr);
