#include "dates/ui/DateTimeDlg.h"

#include <QPushButton>
#include <QSpinBox>

#include "dates/ui/SmallCalender.h"
#include "util/MessageSink.h"

namespace {

// A field whose text is no number in its range names the range and takes the focus.
bool CheckField(QSpinBox& field) {
    if (field.hasAcceptableInput()) {
        return true;
    }
    ShowMessage(QStringLiteral("%1 から %2 までの整数を入力してください。")
                    .arg(field.minimum())
                    .arg(field.maximum())
                    .toStdString());
    field.setFocus();
    field.selectAll();
    return false;
}

}  // namespace

CDateTimeDlg::CDateTimeDlg(QWidget* parent) : QDialog(parent), m_arrowKeys(*this) {}

void CDateTimeDlg::Attach(const CControls& controls, const QDateTime& initial) {
    m_pCalendar = &controls.calendar;
    m_pHour = &controls.hour;
    m_pMinute = &controls.minute;
    m_pCalendar->setToolTip(QStringLiteral("変更する日付に設定して下さい"));
    m_pHour->setRange(0, 23);
    m_pMinute->setRange(0, 59);
    m_pCalendar->SetValue(initial.date());
    m_pHour->setValue(initial.time().hour());
    m_pMinute->setValue(initial.time().minute());
    connect(&controls.previousMonth, &QPushButton::clicked, m_pCalendar,
            &CSmallCalender::PreviousMonth);
    connect(&controls.thisMonth, &QPushButton::clicked, m_pCalendar, &CSmallCalender::ThisMonth);
    connect(&controls.nextMonth, &QPushButton::clicked, m_pCalendar, &CSmallCalender::NextMonth);
}

std::optional<CLocalMoment> CDateTimeDlg::TakeFields() {
    if (!CheckField(*m_pHour) || !CheckField(*m_pMinute)) {
        return std::nullopt;
    }
    return CLocalMoment{m_pCalendar->GetValue(), m_pHour->value(), m_pMinute->value()};
}
