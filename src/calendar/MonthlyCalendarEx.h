#pragma once

#include "calendar/MonthlyCalendar.h"
#include "data/DateValue.h"

// The month calendar of the date picker: the Japanese holidays, neighbour
// days shown and selectable, and navigation kept within MinYear..MaxYear.
class TMonthlyCalendarEx : public TMonthlyCalendar
{
    Q_OBJECT

public:
    enum TBorderStyle { bsNone, bsSingle };

    explicit TMonthlyCalendarEx(QWidget *parent = nullptr);

    // Setting them pulls the current day into the range; nothing else does.
    int MinYear() const { return m_minYear; }
    void setMinYear(int year);
    int MaxYear() const { return m_maxYear; }
    void setMaxYear(int year);

    // The current day as a date value; setting it ignores the year range.
    DateValue Date() const;
    void setDate(DateValue date);

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle style);

    QSize sizeHint() const override { return QSize(153, 101); }

    // Each refuses a step that would leave MinYear..MaxYear.
    void SelectDate(int year, int month, int day) override;
    void GoToday() override;
    void NextDay() override;
    void PrevDay() override;
    void NextWeek() override;
    void PrevWeek() override;
    void NextMonth() override;
    void PrevMonth() override;
    void NextYear() override;
    void PrevYear() override;

private:
    int m_minYear = 1901;
    int m_maxYear = 2099;
    TBorderStyle m_borderStyle = bsSingle;
};
