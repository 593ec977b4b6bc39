#include "calendar/HolidayLaw.h"

#include "calendar/Julius.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

enum NameIndex : quint8 {
    Ganjitsu,
    SeijinNoHi,
    KenkokuKinenNoHi,
    TennoTanjobi,
    ShunbunNoHi,
    ShubunNoHi,
    MidoriNoHi,
    ShowaNoHi,
    KenpoKinenbi,
    KodomoNoHi,
    UmiNoHi,
    YamaNoHi,
    KeiroNoHi,
    TaikuNoHi,
    SportsNoHi,
    BunkaNoHi,
    KinroKanshaNoHi,
    AkihitoWedding,
    ShowaFuneral,
    Enthronement,
    NaruhitoWedding,
    Accession,
    Substitute,
    Between,
};

const char16_t *const Names[] = {
    u"元日",
    u"成人の日",
    u"建国記念の日",
    u"天皇誕生日",
    u"春分の日",
    u"秋分の日",
    u"みどりの日",
    u"昭和の日",
    u"憲法記念日",
    u"こどもの日",
    u"海の日",
    u"山の日",
    u"敬老の日",
    u"体育の日",
    u"スポーツの日",
    u"文化の日",
    u"勤労感謝の日",
    u"皇太子明仁親王の結婚の儀",
    u"昭和天皇の大喪の礼",
    u"即位礼正殿の儀",
    u"皇太子徳仁親王の結婚の儀",
    u"天皇の即位の日",
    u"振替休日",
    u"国民の休日",
};

enum Kind : quint8 { Fixed, NthMonday, Vernal, Autumnal };

struct LawRule
{
    NameIndex name;
    int from;
    int to;
    Kind kind;
    quint8 month; // unused for the equinox days
    quint8 day; // day of the month, or which Monday
};

constexpr int Open = INT_MAX;

// Every national holiday of the law with the years it held on that day.
const LawRule Rules[] = {
    {Ganjitsu, 1949, Open, Fixed, 1, 1},
    {SeijinNoHi, 1949, 1999, Fixed, 1, 15},
    {SeijinNoHi, 2000, Open, NthMonday, 1, 2},
    {KenkokuKinenNoHi, 1967, Open, Fixed, 2, 11},
    {TennoTanjobi, 1949, 1988, Fixed, 4, 29},
    {TennoTanjobi, 1989, 2018, Fixed, 12, 23},
    {TennoTanjobi, 2020, Open, Fixed, 2, 23},
    {ShunbunNoHi, 1949, Open, Vernal, 0, 0},
    {ShubunNoHi, 1948, Open, Autumnal, 0, 0},
    {MidoriNoHi, 1989, 2006, Fixed, 4, 29},
    {MidoriNoHi, 2007, Open, Fixed, 5, 4},
    {ShowaNoHi, 2007, Open, Fixed, 4, 29},
    {KenpoKinenbi, 1949, Open, Fixed, 5, 3},
    {KodomoNoHi, 1949, Open, Fixed, 5, 5},
    {UmiNoHi, 1996, 2002, Fixed, 7, 20},
    {UmiNoHi, 2003, 2019, NthMonday, 7, 3},
    {UmiNoHi, 2020, 2020, Fixed, 7, 23},
    {UmiNoHi, 2021, 2021, Fixed, 7, 22},
    {UmiNoHi, 2022, Open, NthMonday, 7, 3},
    {YamaNoHi, 2016, 2019, Fixed, 8, 11},
    {YamaNoHi, 2020, 2020, Fixed, 8, 10},
    {YamaNoHi, 2021, 2021, Fixed, 8, 8},
    {YamaNoHi, 2022, Open, Fixed, 8, 11},
    {KeiroNoHi, 1966, 2002, Fixed, 9, 15},
    {KeiroNoHi, 2003, Open, NthMonday, 9, 3},
    {TaikuNoHi, 1966, 1999, Fixed, 10, 10},
    {TaikuNoHi, 2000, 2019, NthMonday, 10, 2},
    {SportsNoHi, 2020, 2020, Fixed, 7, 24},
    {SportsNoHi, 2021, 2021, Fixed, 7, 23},
    {SportsNoHi, 2022, Open, NthMonday, 10, 2},
    {BunkaNoHi, 1948, Open, Fixed, 11, 3},
    {KinroKanshaNoHi, 1948, Open, Fixed, 11, 23},
    {AkihitoWedding, 1959, 1959, Fixed, 4, 10},
    {ShowaFuneral, 1989, 1989, Fixed, 2, 24},
    {Enthronement, 1990, 1990, Fixed, 11, 12},
    {Enthronement, 2019, 2019, Fixed, 10, 22},
    {NaruhitoWedding, 1993, 1993, Fixed, 6, 9},
    {Accession, 2019, 2019, Fixed, 5, 1},
};

constexpr int FirstLawYear = 1948;
// The substitute holiday came with the revision of 1973-04-12, the day
// between two holidays with that of 1985-12-27; the revision of 2007 let a
// substitute holiday pass over following holidays.
constexpr int SubstituteFrom[3] = {1973, 4, 12};
constexpr int BetweenFrom[3] = {1985, 12, 27};
constexpr int NewRulesYear = 2007;

} // namespace

HolidayLawYear::HolidayLawYear(int year)
{
    if (year < FirstLawYear)
        return;

    const int jan1 = YmdToJulius(year, 1, 1);
    const int length = IsJuliusLeapYear(year) ? 366 : 365;
    int monthStart[13];
    monthStart[0] = 0;
    for (int m = 1; m <= 12; ++m)
        monthStart[m] = monthStart[m - 1] + JuliusMonthDays(year, m);

    // 0 none, 1 + name index otherwise; by day of the year.
    quint8 holiday[366] = {};
    quint8 kind[366] = {};
    for (const LawRule &rule : Rules) {
        if (year < rule.from || year > rule.to)
            continue;
        int dayOfYear = 0;
        switch (rule.kind) {
        case Fixed:
            dayOfYear = monthStart[rule.month - 1] + rule.day - 1;
            break;
        case NthMonday: {
            const int first = JuliusDayOfWeek(jan1 + monthStart[rule.month - 1]);
            const int firstMonday = (2 + 7 - first) % 7 + 1;
            dayOfYear = monthStart[rule.month - 1] + firstMonday - 1 + 7 * (rule.day - 1);
            break;
        }
        case Vernal:
            dayOfYear = VernalEquinoxJulius(year) - jan1;
            break;
        case Autumnal:
            dayOfYear = AutumnalEquinoxJulius(year) - jan1;
            break;
        }
        if (dayOfYear >= 0 && dayOfYear < length && !holiday[dayOfYear])
            holiday[dayOfYear] = quint8(rule.name + 1);
    }

    const bool newRules = year >= NewRulesYear;
    const int substituteFrom = YmdToJulius(SubstituteFrom[0], SubstituteFrom[1], SubstituteFrom[2]);
    std::copy(std::begin(holiday), std::end(holiday), std::begin(kind));
    for (int i = 0; i < length; ++i) {
        if (!holiday[i] || JuliusDayOfWeek(jan1 + i) != 1 || jan1 + i < substituteFrom)
            continue;
        int next = i + 1;
        if (newRules)
            while (next < length && holiday[next])
                ++next;
        // The last day of a year is never a holiday, so the day moved to
        // stays within the year.
        if (next < length && !holiday[next])
            kind[next] = Substitute + 1;
    }

    const int betweenFrom = YmdToJulius(BetweenFrom[0], BetweenFrom[1], BetweenFrom[2]);
    for (int i = 1; i + 1 < length; ++i) {
        if (kind[i] || !holiday[i - 1] || !holiday[i + 1] || jan1 + i < betweenFrom)
            continue;
        if (!newRules && JuliusDayOfWeek(jan1 + i) == 1)
            continue;
        kind[i] = Between + 1;
    }

    for (int m = 0; m < 12; ++m)
        for (int d = 0; d < monthStart[m + 1] - monthStart[m]; ++d)
            m_kind[m][d] = kind[monthStart[m] + d];
}

int HolidayLawYear::kindOf(int month, int day) const
{
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    return m_kind[month - 1][day - 1];
}

TDayFlags HolidayLawYear::flags(int month, int day) const
{
    const int kind = kindOf(month, day);
    if (!kind)
        return {};
    return kind == Substitute + 1 ? dfSubstitute : dfHoliday;
}

QString HolidayLawYear::name(int month, int day) const
{
    const int kind = kindOf(month, day);
    return kind ? QString::fromUtf16(Names[kind - 1]) : QString();
}
