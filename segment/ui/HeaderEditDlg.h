// The edit dialog of one kept-header row: its code and its description, under
// a prompt the caller chooses. It only collects the two texts; whether the
// code may be used is decided by the list.
#pragma once

#include <QDialog>
#include <memory>

#include "segment/KeptHeaderList.h"

namespace Ui {
class CHeaderEditDlg;
}

class CHeaderEditDlg : public QDialog {
    Q_OBJECT

public:
    // Shows prompt above the fields, which start with row's values.
    CHeaderEditDlg(const QString& prompt, const CKeptHeaderRow& row, QWidget* parent = nullptr);
    ~CHeaderEditDlg() override;

    // The texts as entered; the code is not checked to be hex.
    CKeptHeaderRow Row() const;

private:
    std::unique_ptr<Ui::CHeaderEditDlg> m_ui;
};
