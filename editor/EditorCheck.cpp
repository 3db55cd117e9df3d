#include "editor/EditorCheck.h"

#include "editor/EditorWorkCopy.h"

// Catches everything: the check may run on a worker, where no command
// boundary is; the failure travels in the answer to one.
CEditorCheckAnswer RunEditorCheck(const CEditorCheckRequest& request, const CSegmentList& list) {
    CEditorCheckAnswer answer{request.m_nGeneration, false, nullptr};
    try {
        answer.m_bDecodes =
            request.m_bWriteWorkFiles
                ? RebuildEditorWorkCopy(list, *request.m_pWork, request.m_pReference)
                : ListShowsPicture(list, request.m_pReference);
    } catch (...) {
        answer.m_failure = std::current_exception();
    }
    return answer;
}
