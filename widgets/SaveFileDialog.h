// The program's save dialog, titled "名前を付けて保存": a new name may be
// typed, and an existing file is only chosen after the user agreed to
// replace it.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

// filter in Qt's form ("JPEGﾌｧｲﾙ(*.jpg);;全ﾌｧｲﾙ(*.*)"); suffix is added to a
// name typed without one. Nothing when the user cancelled.
std::optional<std::string> AskSaveFileName(QWidget* parent, const QString& filter,
                                           const QString& suffix);
