#include "dates/ui/SmallCalender.h"

#include <QLocale>
#include <algorithm>

namespace {

// Every file system a photo is likely to sit on (FAT and exFAT cards
// included) stores these dates; outside them some silently store another
// date while reporting success.
const QDate kFirstFileDate(1980, 1, 1);
const QDate kLastFileDate(2037, 12, 31);

}  // namespace

CSmallCalender::CSmallCalender(QWidget* parent) : QCalendarWidget(parent) {
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setDateRange(kFirstFileDate, kLastFileDate);
    connect(this, &QCalendarWidget::currentPageChanged, this, &CSmallCalender::FollowShownMonth);
}

void CSmallCalender::SetValue(QDate date) {
    setSelectedDate(date);
    setCurrentPage(selectedDate().year(), selectedDate().month());
}

void CSmallCalender::FollowShownMonth(int year, int month) {
    const QDate selected = selectedDate();
    if (selected.year() == year && selected.month() == month) {
        return;
    }
    const int lastDay = QDate(year, month, 1).daysInMonth();
    setSelectedDate(QDate(year, month, std::min(selected.day(), lastDay)));
}
