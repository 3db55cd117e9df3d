#include "editor/EditorCheck.h"

#include <future>

#include "editor/EditorWorkCopy.h"

namespace {

CEditorListImage LockedImageOfList(const CSegmentList& list, std::mutex* listLock) {
    if (listLock == nullptr) {
        return ImageOfList(list);
    }
    const std::lock_guard hold(*listLock);
    return ImageOfList(list);
}

}  // namespace

// Catches everything: the check may run on a worker, where no command
// boundary is; the failure travels in the answer to one. The verdict needs
// only the bytes: the work files are written meanwhile.
CEditorCheckAnswer RunEditorCheck(const CEditorCheckRequest& request, const CSegmentList& list,
                                  std::mutex* listLock) {
    CEditorCheckAnswer answer{request.m_nGeneration, false, std::nullopt, nullptr};
    try {
        const CEditorListImage image = LockedImageOfList(list, listLock);
        std::future<bool> written;
        if (request.m_bWriteWorkFiles) {
            // Deferred to get() only when no thread can be had.
            written = std::async(std::launch::async | std::launch::deferred, [&image, &request] {
                return WriteEditorWorkFiles(image, *request.m_pWork);
            });
        }
        answer.m_showsPicture = request.m_knownShows
                                    ? *request.m_knownShows
                                    : ListShowsPicture(image, request.m_pReference);
        answer.m_bDecodes = (!written.valid() || written.get()) && *answer.m_showsPicture;
    } catch (...) {
        answer.m_failure = std::current_exception();
    }
    return answer;
}
