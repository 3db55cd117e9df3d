// The "作成日・更新日・ｱｸｾｽ日の変更" dialog (resource 130): picks one local
// minute for the times of one file. Modal; OK checks the fields and stays
// open, after the range message, while one of them is out of range.
#pragma once

#include <QDateTime>
#include <memory>
#include <string>

#include "dates/ui/DateTimeDlg.h"

namespace Ui {
class CFileDateDlg;
}

class CFileDateDlg : public CDateTimeDlg {
    Q_OBJECT

public:
    // initial is a local moment; its seconds are not shown.
    explicit CFileDateDlg(const QDateTime& initial, QWidget* parent = nullptr);
    ~CFileDateDlg() override;

    // The chosen moment; meaningful once the dialog ended with OK.
    const CLocalMoment& Moment() const { return m_moment; }

    void accept() override;

private:
    std::unique_ptr<Ui::CFileDateDlg> m_ui;
    CLocalMoment m_moment;
};

// The command "JPEG日付の変更(&D)": opens the dialog on the file's creation time
// and, after OK, gives the file the chosen moment as its times. Failures are
// shown with the path; the file manager is not told.
void ChangeFileDates(const std::string& path, QWidget* parent);
