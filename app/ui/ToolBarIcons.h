// The 32 x 32 pictures of the tool-bar buttons, drawn at run time so that the
// program ships no image files for them.
#pragma once

#include <QIcon>

// The picture of the button for the menu command commandId; a null icon for
// a command without a button.
QIcon ToolBarIcon(int commandId);
