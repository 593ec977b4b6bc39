#include "schedule/Schedule.h"

#include "calendar/HolidayRules.h"
#include "data/Data.h"
#include "data/DateValue.h"
#include "data/ItemRec.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Longest move of a blocked nominal day.
constexpr int MaxSteps = 31;
// Search step when looking for the occurrence before or after a range.
constexpr int SearchChunk = 366;

constexpr int CacheFirstYear = 1900;
constexpr int CacheLastYear = 2100;
constexpr int CacheMonths = (CacheLastYear - CacheFirstYear + 1) * 12;

// 0001-01-01 and 9999-12-31: shown days of absurd periods stop there.
constexpr qint64 FirstDay = -693593;
constexpr qint64 LastDay = 2958465;

int clampDay(qint64 day)
{
    return int(std::clamp(day, FirstDay, LastDay));
}

// Whole day of a stored date; nothing for values no date can have.
std::optional<int> wholeDay(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double d = std::floor(value);
    if (d < double(FirstDay) || d > double(LastDay))
        return std::nullopt;
    return int(d);
}

} // namespace

int ItemWeekday(int day)
{
    // Day 0 (1899-12-30) was a Saturday.
    return int(((qint64(day) % 7) + 7 + 5) % 7);
}

bool HasNoTargetDay(const TItemRec &item)
{
    return item.Kind == KindIrregular && !item.HasStart;
}

bool IsProcessed(const TItemRec &item, const Occurrence &occurrence)
{
    if (!item.HasLast)
        return false;
    const std::optional<int> last = wholeDay(item.LastDate);
    return last && occurrence.target <= *last;
}

int ScheduleEvaluator::firstNominalDay()
{
    static const int day = int(EncodeDate(1901, 1, 1));
    return day;
}

int ScheduleEvaluator::lastNominalDay()
{
    static const int day = int(EncodeDate(2099, 12, 31));
    return day;
}

ScheduleEvaluator::ScheduleEvaluator(const HolidayRules &rules)
    : m_rules(rules)
    , m_holidayBits(CacheMonths, 0)
    , m_holidayKnown(CacheMonths, false)
{
    m_rulesChanged = QObject::connect(&rules, &HolidayRules::changed, [this] { clearCache(); });
}

ScheduleEvaluator::~ScheduleEvaluator()
{
    QObject::disconnect(m_rulesChanged);
}

void ScheduleEvaluator::clearCache()
{
    std::fill(m_holidayKnown.begin(), m_holidayKnown.end(), false);
}

bool ScheduleEvaluator::isHoliday(int day)
{
    int y, m, d;
    DecodeDate(day, y, m, d);
    if (y < CacheFirstYear || y > CacheLastYear)
        return m_rules.GetDayFlags(y, m, d) & (dfHoliday | dfSubstitute);
    const size_t index = size_t((y - CacheFirstYear) * 12 + m - 1);
    if (!m_holidayKnown[index]) {
        quint32 bits = 0;
        const int days = DaysInMonth(y, m);
        for (int i = 1; i <= days; ++i)
            if (m_rules.GetDayFlags(y, m, i) & (dfHoliday | dfSubstitute))
                bits |= quint32(1) << (i - 1);
        m_holidayBits[index] = bits;
        m_holidayKnown[index] = true;
    }
    return m_holidayBits[index] & (quint32(1) << (d - 1));
}

bool ScheduleEvaluator::blocked(const TItemRec &item, int day)
{
    if (item.Kind == KindDate && item.ShiftDay(ItemWeekday(day)))
        return true;
    return item.ShiftHoliday && isHoliday(day);
}

std::optional<ScheduleEvaluator::Target> ScheduleEvaluator::move(const TItemRec &item, int nominal)
{
    if (!blocked(item, nominal))
        return Target {nominal, nominal, ShiftReason::None};
    const ShiftReason reason = item.ShiftHoliday && isHoliday(nominal) ? ShiftReason::Holiday : ShiftReason::Weekday;
    const int step = item.ShiftDir == 1 ? 1 : -1;
    for (int k = 1; k <= MaxSteps; ++k) {
        const int day = nominal + k * step;
        if (!blocked(item, day))
            return Target {day, nominal, reason};
    }
    return std::nullopt;
}

void ScheduleEvaluator::targets(const TItemRec &item, qint64 lo, qint64 hi, std::vector<Target> &out)
{
    out.clear();
    const qint64 nlo = std::max<qint64>(lo - MaxSteps, firstNominalDay());
    const qint64 nhi = std::min<qint64>(hi + MaxSteps, lastNominalDay());
    if (nlo > nhi)
        return;

    // Nominal days ascend and moving keeps their order, so equal targets
    // arrive next to each other and the first holds the earliest nominal day.
    auto take = [&](int nominal) {
        const std::optional<Target> t = move(item, nominal);
        if (!t || t->target < lo || t->target > hi)
            return;
        if (!out.empty() && out.back().target == t->target)
            return;
        out.push_back(*t);
    };

    if (item.Kind == KindDate) {
        int y0, m0, d0, y1, m1, d1;
        DecodeDate(double(nlo), y0, m0, d0);
        DecodeDate(double(nhi), y1, m1, d1);
        const int v1 = item.Day(1), v2 = item.Day(2);
        for (int y = y0; y <= y1; ++y) {
            for (int m = 1; m <= 12; ++m) {
                if (!item.Month(m))
                    continue;
                const int dim = DaysInMonth(y, m);
                int days[2];
                int n = 0;
                for (int v : {v1, v2})
                    if (v >= 1)
                        days[n++] = std::min(v, dim);
                if (n == 2 && days[0] > days[1])
                    std::swap(days[0], days[1]);
                if (n == 2 && days[0] == days[1])
                    n = 1;
                for (int i = 0; i < n; ++i) {
                    const int day = int(EncodeDate(y, m, days[i]));
                    if (day >= nlo && day <= nhi)
                        take(day);
                }
            }
        }
    } else if (item.Kind == KindDay) {
        if (item.WeekParity < 0 || item.WeekParity > 2)
            return;
        if (std::none_of(item.Weekdays.begin(), item.Weekdays.end(), [](bool b) { return b; }))
            return;
        for (qint64 day = nlo; day <= nhi; ++day) {
            if (!item.Weekday(ItemWeekday(int(day))))
                continue;
            if (item.WeekParity != 0 && WeekIsOdd(double(day)) != (item.WeekParity == 1))
                continue;
            take(int(day));
        }
    }
}

std::optional<ScheduleEvaluator::Target> ScheduleEvaluator::lastTargetBefore(const TItemRec &item, qint64 day)
{
    std::vector<Target> found;
    const qint64 stop = qint64(firstNominalDay()) - MaxSteps;
    for (qint64 hi = day - 1; hi >= stop; hi -= SearchChunk) {
        targets(item, std::max(hi - SearchChunk + 1, stop), hi, found);
        if (!found.empty())
            return found.back();
    }
    return std::nullopt;
}

std::optional<ScheduleEvaluator::Target> ScheduleEvaluator::firstTargetAfter(const TItemRec &item, qint64 day)
{
    std::vector<Target> found;
    const qint64 stop = qint64(lastNominalDay()) + MaxSteps;
    for (qint64 lo = day + 1; lo <= stop; lo += SearchChunk) {
        targets(item, lo, std::min(lo + SearchChunk - 1, stop), found);
        if (!found.empty())
            return found.front();
    }
    return std::nullopt;
}

QList<Occurrence> ScheduleEvaluator::withShownDays(
    const TItemRec &item, int itemIndex, const std::vector<Target> &seq, std::optional<Target> next) const
{
    const qint64 before = std::max(0, item.BeforeDays);
    QList<Occurrence> result;
    result.reserve(qsizetype(seq.size()));
    for (size_t i = 0; i < seq.size(); ++i) {
        Occurrence o;
        o.target = seq[i].target;
        o.lastDay = seq[i].target;
        o.nominal = seq[i].nominal;
        o.reason = seq[i].reason;
        o.itemIndex = itemIndex;
        o.shownFrom = clampDay(o.target - before);
        if (item.AfterDays >= 0) {
            o.shownTo = clampDay(qint64(o.lastDay) + item.AfterDays);
        } else {
            const std::optional<Target> following = i + 1 < seq.size() ? std::optional<Target>(seq[i + 1]) : next;
            if (following)
                o.shownTo = clampDay(following->target - before - 1);
            else
                o.openEnd = true;
        }
        result.append(o);
    }
    return result;
}

QList<Occurrence> ScheduleEvaluator::itemOccurrences(const TItemRec &item, int itemIndex, int from, int to)
{
    const qint64 before = std::max(0, item.BeforeDays);
    const bool untilDone = item.AfterDays < 0;

    if (item.Kind == KindOnce || item.Kind == KindIrregular) {
        if (item.Kind == KindIrregular && !item.HasStart)
            return {};
        const std::optional<int> start = wholeDay(item.Kind == KindOnce ? item.StartOrToday() : item.StartDate);
        if (!start)
            return {};
        Occurrence o;
        o.target = o.nominal = o.lastDay = *start;
        if (item.Kind == KindOnce && item.HasEnd) {
            const std::optional<int> end = wholeDay(item.EndDate);
            if (end && *end > *start)
                o.lastDay = *end;
        }
        o.itemIndex = itemIndex;
        o.shownFrom = clampDay(o.target - before);
        o.openEnd = untilDone;
        if (!untilDone)
            o.shownTo = clampDay(qint64(o.lastDay) + item.AfterDays);
        if (o.shownFrom > to || (!o.openEnd && o.shownTo < from))
            return {};
        return {o};
    }
    if (item.Kind != KindDate && item.Kind != KindDay)
        return {};

    std::vector<Target> seq;
    if (!untilDone) {
        // Shown days t - before .. t + after meet from..to.
        targets(item, qint64(from) - item.AfterDays, qint64(to) + before, seq);
        return withShownDays(item, itemIndex, seq, std::nullopt);
    }
    // Shown until the day before the next one is: every target from
    // from + before + 1 on, and the one before them, which is still shown.
    const qint64 lo = qint64(from) + before + 1;
    const qint64 hi = qint64(to) + before;
    targets(item, lo, hi, seq);
    if (const std::optional<Target> previous = lastTargetBefore(item, lo))
        seq.insert(seq.begin(), *previous);
    return withShownDays(item, itemIndex, seq, firstTargetAfter(item, hi));
}

QList<Occurrence> ScheduleEvaluator::documentOccurrences(const TData &data, int from, int to)
{
    QList<Occurrence> all;
    for (int i = 0; i < data.count(); ++i)
        all.append(itemOccurrences(*data.at(i), i, from, to));
    std::sort(all.begin(), all.end(), [](const Occurrence &a, const Occurrence &b) {
        return a.target != b.target ? a.target < b.target : a.itemIndex < b.itemIndex;
    });
    return all;
}

QList<Occurrence> ScheduleEvaluator::nextOccurrences(const TItemRec &item, int from, int count)
{
    if (count <= 0)
        return {};
    if (item.Kind == KindOnce || item.Kind == KindIrregular) {
        QList<Occurrence> one = itemOccurrences(item, 0, from, std::numeric_limits<int>::max());
        one.removeIf([from](const Occurrence &o) { return o.target < from; });
        return one;
    }
    if (item.Kind != KindDate && item.Kind != KindDay)
        return {};

    // The occurrence after the wanted ones gives the last its shown days.
    std::vector<Target> seq;
    std::vector<Target> chunk;
    const qint64 stop = qint64(lastNominalDay()) + MaxSteps;
    for (qint64 lo = from; lo <= stop && int(seq.size()) <= count; lo += SearchChunk) {
        targets(item, lo, std::min(lo + SearchChunk - 1, stop), chunk);
        seq.insert(seq.end(), chunk.begin(), chunk.end());
    }
    std::optional<Target> next;
    if (int(seq.size()) > count) {
        next = seq[size_t(count)];
        seq.resize(size_t(count));
    }
    return withShownDays(item, 0, seq, next);
}
