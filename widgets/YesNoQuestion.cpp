#include "widgets/YesNoQuestion.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>

namespace {

YesNoHook& Hook() {
    static YesNoHook hook;
    return hook;
}

}  // namespace

bool AskYesNo(QWidget* parent, const QString& question, EDefaultAnswer byDefault) {
    if (Hook()) {
        return Hook()(question, byDefault);
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("KestrinJPEG"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(byDefault == EDefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    // Esc and the close box mean "No" too.
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetYesNoHook(YesNoHook hook) {
    Hook() = std::move(hook);
}
