// The dialog of the kept-header list: shows the list file's rows and lets the
// user add, change, delete and reset them. The rows live in a CKeptHeaderList;
// the dialog only turns buttons into its calls and its rows into list items.
// The file is written on OK and by the reset, which writes it at once, so the
// caller should reload its kept codes after the dialog whatever it returned.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

#include "segment/KeptHeaderList.h"

namespace Ui {
class CKeptHeaderDlg;
}

class CKeptHeaderDlg : public QDialog {
    Q_OBJECT

public:
    // Shows text with buttons and returns the one chosen; a message box
    // unless a test answers instead.
    using AskFunction = std::function<QMessageBox::StandardButton(
        const QString& text, QMessageBox::StandardButtons buttons)>;

    // Fills the list from the file at listPath, which is created empty when missing.
    explicit CKeptHeaderDlg(const std::string& listPath, QWidget* parent = nullptr);
    ~CKeptHeaderDlg() override;

    void SetAsk(AskFunction ask) { m_fnAsk = std::move(ask); }

    // Writes every row to the list file and closes; stays open when the file
    // cannot be created.
    void accept() override;

private:
    void OnNew();
    void OnChange();
    void OnDelete();
    void OnReset();

    // Shows the list's rows and selects the row at selectRow, if any.
    void ShowRows(int selectRow = -1);
    // The selected row's index, or -1 with the "no selection" message shown.
    int SelectedRowOrTell();
    // Opens the edit dialog on row; false when the user cancelled.
    bool EditRow(const QString& prompt, CKeptHeaderRow& row);
    // Runs a step that reads or writes the list file; a read or write error
    // is shown and ends the step, so no exception reaches the event loop.
    void RunFileStep(const std::function<void()>& step);

    std::string m_strListPath;
    CKeptHeaderList m_list;
    std::unique_ptr<Ui::CKeptHeaderDlg> m_ui;
    AskFunction m_fnAsk;
};
