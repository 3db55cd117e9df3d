#include "editor/EditorCheck.h"

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
// boundary is; the failure travels in the answer to one.
CEditorCheckAnswer RunEditorCheck(const CEditorCheckRequest& request, const CSegmentList& list,
                                  std::mutex* listLock) {
    CEditorCheckAnswer answer{request.m_nGeneration, false, nullptr};
    try {
        const CEditorListImage image = LockedImageOfList(list, listLock);
        answer.m_bDecodes =
            request.m_bWriteWorkFiles
                ? RebuildEditorWorkCopy(image, *request.m_pWork, request.m_pReference)
                : ListShowsPicture(image, request.m_pReference);
    } catch (...) {
        answer.m_failure = std::current_exception();
    }
    return answer;
}
