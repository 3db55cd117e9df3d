#include "widgets/SaveFileDialog.h"

#include <QFileDialog>

std::optional<std::string> AskSaveFileName(QWidget* parent, const QString& filter,
                                           const QString& suffix) {
    QFileDialog dialog(parent, QStringLiteral("名前を付けて保存"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}
