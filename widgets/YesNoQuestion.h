// The program's yes-or-no question ("はい" / "いいえ"), with the answer that
// Return gives chosen by the caller: a question whose "Yes" may cost the
// user's photo defaults to "No".
#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class EDefaultAnswer { Yes, No };

// True when the user answered "Yes".
bool AskYesNo(QWidget* parent, const QString& question, EDefaultAnswer byDefault);

// Answers every later AskYesNo in place of the user, without a window, until
// an empty hook is set. For tests, which cannot click into a modal box
// reliably; the hook sees the default the box would have had.
using YesNoHook = std::function<bool(const QString& question, EDefaultAnswer byDefault)>;
void SetYesNoHook(YesNoHook hook);
