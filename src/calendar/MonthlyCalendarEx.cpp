#include "calendar/MonthlyCalendarEx.h"

#include "calendar/Julius.h"
#include "data/Clock.h"

TMonthlyCalendarEx::TMonthlyCalendarEx(QWidget *parent)
    : TMonthlyCalendar(parent)
{
    resize(153, 101);
    setAutoResize(false);
    setNeighborJump(true);
    setShowNeighbor(true);
    setHolidayList(DefaultHolidayLines());
}

void TMonthlyCalendarEx::setMinYear(int year)
{
    if (year == m_minYear)
        return;
    m_minYear = year;
    if (Year() < year)
        setYear(year);
}

void TMonthlyCalendarEx::setMaxYear(int year)
{
    if (year == m_maxYear)
        return;
    m_maxYear = year;
    if (Year() > year)
        setYear(year);
}

DateValue TMonthlyCalendarEx::Date() const
{
    return QDateToDateValue(QDate(Year(), Month(), Day()));
}

void TMonthlyCalendarEx::setDate(DateValue date)
{
    if (date != Date())
        setJuliusDay(DateToJulius(date));
}

void TMonthlyCalendarEx::setBorderStyle(TBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    setFrameStyle(style == bsSingle ? (QFrame::WinPanel | QFrame::Sunken) : QFrame::NoFrame);
    redrawAndRepaint();
}

void TMonthlyCalendarEx::SelectDate(int year, int month, int day)
{
    if (year < m_minYear || year > m_maxYear)
        return;
    TMonthlyCalendar::SelectDate(year, month, day);
}

void TMonthlyCalendarEx::GoToday()
{
    const int year = Clock::today().year();
    if (year < m_minYear || year > m_maxYear)
        return;
    TMonthlyCalendar::GoToday();
}

void TMonthlyCalendarEx::NextDay()
{
    const int y = Year();
    if (y > m_maxYear || (y == m_maxYear && Month() == 12 && Day() == 31))
        return;
    TMonthlyCalendar::NextDay();
}

void TMonthlyCalendarEx::PrevDay()
{
    const int y = Year();
    if (y < m_minYear || (y == m_minYear && Month() == 1 && Day() == 1))
        return;
    TMonthlyCalendar::PrevDay();
}

void TMonthlyCalendarEx::NextWeek()
{
    const int y = Year();
    if (y > m_maxYear || (y == m_maxYear && Month() == 12 && Day() >= 25))
        return;
    TMonthlyCalendar::NextWeek();
}

void TMonthlyCalendarEx::PrevWeek()
{
    const int y = Year();
    if (y < m_minYear || (y == m_minYear && Month() == 1 && Day() <= 7))
        return;
    TMonthlyCalendar::PrevWeek();
}

void TMonthlyCalendarEx::NextMonth()
{
    const int y = Year();
    if (y > m_maxYear || (y == m_maxYear && Month() == 12))
        return;
    TMonthlyCalendar::NextMonth();
}

void TMonthlyCalendarEx::PrevMonth()
{
    const int y = Year();
    if (y < m_minYear || (y == m_minYear && Month() == 1))
        return;
    TMonthlyCalendar::PrevMonth();
}

void TMonthlyCalendarEx::NextYear()
{
    if (Year() >= m_maxYear)
        return;
    TMonthlyCalendar::NextYear();
}

void TMonthlyCalendarEx::PrevYear()
{
    if (Year() <= m_minYear)
        return;
    TMonthlyCalendar::PrevYear();
}
