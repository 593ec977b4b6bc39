#pragma once

#include <QList>
#include <QMetaObject>
#include <QtGlobal>
#include <optional>
#include <vector>

class HolidayRules;
class TData;
class TItemRec;

// Why a target day lies away from its nominal day.
enum class ShiftReason : quint8 {
    None,
    Weekday,
    Holiday,
};

// One occurrence of an item. Days are whole date values (day 0 = 1899-12-30).
struct Occurrence
{
    int target = 0;
    int lastDay = 0;
    int nominal = 0;
    int shownFrom = 0;
    // Meaningless when `openEnd`.
    int shownTo = 0;
    // Shown until marked done, and no later occurrence takes over.
    bool openEnd = false;
    int itemIndex = -1;
    ShiftReason reason = ShiftReason::None;

    bool moved() const { return nominal != target; }
};

// When each item falls due and on which days the device shows it.
//
// Nominal days come from the item's rule (months and days of kind 1 and the
// weekdays of kind 2 are taken over 1901..2099); a blocked nominal day moves
// one day at a time in the item's direction, at most 31 days, and nominal days
// that land on the same target are one occurrence. An item is shown from
// BeforeDays (never less than 0) before its target to AfterDays after its last
// day; a negative AfterDays shows it until the day before its next occurrence
// starts being shown.
//
// The holiday bits are cached per month: the rules are slow to ask and every
// view recomputes on each change. The cache follows changes of the rules.
class ScheduleEvaluator
{
public:
    explicit ScheduleEvaluator(const HolidayRules &rules);
    ~ScheduleEvaluator();

    ScheduleEvaluator(const ScheduleEvaluator &) = delete;
    ScheduleEvaluator &operator=(const ScheduleEvaluator &) = delete;

    // Occurrences of one item whose shown days meet from..to, by target day.
    QList<Occurrence> itemOccurrences(const TItemRec &item, int itemIndex, int from, int to);
    // The same for every item of the document, by target day, then item.
    QList<Occurrence> documentOccurrences(const TData &data, int from, int to);
    // At most `count` occurrences with a target on or after `from`.
    QList<Occurrence> nextOccurrences(const TItemRec &item, int from, int count);

    // The day has dfHoliday or dfSubstitute.
    bool isHoliday(int day);
    void clearCache();

    // 1901-01-01 and 2099-12-31: the years nominal days are taken from.
    static int firstNominalDay();
    static int lastNominalDay();

private:
    struct Target
    {
        int target;
        int nominal;
        ShiftReason reason;
    };

    bool blocked(const TItemRec &item, int day);
    std::optional<Target> move(const TItemRec &item, int nominal);
    // Targets within lo..hi of a kind 1 or 2 item, ascending and merged.
    void targets(const TItemRec &item, qint64 lo, qint64 hi, std::vector<Target> &out);
    std::optional<Target> lastTargetBefore(const TItemRec &item, qint64 day);
    std::optional<Target> firstTargetAfter(const TItemRec &item, qint64 day);
    // Occurrences of `seq` with their shown days; `next` is the target after
    // the last of them, for an item shown until marked done.
    QList<Occurrence> withShownDays(
        const TItemRec &item, int itemIndex, const std::vector<Target> &seq, std::optional<Target> next) const;

    const HolidayRules &m_rules;
    QMetaObject::Connection m_rulesChanged;
    // Bit d-1 = day d is a holiday; per month from January 1900 on.
    std::vector<quint32> m_holidayBits;
    std::vector<bool> m_holidayKnown;
};

// Day number of the item weekday: 0 Monday ... 6 Sunday.
int ItemWeekday(int day);
// Kind 3 without a start date: no target day at all.
bool HasNoTargetDay(const TItemRec &item);
// The occurrence's target lies on or before the item's last processed date.
bool IsProcessed(const TItemRec &item, const Occurrence &occurrence);
