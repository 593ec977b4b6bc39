#include "calendar/HolidayRules.h"

#include "calendar/HolidayLaw.h"
#include "calendar/Julius.h"

namespace {

// Fields are taken as they stand: plain decimal digits, no blanks and no
// plus sign; a minus only where the field may be negative.
bool toNumber(const QString &field, bool mayBeNegative, int &value)
{
    const qsizetype start = mayBeNegative && field.startsWith(u'-') ? 1 : 0;
    if (field.size() == start)
        return false;
    for (qsizetype i = start; i < field.size(); ++i)
        if (field[i] < u'0' || field[i] > u'9')
            return false;
    bool ok = false;
    value = field.toInt(&ok, 10);
    return ok;
}

// Day of the month of the w-th weekday k (1 = Sunday) of a month; 32 (no
// day) for a month that does not exist or a day far outside any month.
int nthWeekday(int year, int month, int w, int k)
{
    if (month < 1 || month > 12)
        return 32;
    const qint64 first = JuliusDayOfWeek(YmdToJulius(year, month, 1));
    const qint64 day = ((qint64(k) + 7 - first) % 7 + 7) % 7 + 1 + 7 * (qint64(w) - 1);
    return (day < -1000 || day > 1000) ? 32 : int(day);
}

bool conditionHolds(int ruleYear, int condition, int year)
{
    switch (condition) {
    case 0:
        return year == ruleYear;
    case 1:
        return year <= ruleYear;
    case 2:
        return year >= ruleYear;
    default:
        return true;
    }
}

bool needsQuotes(const QString &name)
{
    for (QChar c : name)
        if (c.unicode() <= u' ' || c == u',' || c == u'"')
            return true;
    return false;
}

} // namespace

QStringList DefaultHolidayLines()
{
    return {
        QStringLiteral("1,1,元旦"),
        QStringLiteral("1999,1,1,15,成人の日"),
        QStringLiteral("2000,2,1,2,2,成人の日"),
        QStringLiteral("2,11,建国の日"),
        QStringLiteral("4,29,みどりの日"),
        QStringLiteral("5,3,憲法記念日"),
        QStringLiteral("5,4,国民の休日"),
        QStringLiteral("5,5,こどもの日"),
        QStringLiteral("7,20,海の日"),
        QStringLiteral("9,15,敬老の日"),
        QStringLiteral("1999,1,10,10,体育の日"),
        QStringLiteral("2000,2,10,2,2,体育の日"),
        QStringLiteral("11,3,文化の日"),
        QStringLiteral("11,23,勤労感謝の日"),
        QStringLiteral("12,23,天皇誕生日"),
    };
}

QString CommaText(const QStringList &names)
{
    if (names.size() == 1 && names.first().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(names.size());
    for (const QString &name : names) {
        if (needsQuotes(name)) {
            QString quoted = name;
            quoted.replace(u'"', QStringLiteral("\"\""));
            parts << u'"' + quoted + u'"';
        } else {
            parts << name;
        }
    }
    return parts.join(u',');
}

HolidayRules::HolidayRules(QObject *parent)
    : QObject(parent)
{ }

HolidayRules::~HolidayRules() = default;

void HolidayRules::setHolidaySet(HolidaySet set)
{
    if (set == m_set)
        return;
    m_set = set;
    Q_EMIT changed();
}

const HolidayLawYear &HolidayRules::lawYear(int year) const
{
    auto it = m_lawYears.find(year);
    if (it != m_lawYears.end())
        return *it->second;
    // A calendar shows a few years at a time; a long walk over the years
    // must not keep them all.
    if (m_lawYears.size() >= 64)
        m_lawYears.clear();
    return *m_lawYears.emplace(year, std::make_unique<HolidayLawYear>(year)).first->second;
}

void HolidayRules::setHolidayList(const QStringList &lines)
{
    m_holidays = lines;
    Q_EMIT changed();
}

void HolidayRules::setHolidayLine(int index, const QString &line)
{
    m_holidays[index] = line;
    Q_EMIT changed();
}

void HolidayRules::appendHolidayLine(const QString &line)
{
    m_holidays.append(line);
    Q_EMIT changed();
}

void HolidayRules::setSpecialDayList(const QStringList &lines)
{
    m_specialDays = lines;
    Q_EMIT changed();
}

void HolidayRules::setSpecialDayLine(int index, const QString &line)
{
    m_specialDays[index] = line;
    Q_EMIT changed();
}

void HolidayRules::appendSpecialDayLine(const QString &line)
{
    m_specialDays.append(line);
    Q_EMIT changed();
}

void HolidayRules::setAutoEquinox(bool on)
{
    if (on == m_autoEquinox)
        return;
    m_autoEquinox = on;
    Q_EMIT changed();
}

void HolidayRules::setAutoFurikae(bool on)
{
    if (on == m_autoFurikae)
        return;
    m_autoFurikae = on;
    Q_EMIT changed();
}

void HolidayRules::DecodeHolidayLine(const QString &line, int year, QString &name, int &day, int &month) const
{
    const int asked = month;
    month = 13;
    day = 32;
    name.clear();

    const QStringList fields = line.split(u',');
    const qsizetype n = fields.size();
    if (n < 3 || n > 6)
        return;

    // Every numeric field must be a number, or the line gives no day at all:
    // a typing error in one line must not break the whole calendar. The year
    // of a rule may lie before year 1, and a condition other than 0, 1 or 2
    // means every year, so these two may carry a minus.
    int numbers[5] = {};
    for (qsizetype i = 0; i < n - 1; ++i)
        if (!toNumber(fields[i], n >= 5 && i < 2, numbers[i]))
            return;

    const int m = n <= 4 ? numbers[0] : numbers[2];
    if (m != asked && asked != 0)
        return;
    if (n >= 5 && !conditionHolds(numbers[0], numbers[1], year))
        return;

    month = m;
    name = fields[n - 1];
    switch (n) {
    case 3:
        day = numbers[1];
        break;
    case 4:
        day = nthWeekday(year, m, numbers[1], numbers[2]);
        break;
    case 5:
        day = numbers[3];
        break;
    case 6:
        day = nthWeekday(year, m, numbers[3], numbers[4]);
        break;
    }
}

bool HolidayRules::gives(const QString &line, int year, int month, int day, QString *name) const
{
    QString lineName;
    int d = 0;
    int m = month;
    DecodeHolidayLine(line, year, lineName, d, m);
    if (m != month || d != day)
        return false;
    if (name)
        *name = lineName;
    return true;
}

TDayFlags HolidayRules::GetDayFlags(int year, int month, int day) const
{
    TDayFlags flags;
    for (const QString &line : m_specialDays)
        if (gives(line, year, month, day))
            flags |= dfSpecialDay;
    for (const QString &line : m_holidays)
        if (gives(line, year, month, day))
            flags |= dfHoliday;

    const int julius = YmdToJulius(year, month, day);
    const int weekday = JuliusDayOfWeek(julius);
    if (weekday == 1)
        flags |= dfSunday;
    else if (weekday == 7)
        flags |= dfSaturday;

    if (m_set == HolidaySet::Law)
        return flags | lawYear(year).flags(month, day);

    if (m_autoEquinox && (IsVernalEquinox(year, month, day) || IsAutumnalEquinox(year, month, day)))
        flags |= dfHoliday;

    if (m_autoFurikae && weekday == 2 && !flags.testFlag(dfHoliday)) {
        int y, m, d;
        JuliusToYmd(julius - 1, y, m, d);
        if (GetDayFlags(y, m, d).testFlag(dfHoliday))
            flags |= dfSubstitute;
    }
    return flags;
}

QString HolidayRules::GetDayNames(int year, int month, int day) const
{
    QStringList names;
    QString name;
    for (const QString &line : m_specialDays)
        if (gives(line, year, month, day, &name))
            names << name;
    for (const QString &line : m_holidays)
        if (gives(line, year, month, day, &name))
            names << name;
    if (m_set == HolidaySet::Law) {
        const QString lawName = lawYear(year).name(month, day);
        if (!lawName.isEmpty())
            names << lawName;
        return CommaText(names);
    }
    if (m_autoEquinox) {
        if (IsVernalEquinox(year, month, day))
            names << QStringLiteral("春分の日");
        else if (IsAutumnalEquinox(year, month, day))
            names << QStringLiteral("秋分の日");
    }
    if (m_autoFurikae && GetDayFlags(year, month, day).testFlag(dfSubstitute))
        names << QStringLiteral("振替休日");
    return CommaText(names);
}
