// Qt's own file dialog with columns that show what they hold: by default its
// size, type and date columns are cut to a few characters.
#pragma once

class QApplication;

// Every file dialog the application opens from now on, static ones too,
// sizes its columns to their contents when it is shown.
void WidenFileDialogColumns(QApplication& application);
