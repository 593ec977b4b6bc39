#pragma once

#include "data/AppError.h"
#include "data/DateValue.h"

// Calendar arithmetic on Julius days: the chronological Julian Day Number
// (day 0 = -4712-01-01 of the proleptic Julian calendar, 2000-01-01 =
// 2451545). Dates up to 1582-10-04 are Julian-calendar dates, dates from
// 1582-10-15 Gregorian; the ten days between do not exist. Years are
// astronomical (year 0 is 1 BC). Weekdays count 1 = Sunday ... 7 = Saturday.

// Raised for the ten days of 1582 that the calendar reform skipped.
class EJuliusError : public AppError
{
public:
    EJuliusError();
};

int YmdToJulius(int year, int month, int day);
void JuliusToYmd(int julius, int &year, int &month, int &day);

int JulianYmdToJulius(int year, int month, int day);
int GregorianYmdToJulius(int year, int month, int day);
void JuliusToJulianYmd(int julius, int &year, int &month, int &day);
void JuliusToGregorianYmd(int julius, int &year, int &month, int &day);

int JuliusDayOfWeek(int julius);
bool IsJuliusLeapYear(int year);
// Month 1..12.
int JuliusMonthDays(int year, int month);
// True when the date exists; raises EJuliusError for 1582-10-05..14.
bool IsValidYmd(int year, int month, int day);
// The date value's (proleptic Gregorian) year, month and day as a Julius day.
int DateToJulius(DateValue date);

// Julius day of the civil date (Japan time) of the equinox in `year`.
int VernalEquinoxJulius(int year);
int AutumnalEquinoxJulius(int year);
// Compare month and day only.
bool IsVernalEquinox(int year, int month, int day);
bool IsAutumnalEquinox(int year, int month, int day);
