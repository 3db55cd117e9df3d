#include "widgets/SaveFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace {

SaveFileNameHook& Hook() {
    static SaveFileNameHook hook;
    return hook;
}

}  // namespace

std::optional<std::string> AskSaveFileName(QWidget* parent, const std::string& nearPath,
                                           const QString& filter, const QString& suffix) {
    if (Hook()) {
        return Hook()();
    }
    const QString folder =
        nearPath.empty() ? QString() : QFileInfo(QString::fromStdString(nearPath)).absolutePath();
    QFileDialog dialog(parent, QStringLiteral("名前を付けて保存"), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

void SetSaveFileNameHook(SaveFileNameHook hook) {
    Hook() = std::move(hook);
}
