// The small window that shows how far a scan is and lets the user cancel it
// (resource 131; the batch optimiser's twin is resource 204). The Cancel
// button only raises the record's cancel flag: the window stays until its
// owner sees the scan end. The same window also stands over work that can
// neither be cancelled nor tell how far it is (a check, a decode).
#pragma once

#include <QDialog>
#include <memory>

#include "segment/HedThread.h"

namespace Ui {
class CProgressDlg;
}

class CProgressDlg : public QDialog {
    Q_OBJECT

public:
    CProgressDlg(CHedThread& record, QWidget* parent);
    // Over work without a record: Cancel stays grey and the bar only moves.
    CProgressDlg(const QString& firstLine, QWidget* parent);
    ~CProgressDlg() override;

    void SetFirstLine(const QString& text);
    void EnableCancel(bool enabled);
    // A progress report: past 80 % a cancel would come too late to save
    // anything, so the button goes grey; the bar and the second line follow.
    void ShowPercent(int percent);

protected:
    // Escape and the window's close button mean Cancel, never a silent close.
    void reject() override;

private:
    explicit CProgressDlg(QWidget* parent);

    std::unique_ptr<Ui::CProgressDlg> m_ui;
    // Null for work that cannot be cancelled.
    CHedThread* m_pRecord = nullptr;
};

class CBatchProgressDlg : public CProgressDlg {
    Q_OBJECT

public:
    CBatchProgressDlg(CHedThread& record, QWidget* parent);
};
