// What every window that takes files from the file manager shares.
#pragma once

#include <QDragMoveEvent>
#include <string>
#include <vector>

class QMimeData;

// Local files among the dropped URLs, in their order.
std::vector<std::string> DroppedPaths(const QMimeData* data);

// Lets a drag in when it carries at least one local file (entering is a move too).
void AcceptFileDrag(QDragMoveEvent* event);

// The wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
