// What the two file-date dialogs share: a calendar with its three month
// buttons, an hour field and a minute field, the calendar's tool tip, and the
// guard that keeps the arrow keys on the focused control.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <optional>

#include "dates/FileTimes.h"
#include "dates/ui/ArrowKeyGuard.h"

class CSmallCalender;
class QPushButton;
class QSpinBox;

// A minute of local time; the seconds are always 0.
struct CLocalMoment {
    QDate date;
    int hour = 0;
    int minute = 0;

    // The moment as the three times of a file; nothing when it cannot be one.
    std::optional<CFileTimes> Times() const {
        return TimesAtLocalMoment(date.year(), date.month(), date.day(), hour, minute);
    }
    bool operator==(const CLocalMoment&) const = default;
};

class CDateTimeDlg : public QDialog {
public:
    explicit CDateTimeDlg(QWidget* parent);

protected:
    struct CControls {
        CSmallCalender& calendar;
        QPushButton& previousMonth;
        QPushButton& thisMonth;
        QPushButton& nextMonth;
        QSpinBox& hour;
        QSpinBox& minute;
    };

    // Called by the dialog once its widgets exist; shows initial in them.
    void Attach(const CControls& controls, const QDateTime& initial);

    // The calendar's date with the fields' hour and minute. Nothing, after the
    // range message and with the focus on the field, when a field does not
    // hold a whole number in its range.
    std::optional<CLocalMoment> TakeFields();

private:
    CArrowKeyGuard m_arrowKeys;
    CSmallCalender* m_pCalendar = nullptr;
    QSpinBox* m_pHour = nullptr;
    QSpinBox* m_pMinute = nullptr;
};
