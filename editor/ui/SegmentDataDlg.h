// The dialog in which the marker editor takes the marker and data of a
// segment to add or edit (resource 202). It keeps the size field and the
// readable text in step with the data and refuses OK until both marker and
// data are upper-case hex; the decisions are the segment data form's.
#pragma once

#include <QDialog>
#include <memory>

#include "editor/SegmentDataForm.h"

namespace Ui {
class CSegmentDataDlg;
}

class CSegmentDataDlg : public QDialog {
    Q_OBJECT

public:
    // The fields open as given: the size field keeps the caller's text until
    // the data changes.
    explicit CSegmentDataDlg(const CSegmentDataFields& fields, QWidget* parent = nullptr);
    ~CSegmentDataDlg() override;

    CSegmentDataFields Fields() const;

public slots:
    // Runs the checks; the first that fails is told and takes the focus.
    void accept() override;

private:
    void OnDataChanged();
    void OnToolTextChanged();
    // Shown from its start, where a segment's signature stands.
    void ShowReference(const QString& text);

    std::unique_ptr<Ui::CSegmentDataDlg> m_ui;
};
