// The program's save dialog, titled "名前を付けて保存": a new name may be
// typed, and an existing file is only chosen after the user agreed to
// replace it.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

// Starts in the folder of nearPath (the picture on show); filter in Qt's form
// ("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"); suffix is added to a name typed without
// one. Nothing when the user cancelled.
std::optional<std::string> AskSaveFileName(QWidget* parent, const std::string& nearPath,
                                           const QString& filter, const QString& suffix);

// Answers every later AskSaveFileName in place of the user, without a
// dialog, until an empty hook is set. For tests, which cannot type into a
// modal dialog reliably.
using SaveFileNameHook = std::function<std::optional<std::string>()>;
void SetSaveFileNameHook(SaveFileNameHook hook);
