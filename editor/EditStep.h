// One recorded change of the marker editor's working list, as its undo and
// redo histories keep it. A step finds its segment by position only, so a
// history is valid only for the list it was recorded against.
#pragma once

#include <optional>
#include <string>

#include "segment/SegmentData.h"

// The kinds of change; the numbers are the ones the histories have always used.
enum class EEditKind { Zero = 101, Delete = 102, Edit = 103, Add = 104 };

struct CEditStep {
    EEditKind m_kind = EEditKind::Zero;
    // Position of the changed segment in the working list, from 0.
    int m_nIndex = 0;
    // Row of the changed segment in the editor's list when it was recorded.
    int m_nRow = 0;
    // Zero, delete, edit: the segment before the change. Add: the segment after
    // which the new one went in; once taken back, the added segment itself.
    std::string m_strCode;
    CSegmentData m_strData;
    // Whether the list on show when the step was recorded, which taking the
    // step leads back to, showed the picture, when its check had told: that
    // list needs no decode again.
    std::optional<bool> m_showsPicture;
};
