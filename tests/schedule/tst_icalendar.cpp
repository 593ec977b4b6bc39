// Reads our iCalendar output back with libical, an independent implementation,
// and compares the days its recurrence expansion gives with our own
// evaluation, day by day.
#include "../data/DataFixtures.h"
#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "data/Data.h"
#include "schedule/ICalendarWriter.h"
#include "schedule/Schedule.h"
#include "settings/AppSettings.h"

#include <QtTest>
#include <libical/ical.h>
#include <map>
#include <memory>

namespace {

// One all-day instance: first day and the day after the last (DTEND).
struct Instance
{
    int start = 0;
    int end = 0;
    QString uid;
    bool operator<(const Instance &o) const { return start != o.start ? start < o.start : end < o.end; }
    bool operator==(const Instance &o) const { return start == o.start && end == o.end; }
};

QString iso(int day)
{
    return DateValueToQDate(day).toString(Qt::ISODate);
}

int dayOf(const QString &isoDate)
{
    return int(QDateToDateValue(QDate::fromString(isoDate, Qt::ISODate)));
}

int dayOf(const icaltimetype &t)
{
    return int(EncodeDate(t.year, t.month, t.day));
}

struct Parsed
{
    std::vector<Instance> instances;
    int masters = 0;
    int overrides = 0;
    QStringList errors;
};

struct Collect
{
    std::vector<int> starts;
};

void collectStart(icalcomponent *, icaltime_span *span, void *data)
{
    const icaltimetype t = icaltime_from_timet_with_zone(span->start, 1, icaltimezone_get_utc_timezone());
    static_cast<Collect *>(data)->starts.push_back(dayOf(t));
}

using Calendar = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

Calendar parse(const QByteArray &bytes)
{
    return Calendar(icalparser_parse_string(bytes.constData()), &icalcomponent_free);
}

// Every instance of every event of the calendar: the masters expanded by
// libical (DTSTART, RRULE, RDATE, EXDATE), then each instance replaced by the
// event of the same UID whose RECURRENCE-ID names it.
Parsed expand(const QByteArray &bytes)
{
    Parsed result;
    Calendar cal = parse(bytes);
    if (!cal) {
        result.errors << QStringLiteral("not parsed");
        return result;
    }
    std::map<std::pair<QString, int>, Instance> overrides;
    std::vector<icalcomponent *> masters;
    for (icalcomponent *c = icalcomponent_get_first_component(cal.get(), ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(cal.get(), ICAL_VEVENT_COMPONENT)) {
        const QString uid = QString::fromUtf8(icalcomponent_get_uid(c));
        const icaltimetype start = icalcomponent_get_dtstart(c);
        const icaltimetype end = icalcomponent_get_dtend(c);
        if (!start.is_date || !end.is_date)
            result.errors << QStringLiteral("%1: DTSTART and DTEND are not dates").arg(uid);
        const icaltimetype recurrenceId = icalcomponent_get_recurrenceid(c);
        if (icaltime_is_null_time(recurrenceId)) {
            masters.push_back(c);
            continue;
        }
        if (!recurrenceId.is_date)
            result.errors << QStringLiteral("%1: RECURRENCE-ID is not a date").arg(uid);
        overrides[{uid, dayOf(recurrenceId)}] = Instance {dayOf(start), dayOf(end), uid};
        ++result.overrides;
    }
    result.masters = int(masters.size());
    size_t usedOverrides = 0;
    for (icalcomponent *c : masters) {
        const QString uid = QString::fromUtf8(icalcomponent_get_uid(c));
        const int length = dayOf(icalcomponent_get_dtend(c)) - dayOf(icalcomponent_get_dtstart(c));
        Collect found;
        icaltimetype from = icaltime_from_day_of_year(1, 1900);
        icaltimetype to = icaltime_from_day_of_year(1, 2101);
        from.is_date = to.is_date = 1;
        icalcomponent_foreach_recurrence(c, from, to, collectStart, &found);
        for (int start : found.starts) {
            const auto o = overrides.find({uid, start});
            if (o != overrides.end()) {
                result.instances.push_back(o->second);
                ++usedOverrides;
            } else {
                result.instances.push_back(Instance {start, start + length, uid});
            }
        }
    }
    if (usedOverrides != overrides.size())
        result.errors << QStringLiteral("%1 overrides name no instance").arg(overrides.size() - usedOverrides);
    std::sort(result.instances.begin(), result.instances.end());
    return result;
}

QString describe(const std::vector<Instance> &list)
{
    QStringList parts;
    for (const Instance &i : list)
        parts << iso(i.start) + (i.end == i.start + 1 ? QString() : QStringLiteral("..") + iso(i.end - 1));
    return parts.join(u' ');
}

} // namespace

class TestICalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void daysMatchEvaluation_data();
    void daysMatchEvaluation();
    void textReadsBack_data();
    void textReadsBack();
    void alarm_data();
    void alarm();
    void wholeDocument();

private:
    // What our evaluation gives: every occurrence whose target lies in
    // from..to, from its target day to the day after its last day.
    std::vector<Instance> evaluated(const TItemRec &item, int from, int to);

    HolidayRules rules;
};

void TestICalendar::initTestCase()
{
    ApplyHolidaySet(rules, HolidaySet::Law);
}

std::vector<Instance> TestICalendar::evaluated(const TItemRec &item, int from, int to)
{
    ScheduleEvaluator evaluator(rules);
    std::vector<Instance> list;
    for (const Occurrence &o : evaluator.nextOccurrences(item, from, to - from + 2))
        if (o.target <= to)
            list.push_back(Instance {o.target, o.lastDay + 1, {}});
    std::sort(list.begin(), list.end());
    return list;
}

void TestICalendar::daysMatchEvaluation_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("minimum");

    // wd and sh: 0 Monday ... 6 Sunday; sh=h moves off holidays; dir=1 later.
    QTest::newRow("once") << 0 << "s=2026/03/10"
                          << "2026-03-01"
                          << "2026-03-31" << 1;
    QTest::newRow("once outside") << 0 << "s=2026/03/10"
                                  << "2026-03-11"
                                  << "2026-03-31" << 0;
    QTest::newRow("period") << 0 << "s=2026/03/10 e=2026/03/14"
                            << "2026-03-01"
                            << "2026-03-31" << 1;
    QTest::newRow("period running past the range") << 0 << "s=2026/03/30 e=2026/04/14"
                                                   << "2026-03-01"
                                                   << "2026-03-31" << 1;
    QTest::newRow("period begun before the range") << 0 << "s=2026/02/20 e=2026/03/14"
                                                   << "2026-03-01"
                                                   << "2026-03-31" << 0;
    QTest::newRow("irregular without start") << 3 << ""
                                             << "1901-01-01"
                                             << "2099-12-31" << 0;
    QTest::newRow("moved off weekends and holidays, earlier")
        << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=3,20 sh=5,6,h dir=0"
        << "2026-01-01"
        << "2027-12-31" << 48;
    QTest::newRow("moved later, across a month and a year")
        << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,0 sh=5,6,h dir=1"
        << "2020-01-01"
        << "2030-12-31" << 100;
    QTest::newRow("end of month") << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,0"
                                  << "2023-01-01"
                                  << "2024-12-31" << 24;
    QTest::newRow("30 in February") << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=30,0"
                                    << "2023-01-01"
                                    << "2024-12-31" << 24;
    QTest::newRow("29 and 30, February of a common year") << 1 << "mon=2,3 d=29,30"
                                                          << "2021-01-01"
                                                          << "2024-12-31" << 12;
    QTest::newRow("30 and end fall together") << 1 << "mon=2,4,5 d=30,31"
                                              << "2026-01-01"
                                              << "2026-12-31" << 4;
    QTest::newRow("30 in February moved off a weekend") << 1 << "mon=2 d=30,0 sh=5,6 dir=0"
                                                        << "2020-01-01"
                                                        << "2030-12-31" << 11;
    QTest::newRow("day beyond any month") << 1 << "mon=6,9 d=200,0"
                                          << "2026-01-01"
                                          << "2026-12-31" << 2;
    QTest::newRow("Golden Week chain with weekends blocked") << 1 << "mon=5 d=3,4 sh=5,6,h dir=1"
                                                             << "2020-01-01"
                                                             << "2030-12-31" << 11;
    QTest::newRow("merged days, earlier") << 1 << "mon=5 d=4,5 sh=h dir=0"
                                          << "2024-01-01"
                                          << "2028-12-31" << 5;
    QTest::newRow("every shift weekday: no day") << 1 << "mon=1,2,3 d=10,0 sh=0,1,2,3,4,5,6"
                                                 << "2026-01-01"
                                                 << "2026-12-31" << 0;
    QTest::newRow("moved out at the start, in at the end") << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=1,0 sh=h dir=0"
                                                           << "2026-01-01"
                                                           << "2026-12-31" << 11;
    QTest::newRow("moved in at the start, out at the end") << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,0 sh=5,6 dir=1"
                                                           << "2026-02-01"
                                                           << "2026-10-31" << 8;
    QTest::newRow("weekly off holidays, later") << 2 << "wd=0,4 sh=h dir=1"
                                                << "2025-01-01"
                                                << "2026-12-31" << 200;
    QTest::newRow("weekly, holiday merges into the next") << 2 << "wd=0,1 sh=h dir=1"
                                                          << "2025-01-01"
                                                          << "2025-12-31" << 90;
    QTest::newRow("odd weeks across a year boundary") << 2 << "wd=2,5,6 wp=1"
                                                      << "2025-12-01"
                                                      << "2026-02-28" << 18;
    QTest::newRow("even weeks across a year boundary") << 2 << "wd=0,6 wp=2 sh=h dir=0"
                                                       << "2025-11-01"
                                                       << "2026-02-28" << 14;
    QTest::newRow("odd weeks, Sunday off holidays over a long range") << 2 << "wd=6,3 wp=1 sh=h dir=1"
                                                                      << "1990-01-01"
                                                                      << "2030-12-31" << 2000;
    QTest::newRow("even weeks, a move into the next week") << 2 << "wd=0 wp=2 sh=h dir=0"
                                                           << "2020-01-01"
                                                           << "2030-12-31" << 250;
    QTest::newRow("week parity 7") << 2 << "wd=0,1 wp=7"
                                   << "2026-01-01"
                                   << "2026-12-31" << 0;
    QTest::newRow("whole calendar range") << 2 << "wd=1 wp=1 sh=h dir=0"
                                          << "1901-01-01"
                                          << "2099-12-31" << 5000;
}

void TestICalendar::daysMatchEvaluation()
{
    QFETCH(int, kind);
    QFETCH(QString, fields);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, minimum);

    TData data(Settings());
    data.append(MakeItem(kind, fields + QStringLiteral(" t=x")));
    const TItemRec &item = *data.at(0);
    const std::vector<Instance> expected = evaluated(item, dayOf(from), dayOf(to));
    QVERIFY2(int(expected.size()) >= minimum, qPrintable(QString::number(expected.size())));

    ScheduleEvaluator evaluator(rules);
    ICalendarWriter writer(evaluator);
    const QByteArray bytes = writer.write(data, dayOf(from), dayOf(to));
    const Parsed got = expand(bytes);
    QVERIFY2(got.errors.isEmpty(), qPrintable(got.errors.join(u'\n')));
    if (got.instances != expected) {
        qWarning("%s", bytes.constData());
        QCOMPARE(describe(got.instances), describe(expected));
    }
    // A recurring item is one series (one per weekday for odd or even weeks),
    // with moved days as its overrides; a single day is one event.
    if (expected.empty())
        QCOMPARE(got.masters, 0);
    else if (kind == 1)
        QCOMPARE(got.masters, 1);
    else if (kind == 2 && item.WeekParity == 0)
        QCOMPARE(got.masters, 1);
    else if (kind == 2)
        QVERIFY(got.masters <= int(std::count(item.Weekdays.begin(), item.Weekdays.end(), true)));
    else if (kind == 0 || kind == 3)
        QCOMPARE(got.masters, 1);
}

void TestICalendar::textReadsBack_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("memo");

    QTest::newRow("plain") << "ゴミ出し"
                           << "";
    QTest::newRow("commas and semicolons") << "a,b;c"
                                           << "x;y,z;";
    QTest::newRow("backslashes") << "C:\\path\\"
                                 << "\\n is not a line break\\";
    QTest::newRow("line breaks") << "one"
                                 << "line 1\r\nline 2\r\n\r\nline 4";
    QTest::newRow("long Japanese") << QString(40, QChar(0x3042)) + "、；，。" + QString(30, QChar(0x6F22))
                                   << QString("請求書を送る、確認する；\r\n").repeated(12);
    QTest::newRow("characters outside the BMP at every offset")
        << QString("🌊").repeated(50) << "a" + QString("𠮷").repeated(40);
}

void TestICalendar::textReadsBack()
{
    QFETCH(QString, title);
    QFETCH(QString, memo);

    TData data(Settings());
    auto item = MakeItem(1, QStringLiteral("mon=1,2,3,4,5,6,7,8,9,10,11,12 d=5,0 sh=h dir=1"));
    item->Title = title;
    item->MemoText = memo;
    data.append(std::move(item));
    ScheduleEvaluator evaluator(rules);
    ICalendarWriter writer(evaluator);
    const QByteArray bytes = writer.write(data, dayOf("2025-01-01"), dayOf("2026-12-31"));

    for (const QByteArray &line : bytes.split('\n')) {
        QVERIFY2(line.size() <= 76, line.constData());
        QVERIFY(line.isEmpty() || line.endsWith('\r'));
    }
    Calendar cal = parse(bytes);
    QVERIFY(cal);
    int events = 0;
    for (icalcomponent *c = icalcomponent_get_first_component(cal.get(), ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(cal.get(), ICAL_VEVENT_COMPONENT)) {
        ++events;
        QCOMPARE(QString::fromUtf8(icalcomponent_get_summary(c)), title);
        const char *description = icalcomponent_get_description(c);
        QString expectedMemo = memo;
        expectedMemo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(description ? QString::fromUtf8(description) : QString(), expectedMemo);
    }
    // The master and the overrides of the days moved off holidays.
    QVERIFY(events > 1);
}

void TestICalendar::alarm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("before");

    QTest::newRow("none") << 0 << 0;
    QTest::newRow("once, three days") << 0 << 3;
    QTest::newRow("series and its overrides, 99 days") << 1 << 99;
}

void TestICalendar::alarm()
{
    QFETCH(int, kind);
    QFETCH(int, before);

    TData data(Settings());
    data.append(MakeItem(kind, QStringLiteral("t=x s=2026/05/03 mon=1,5 d=3,0 sh=h dir=1 b=%1 a=-1").arg(before)));
    ScheduleEvaluator evaluator(rules);
    ICalendarWriter writer(evaluator);
    Calendar cal = parse(writer.write(data, dayOf("2026-01-01"), dayOf("2026-12-31")));
    QVERIFY(cal);
    int events = 0;
    for (icalcomponent *c = icalcomponent_get_first_component(cal.get(), ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(cal.get(), ICAL_VEVENT_COMPONENT)) {
        ++events;
        icalcomponent *alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT);
        if (before == 0) {
            QVERIFY(!alarm);
            continue;
        }
        QVERIFY(alarm);
        icalproperty *action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
        QVERIFY(action);
        QCOMPARE(icalproperty_get_action(action), ICAL_ACTION_DISPLAY);
        QVERIFY(icalcomponent_get_first_property(alarm, ICAL_DESCRIPTION_PROPERTY));
        icalproperty *trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        QVERIFY(trigger);
        const icaltriggertype t = icalproperty_get_trigger(trigger);
        QCOMPARE(icaldurationtype_as_int(t.duration), -before * 86400);
    }
    QCOMPARE(events, kind == 0 ? 1 : 2);
}

void TestICalendar::wholeDocument()
{
    // Every kind side by side: the events of each item stay apart.
    TData data(Settings());
    data.append(MakeItem(0, QStringLiteral("t=a s=2026/01/05 e=2026/01/09")));
    data.append(MakeItem(1, QStringLiteral("t=b mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,15 sh=5,6,h dir=0")));
    data.append(MakeItem(2, QStringLiteral("t=c wd=0,6 wp=1 sh=h dir=1")));
    data.append(MakeItem(2, QStringLiteral("t=d wd=2")));
    data.append(MakeItem(3, QStringLiteral("t=e s=2026/06/01")));
    data.append(MakeItem(3, QStringLiteral("t=f")));
    const int from = dayOf("2026-01-01"), to = dayOf("2026-12-31");
    ScheduleEvaluator evaluator(rules);
    ICalendarWriter writer(evaluator);
    const Parsed got = expand(writer.write(data, from, to));
    QVERIFY2(got.errors.isEmpty(), qPrintable(got.errors.join(u'\n')));

    std::map<QString, std::vector<Instance>> byUid;
    for (const Instance &i : got.instances)
        byUid[i.uid.section(u'-', 0, 0)].push_back(i);
    QCOMPARE(int(byUid.size()), 5);
    for (int i = 0; i < data.count(); ++i) {
        std::vector<Instance> mine = byUid[QString::number(i + 1)];
        std::sort(mine.begin(), mine.end());
        QCOMPARE(describe(mine), describe(evaluated(*data.at(i), from, to)));
    }
}

QTEST_GUILESS_MAIN(TestICalendar)
#include "tst_icalendar.moc"
