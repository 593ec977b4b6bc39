#pragma once

#include "calendar/HolidayRules.h"

#include <QString>

// The holidays that Japan's holiday law gives in one year: the national
// holidays of its table, the substitute holidays ("振替休日") and the days
// between two national holidays ("国民の休日"). Years before the law (1948)
// have none.
class HolidayLawYear
{
public:
    explicit HolidayLawYear(int year);

    // dfHoliday, dfSubstitute or nothing; nothing also for a day outside the
    // month.
    TDayFlags flags(int month, int day) const;
    // The day's name, or empty.
    QString name(int month, int day) const;

private:
    int kindOf(int month, int day) const;

    // Per day: 0 none, otherwise 1 + the index of the day's name.
    quint8 m_kind[12][31] = {};
};
