// What the batch dialogs share: files dropped on the dialog go to the batch,
// whose log the read-only box shows scrolled to its end after every change;
// one button empties the log, the other hides the dialog, which keeps its
// contents for the next time it is shown. While the batch is busy, a drop
// and every way of closing answer "計算中です！" instead.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "util/EngineListener.h"

class QPlainTextEdit;
class QPushButton;

class CBatchLogDlg : public QDialog, protected IEngineListener {
public:
    explicit CBatchLogDlg(QWidget* parent);

    // True while work runs outside the drop handler.
    virtual bool IsBusy() const { return false; }

protected:
    // Called by the dialog once its widgets exist.
    void Attach(QPlainTextEdit& log, QPushButton& clearLog, QPushButton& close);

    // The batch the dialog shows.
    virtual void ProcessDrop(const std::vector<std::string>& paths) = 0;
    virtual const std::string& BatchLog() const = 0;
    virtual void ClearBatchLog() = 0;

    void OnLogChanged() override;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Escape, "終了" and the window's close button all end up here.
    void reject() override;

private:
    // False, after telling the user, while the batch is busy.
    bool MayInterrupt() const;

    QPlainTextEdit* m_pLog = nullptr;
};
