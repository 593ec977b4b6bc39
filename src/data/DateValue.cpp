#include "data/DateValue.h"

#include "data/Clock.h"

#include <cmath>

namespace {
int twoDigitWindow = 50;

qint64 wholeDays(DateValue value)
{
    return qint64(std::trunc(value));
}
} // namespace

QDate DateValueToQDate(DateValue value)
{
    return QDate::fromJulianDay(wholeDays(value) + DateValueEpochJd);
}

DateValue QDateToDateValue(QDate date)
{
    // An invalid date has no day number (Qt's stand-in would overflow).
    if (!date.isValid())
        return 0;
    return double(date.toJulianDay() - DateValueEpochJd);
}

QDateTime DateValueToQDateTime(DateValue value)
{
    const double fraction = std::fabs(value - std::trunc(value));
    const qint64 ms = qint64(std::llround(fraction * 86400000.0));
    return QDateTime(DateValueToQDate(value), QTime(0, 0).addMSecs(int(qMin<qint64>(ms, 86399999))));
}

DateValue QDateTimeToDateValue(const QDateTime &dt)
{
    const double day = QDateToDateValue(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return day >= 0 ? day + fraction : day - fraction;
}

DateValue EncodeDate(int year, int month, int day)
{
    return QDateToDateValue(QDate(year, month, day));
}

std::optional<DateValue> TryEncodeDate(int year, int month, int day)
{
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return EncodeDate(year, month, day);
}

void DecodeDate(DateValue value, int &year, int &month, int &day)
{
    DateValueToQDate(value).getDate(&year, &month, &day);
}

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    default:
        return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 29 : 28;
    }
}

bool WeekIsOdd(DateValue date)
{
    const qint64 n = wholeDays(date);
    // Floor division, so days before 1899-12-31 keep the same weekly rhythm.
    qint64 q = (n - 1) / 7;
    if ((n - 1) % 7 != 0 && (n - 1) < 0)
        --q;
    return q % 2 == 0;
}

DateValue YmdToDate(int year, int month, int day)
{
    if (year == 0 && month == 0 && day == 0)
        return 2;
    year = qBound(1980, year, 2099);
    month = qBound(1, month, 12);
    day = qBound(1, day, DaysInMonth(year, month));
    return EncodeDate(year, month, day);
}

void DateToYmd(DateValue date, int &year, int &month, int &day)
{
    DecodeDate(date, year, month, day);
}

// The DOS fields are plain calendar parts: no time zone is involved (a
// local QDateTime would consult the zone database on every call and move
// times that fall into a daylight-saving gap).
quint32 DateTimeToDos(DateValue value)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    if (year < 1980 || year > 2099)
        return 0;
    const double fraction = std::fabs(value - std::trunc(value));
    const qint64 ms = qMin<qint64>(std::llround(fraction * 86400000.0), 86399999);
    const int secs = int(ms / 1000);
    return quint32(year - 1980) << 25 | quint32(month) << 21 | quint32(day) << 16 | quint32(secs / 3600) << 11
        | quint32(secs / 60 % 60) << 5 | quint32(secs % 60 / 2);
}

DateValue DosToDateTime(quint32 dos)
{
    if (dos == 0)
        return 0;
    const int year = int(dos >> 25) + 1980, month = int(dos >> 21 & 0x0F), dayOfMonth = int(dos >> 16 & 0x1F);
    const int hour = int(dos >> 11 & 0x1F), minute = int(dos >> 5 & 0x3F), second = int(dos & 0x1F) * 2;
    const std::optional<DateValue> date = TryEncodeDate(year, month, dayOfMonth);
    if (!date || !QTime::isValid(hour, minute, second))
        return 0;
    const double day = *date;
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    return day >= 0 ? day + fraction : day - fraction;
}

QString FormatDateParts(DateValue value, QStringView separator)
{
    int y, m, d;
    DecodeDate(value, y, m, d);
    // One number at a time: a separator next to the digits must not be read
    // as another placeholder.
    const auto padded
        = [](int number, int width) { return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0')); };
    const QString between = separator.toString();
    return padded(y, 4) + between + padded(m, 2) + between + padded(d, 2);
}

QString FormatDateSlash(DateValue value)
{
    return FormatDateParts(value, u"/");
}

QString FormatDateKanji(DateValue value)
{
    int y, m, d;
    DecodeDate(value, y, m, d);
    return QStringLiteral("%1年%2月%3日")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'));
}

void SetTwoDigitYearWindow(int years)
{
    twoDigitWindow = years;
}

int TwoDigitYearWindow()
{
    return twoDigitWindow;
}

int ExpandTwoDigitYear(int year, int currentYear, int window)
{
    const int base = currentYear - window;
    int result = year + (base / 100) * 100;
    if (result < base)
        result += 100;
    return result;
}

std::optional<DateValue> ParseDate(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;

    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || trimmed[i] == u'/' || trimmed[i] == u'-' || trimmed[i] == u'.') {
            parts.append(trimmed.mid(start, i - start).trimmed());
            start = i + 1;
        }
    }
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;

    int numbers[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView p = parts[i];
        if (p.isEmpty() || p.size() > 4)
            return std::nullopt;
        for (QChar c : p)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        numbers[i] = p.toInt();
    }

    const int currentYear = Clock::today().year();
    int year, month, day;
    if (parts.size() == 3) {
        year = numbers[0];
        if (parts[0].size() <= 2)
            year = ExpandTwoDigitYear(year, currentYear, twoDigitWindow);
        month = numbers[1];
        day = numbers[2];
    } else {
        year = currentYear;
        month = numbers[0];
        day = numbers[1];
    }
    return TryEncodeDate(year, month, day);
}
