// The date picker of the file-date dialogs: a selected date and three month
// steps. The selected date always lies in the month on show, however the
// month was changed, so the date the dialogs apply is the one the user sees.
#pragma once

#include <QCalendarWidget>
#include <QDate>

class CSmallCalender : public QCalendarWidget {
    Q_OBJECT

public:
    explicit CSmallCalender(QWidget* parent = nullptr);

    QDate GetValue() const { return selectedDate(); }
    // A date outside the dates a file can carry is moved to the nearest one.
    void SetValue(QDate date);

    void NextMonth() { showNextMonth(); }
    // Back to today.
    void ThisMonth() { SetValue(QDate::currentDate()); }
    void PreviousMonth() { showPreviousMonth(); }

private:
    void FollowShownMonth(int year, int month);
};
