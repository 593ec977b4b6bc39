#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

// A date value is a day count held as a double: day 0 = 1899-12-30, whole
// days for dates, a fraction for the time of day (only the device time stamp
// has one). Every conversion between date values and QDate lives here.
using DateValue = double;

// 1899-12-30 as a Julian Day Number.
constexpr qint64 DateValueEpochJd = 2415019;

QDate DateValueToQDate(DateValue value);
// 0 for an invalid date.
DateValue QDateToDateValue(QDate date);
QDateTime DateValueToQDateTime(DateValue value);
DateValue QDateTimeToDateValue(const QDateTime &dt);

// Date value of a valid calendar date; 0 for an invalid one.
DateValue EncodeDate(int year, int month, int day);
// Date value of a real date of year 1 or later; no value otherwise.
std::optional<DateValue> TryEncodeDate(int year, int month, int day);
void DecodeDate(DateValue value, int &year, int &month, int &day);

// 30 for months 4, 6, 9, 11; 31 for the other months of 1..12; otherwise
// (February and any month outside 1..12) 29 in year 0 or a Gregorian leap
// year, else 28.
int DaysInMonth(int year, int month);

// Weeks run Sunday to Saturday; the week beginning Sunday 1899-12-31 is odd.
bool WeekIsOdd(DateValue date);

// Item file date field. All zero gives 1900-01-01 (value 2); otherwise the
// year is clamped to 1980..2099, the month to 1..12 and the day to the month.
DateValue YmdToDate(int year, int month, int day);
void DateToYmd(DateValue date, int &year, int &month, int &day);

// Item file time stamp (DOS date-time). Years outside 1980..2099 write 0;
// 0 and values that are no valid date and time read as 0.
quint32 DateTimeToDos(DateValue value);
DateValue DosToDateTime(quint32 dos);

// "yyyy", "mm" and "dd" joined by `separator`: "-" gives ISO dates, nothing
// the iCalendar form.
QString FormatDateParts(DateValue value, QStringView separator);
// "yyyy/mm/dd"
QString FormatDateSlash(DateValue value);
// "yyyy年mm月dd日"
QString FormatDateKanji(DateValue value);

// Years written with at most two digits fall in the hundred years that
// start this many years before the current year.
void SetTwoDigitYearWindow(int years);
int TwoDigitYearWindow();
int ExpandTwoDigitYear(int year, int currentYear, int window);

// Parses "y/m/d" (also with "-" or "." between the parts) or "m/d" of the
// current year. Returns no value for text that is no real date.
std::optional<DateValue> ParseDate(QStringView text);
