#include "calendar/Julius.h"

#include <cmath>

namespace {

constexpr int commonMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int cycleEnds[4] = {365, 730, 1095, 1460};
constexpr double pi = 3.1415926535897932385;

// Floor division and modulo, so that days before -4712-01-01 stay consistent.
int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int floorMod(int a, int b)
{
    return a - floorDiv(a, b) * b;
}

bool julianLeap(int year)
{
    return floorMod(year + 4712, 4) == 0;
}

double sinDeg(double degrees)
{
    return std::sin(degrees / 180 * pi);
}

bool comesBackAs(int year, int month, int day, int julius)
{
    int y, m, d;
    JuliusToYmd(julius, y, m, d);
    return y == year && m == month && d == day;
}

} // namespace

EJuliusError::EJuliusError()
    : AppError(QStringLiteral("1582/10/5-10/14は存在しません。"))
{ }

bool IsJuliusLeapYear(int year)
{
    if (year < 1582)
        return julianLeap(year);
    if (year % 4 != 0)
        return false;
    if (year % 4000 == 0)
        return false;
    if (year % 400 == 0)
        return true;
    return year % 100 != 0;
}

int JuliusMonthDays(int year, int month)
{
    return commonMonthDays[month - 1] + ((month == 2 && IsJuliusLeapYear(year)) ? 1 : 0);
}

int JulianYmdToJulius(int year, int month, int day)
{
    // Floor rather than truncation keeps the count right before year -4715.
    const int a = int(std::floor((year + 4715) * 365.25));
    int c = 0;
    if (month >= 3)
        c = (julianLeap(year) ? 1 : 0) - int(std::trunc(0.4 * month + 1.2)) - 1;
    return a + day + 31 * month + c - 1127;
}

int GregorianYmdToJulius(int year, int month, int day)
{
    int e = JulianYmdToJulius(year, month, day) - 10;
    if (month >= 3)
        e += (year % 400 == 0 ? 1 : 0) - (year % 100 == 0 ? 1 : 0) - (year % 4000 == 0 ? 1 : 0);
    return e - int(std::trunc(std::trunc((year - 1501) / 100.0) * 0.75)) - int(std::trunc((year - 1) / 4000.0));
}

int YmdToJulius(int year, int month, int day)
{
    if (year < 1582)
        return JulianYmdToJulius(year, month, day);
    if (year > 1582)
        return GregorianYmdToJulius(year, month, day);
    if (month < 10)
        return JulianYmdToJulius(year, month, day);
    if (month > 10)
        return GregorianYmdToJulius(year, month, day);
    if (day < 5)
        return JulianYmdToJulius(year, month, day);
    if (day > 14)
        return GregorianYmdToJulius(year, month, day);
    throw EJuliusError();
}

void JuliusToJulianYmd(int julius, int &year, int &month, int &day)
{
    const int q = floorDiv(julius, 1461);
    const int r = floorMod(julius, 1461);
    int i = 0;
    while (i < 3 && cycleEnds[i] < r)
        ++i;
    year = 4 * q - 4712 + i;
    int n = julius - JulianYmdToJulius(year, 1, 1);
    month = 1;
    for (; month < 12; ++month) {
        const int length = commonMonthDays[month - 1] + ((month == 2 && julianLeap(year)) ? 1 : 0);
        if (n < length)
            break;
        n -= length;
    }
    day = n + 1;
}

void JuliusToGregorianYmd(int julius, int &year, int &month, int &day)
{
    // The shift below follows the plain 400-year cycle. From year 4000 on the
    // forward conversion also drops the leap day of every 4000th year; add
    // those dropped days back until the forward conversion agrees.
    for (int dropped = 0;; ++dropped) {
        const int j = julius + dropped;
        const int alpha = int(std::trunc((j - 1867216.25) / 36524.25));
        JuliusToJulianYmd(j + 1 + alpha - int(std::trunc(alpha / 4.0)), year, month, day);
        if (dropped > 1000)
            return; // far outside any calendar in use; give the plain-cycle date
        if (GregorianYmdToJulius(year, month, day) == julius && day <= JuliusMonthDays(year, month))
            return;
    }
}

void JuliusToYmd(int julius, int &year, int &month, int &day)
{
    if (julius <= 2299160)
        JuliusToJulianYmd(julius, year, month, day);
    else
        JuliusToGregorianYmd(julius, year, month, day);
}

int JuliusDayOfWeek(int julius)
{
    return floorMod(julius + 1, 7) + 1;
}

bool IsValidYmd(int year, int month, int day)
{
    return comesBackAs(year, month, day, YmdToJulius(year, month, day));
}

int DateToJulius(DateValue date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    return YmdToJulius(y, m, d);
}

int VernalEquinoxJulius(int year)
{
    const double y = year - 2000;
    double s = 0.002
        * (sinDeg(321 - 30.37 * y) + sinDeg(249 + 0.19 * y) + sinDeg(202 - 132.57 * y) + sinDeg(84 - 90.37 * y));
    s = s - 0.00004871850323926 * y + 0.001 * sinDeg(132 - 134.81 * y) + 0.005 * sinDeg(239 - 19.34 * y);
    const double t = 0.0000001 * y * y - s;
    return int(std::trunc(2451624.683 + 365.24229 * y + t));
}

int AutumnalEquinoxJulius(int year)
{
    const double y = year - 2000;
    double s = 0.002
        * (sinDeg(485 - 30.37 * y) + sinDeg(249 + 0.19 * y) + sinDeg(268.2 - 132.57 * y) + sinDeg(309.2 - 90.37 * y));
    s = s + 0.00004871850323926 * y + 0.001 * sinDeg(244.6 - 134.81 * y) + 0.005 * sinDeg(248.6 - 19.34 * y);
    const double t = 0.0000001 * y * y - s;
    return int(std::trunc(2451811.096 + 365.24206 * y + t));
}

bool IsVernalEquinox(int year, int month, int day)
{
    int y, m, d;
    JuliusToYmd(VernalEquinoxJulius(year), y, m, d);
    return m == month && d == day;
}

bool IsAutumnalEquinox(int year, int month, int day)
{
    int y, m, d;
    JuliusToYmd(AutumnalEquinoxJulius(year), y, m, d);
    return m == month && d == day;
}
