#include "../data/DataFixtures.h"
#include "calendar/HolidayRules.h"
#include "data/Clock.h"
#include "data/Data.h"
#include "schedule/Schedule.h"
#include "settings/AppSettings.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Expect
{
    QString target;
    QString nominal;
    ShiftReason reason = ShiftReason::None;
};

struct Shown
{
    QString target;
    QString last;
    QString from;
    // Empty: shown until marked done, with no end.
    QString to;
};

QString iso(int day)
{
    return DateValueToQDate(day).toString(Qt::ISODate);
}

int dayOf(const QString &isoDate)
{
    return int(QDateToDateValue(QDate::fromString(isoDate, Qt::ISODate)));
}

Expect at(const QString &target)
{
    return {target, target, ShiftReason::None};
}

Expect moved(const QString &target, const QString &nominal, ShiftReason reason)
{
    return {target, nominal, reason};
}

} // namespace

Q_DECLARE_METATYPE(QList<Expect>)
Q_DECLARE_METATYPE(QList<Shown>)

class TestSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void targets_data();
    void targets();
    void shownDays_data();
    void shownDays();
    void hostileValuesFromFile();
    void documentIsSortedByTargetThenItem();
    void onceWithoutStartIsToday();
    void nextOccurrences();
    void followsChangedRules();
    void weekdayOfDay();

private:
    HolidayRules rules;
};

void TestSchedule::initTestCase()
{
    // Our own short list, so that the cases do not depend on which holiday
    // law the program ships.
    rules.setHolidayList({"1,1,元旦", "5,3,憲法記念日", "5,4,みどりの日", "5,5,こどもの日", "11,3,文化の日",
        // Every Sunday of June, for long chains of blocked days.
        "6,1,1,a", "6,2,1,b", "6,3,1,c", "6,4,1,d"});
    rules.setAutoEquinox(false);
    rules.setAutoFurikae(true);
}

void TestSchedule::cleanup()
{
    Clock::clearFixed();
}

void TestSchedule::targets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QList<Expect>>("expected");

    using R = ShiftReason;
    QTest::newRow("once") << 0 << "s=2026/03/10"
                          << "2026-03-01"
                          << "2026-03-31" << QList<Expect> {at("2026-03-10")};
    QTest::newRow("once outside") << 0 << "s=2026/03/10"
                                  << "2026-03-11"
                                  << "2026-03-31" << QList<Expect> {};
    QTest::newRow("irregular") << 3 << "s=2026/07/07"
                               << "2026-07-01"
                               << "2026-07-31" << QList<Expect> {at("2026-07-07")};
    QTest::newRow("irregular without start") << 3 << ""
                                             << "1901-01-01"
                                             << "2099-12-31" << QList<Expect> {};
    QTest::newRow("month end") << 1 << "mon=2,4 d=31,0"
                               << "2024-01-01"
                               << "2024-12-31" << QList<Expect> {at("2024-02-29"), at("2024-04-30")};
    QTest::newRow("30 in February is its last day, equal days are one")
        << 1 << "mon=2,4 d=30,31"
        << "2026-01-01"
        << "2026-12-31" << QList<Expect> {at("2026-02-28"), at("2026-04-30")};
    QTest::newRow("two days") << 1 << "mon=3 d=20,5"
                              << "2026-01-01"
                              << "2026-12-31" << QList<Expect> {at("2026-03-05"), at("2026-03-20")};
    QTest::newRow("no month") << 1 << "d=5,0"
                              << "2026-01-01"
                              << "2026-12-31" << QList<Expect> {};
    QTest::newRow("no day") << 1 << "mon=3 d=0,0"
                            << "2026-01-01"
                            << "2026-12-31" << QList<Expect> {};
    QTest::newRow("every week") << 2 << "wd=0,4"
                                << "2026-12-28"
                                << "2027-01-03" << QList<Expect> {at("2026-12-28"), at("2027-01-01")};
    QTest::newRow("odd weeks across the year") << 2 << "wd=2 wp=1"
                                               << "2026-12-20"
                                               << "2027-01-16" << QList<Expect> {at("2026-12-30"), at("2027-01-13")};
    QTest::newRow("even weeks across the year") << 2 << "wd=2 wp=2"
                                                << "2026-12-20"
                                                << "2027-01-16" << QList<Expect> {at("2026-12-23"), at("2027-01-06")};
    QTest::newRow("weekday item does not move off a weekday") << 2 << "wd=5 sh=5 dir=1"
                                                              << "2026-03-01"
                                                              << "2026-03-08" << QList<Expect> {at("2026-03-07")};
    QTest::newRow("earlier across month and year")
        << 1 << "mon=1 d=1,0 sh=h dir=0"
        << "2026-12-01"
        << "2027-01-31" << QList<Expect> {moved("2026-12-31", "2027-01-01", R::Holiday)};
    QTest::newRow("later across month and year, then off a holiday")
        << 1 << "mon=12 d=31,0 sh=6,h dir=1"
        << "2028-12-01"
        << "2029-01-31" << QList<Expect> {moved("2029-01-02", "2028-12-31", R::Weekday)};
    QTest::newRow("Golden Week later") << 1 << "mon=5 d=3,0 sh=5,6,h dir=1"
                                       << "2025-04-01"
                                       << "2025-05-31" << QList<Expect> {moved("2025-05-06", "2025-05-03", R::Holiday)};
    QTest::newRow("Golden Week earlier") << 1 << "mon=5 d=3,0 sh=5,6,h dir=0"
                                         << "2025-04-01"
                                         << "2025-05-31"
                                         << QList<Expect> {moved("2025-05-02", "2025-05-03", R::Holiday)};
    QTest::newRow("merged, earliest nominal day")
        << 1 << "mon=5 d=5,3 sh=5,6,h dir=1"
        << "2025-04-01"
        << "2025-05-31" << QList<Expect> {moved("2025-05-06", "2025-05-03", R::Holiday)};
    QTest::newRow("weekday item merged") << 2 << "wd=0,1 sh=h dir=1"
                                         << "2025-11-01"
                                         << "2025-11-05"
                                         << QList<Expect> {moved("2025-11-04", "2025-11-03", R::Holiday)};
    QTest::newRow("weekday item off a holiday")
        << 2 << "wd=1 sh=h dir=0"
        << "2026-11-01"
        << "2026-11-07" << QList<Expect> {moved("2026-11-02", "2026-11-03", R::Holiday)};
    QTest::newRow("substitute holiday blocks")
        << 1 << "mon=11 d=4,0 sh=h dir=1"
        << "2024-11-01"
        << "2024-11-30" << QList<Expect> {moved("2024-11-05", "2024-11-04", R::Holiday)};
    QTest::newRow("more than 31 days blocked") << 1 << "mon=6 d=3,0 sh=0,1,2,3,4,5,h dir=1"
                                               << "2026-06-01"
                                               << "2026-07-31" << QList<Expect> {};
    QTest::newRow("31 days blocked") << 1 << "mon=6 d=4,0 sh=0,1,2,3,4,5,h dir=1"
                                     << "2026-06-01"
                                     << "2026-07-31" << QList<Expect> {moved("2026-07-05", "2026-06-04", R::Weekday)};
    QTest::newRow("all seven shift weekdays") << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=15,0 sh=0,1,2,3,4,5,6"
                                              << "1901-01-01"
                                              << "2099-12-31" << QList<Expect> {};
    QTest::newRow("first and last years") << 1 << "mon=1,12 d=1,31"
                                          << "1900-01-01"
                                          << "1901-01-31" << QList<Expect> {at("1901-01-01"), at("1901-01-31")};
    QTest::newRow("nothing after 2099") << 1 << "mon=12 d=31,0"
                                        << "2099-12-01"
                                        << "2100-12-31" << QList<Expect> {at("2099-12-31")};
}

void TestSchedule::targets()
{
    QFETCH(int, kind);
    QFETCH(QString, fields);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QList<Expect>, expected);

    const auto item = MakeItem(kind, fields);
    ScheduleEvaluator evaluator(rules);
    const QList<Occurrence> got = evaluator.itemOccurrences(*item, 4, dayOf(from), dayOf(to));
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QCOMPARE(iso(got[i].target), expected[i].target);
        QCOMPARE(iso(got[i].nominal), expected[i].nominal);
        QCOMPARE(got[i].reason, expected[i].reason);
        QCOMPARE(got[i].itemIndex, 4);
    }
}

void TestSchedule::shownDays_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QList<Shown>>("expected");

    QTest::newRow("before and after") << 1 << "mon=3 d=10,0 b=3 a=2"
                                      << "2026-03-01"
                                      << "2026-03-31"
                                      << QList<Shown> {{"2026-03-10", "2026-03-10", "2026-03-07", "2026-03-12"}};
    QTest::newRow("shown into the range from the next month")
        << 1 << "mon=4 d=2,0 b=5"
        << "2026-03-01"
        << "2026-03-28" << QList<Shown> {{"2026-04-02", "2026-04-02", "2026-03-28", "2026-04-02"}};
    QTest::newRow("shown into the range from the last month")
        << 1 << "mon=2 d=27,0 a=5"
        << "2026-03-04"
        << "2026-03-31" << QList<Shown> {{"2026-02-27", "2026-02-27", "2026-02-27", "2026-03-04"}};
    QTest::newRow("period") << 0 << "s=2026/03/10 e=2026/03/15 b=2 a=1"
                            << "2026-03-16"
                            << "2026-03-20" << QList<Shown> {{"2026-03-10", "2026-03-15", "2026-03-08", "2026-03-16"}};
    QTest::newRow("period ending before its start is one day")
        << 0 << "s=2026/03/10 e=2026/03/01"
        << "2026-03-01"
        << "2026-03-31" << QList<Shown> {{"2026-03-10", "2026-03-10", "2026-03-10", "2026-03-10"}};
    QTest::newRow("until done: the one before the range")
        << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=10,0 b=3 a=-1"
        << "2026-03-15"
        << "2026-03-20" << QList<Shown> {{"2026-03-10", "2026-03-10", "2026-03-07", "2026-04-06"}};
    QTest::newRow("until done: the next takes over")
        << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=10,0 b=3 a=-1"
        << "2026-04-07"
        << "2026-04-08" << QList<Shown> {{"2026-04-10", "2026-04-10", "2026-04-07", "2026-05-06"}};
    QTest::newRow("until done: both on the day between")
        << 1 << "mon=1,2,3,4,5,6,7,8,9,10,11,12 d=10,0 b=3 a=-1"
        << "2026-04-06"
        << "2026-04-07"
        << QList<Shown> {{"2026-03-10", "2026-03-10", "2026-03-07", "2026-04-06"},
               {"2026-04-10", "2026-04-10", "2026-04-07", "2026-05-06"}};
    QTest::newRow("until done: the last one has no end")
        << 1 << "mon=12 d=10,0 a=-1"
        << "2099-12-20"
        << "2099-12-31" << QList<Shown> {{"2099-12-10", "2099-12-10", "2099-12-10", ""}};
    QTest::newRow("until done: a year back")
        << 1 << "mon=6 d=1,0 a=-1"
        << "2027-03-01"
        << "2027-03-01" << QList<Shown> {{"2026-06-01", "2026-06-01", "2026-06-01", "2027-05-31"}};
    QTest::newRow("until done: once") << 0 << "s=2026/03/10 a=-1 b=1"
                                      << "2030-01-01"
                                      << "2030-01-01" << QList<Shown> {{"2026-03-10", "2026-03-10", "2026-03-09", ""}};
    QTest::newRow("until done: irregular before the range") << 3 << "s=2026/03/10 a=-1"
                                                            << "2026-01-01"
                                                            << "2026-03-09" << QList<Shown> {};
}

void TestSchedule::shownDays()
{
    QFETCH(int, kind);
    QFETCH(QString, fields);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QList<Shown>, expected);

    const auto item = MakeItem(kind, fields);
    ScheduleEvaluator evaluator(rules);
    const QList<Occurrence> got = evaluator.itemOccurrences(*item, 0, dayOf(from), dayOf(to));
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QCOMPARE(iso(got[i].target), expected[i].target);
        QCOMPARE(iso(got[i].lastDay), expected[i].last);
        QCOMPARE(iso(got[i].shownFrom), expected[i].from);
        QCOMPARE(got[i].openEnd, expected[i].to.isEmpty());
        if (!got[i].openEnd)
            QCOMPARE(iso(got[i].shownTo), expected[i].to);
    }
}

void TestSchedule::hostileValuesFromFile()
{
    // Three records as a foreign tool might write them.
    auto record = [](int kind) {
        RecordBytes r(160);
        r.text(6, "x").u8(104, kind).date(114, 0, 0, 0);
        return r;
    };
    RecordBytes parity = record(2);
    parity.u8(122, 0x7F).u8(123, 7);
    RecordBytes days = record(1);
    days.date(106, 2026, 1, 1).u16(118, 0x0002).u8(120, 200).u8(126, 0xFB).u8(127, 0xFD);
    RecordBytes direction = record(1);
    direction.date(106, 2026, 1, 1).u16(118, 0x0010).u8(120, 3).u8(124, 0x80).u8(125, 9);

    QTemporaryDir dir;
    const QString path
        = WriteFile(dir.filePath("hostile.tmd"), HeaderBytes("TideMk20") + parity.bytes + days.bytes + direction.bytes);
    TData data(Settings());
    data.LoadFromFile(path);
    QCOMPARE(data.count(), 3);

    ScheduleEvaluator evaluator(rules);
    const int from = dayOf("2025-01-01"), to = dayOf("2025-12-31");
    QVERIFY(evaluator.itemOccurrences(*data.at(0), 0, from, to).isEmpty());

    // Day 200 is the month's last day; a negative before-period shows from the
    // target itself; any negative after-period is "until done".
    QList<Occurrence> got = evaluator.itemOccurrences(*data.at(1), 1, from, to);
    QCOMPARE(got.size(), 2);
    QCOMPARE(iso(got[1].target), QStringLiteral("2025-02-28"));
    QCOMPARE(iso(got[1].shownFrom), QStringLiteral("2025-02-28"));
    QCOMPARE(got[1].openEnd, false);
    QCOMPARE(iso(got[1].shownTo), QStringLiteral("2026-02-27"));
    QCOMPARE(iso(got[0].target), QStringLiteral("2024-02-29"));

    // A direction other than 1 moves earlier, as the list shows it ("前").
    got = evaluator.itemOccurrences(*data.at(2), 2, from, to);
    QCOMPARE(got.size(), 1);
    QCOMPARE(iso(got[0].target), QStringLiteral("2025-05-02"));
    QCOMPARE(iso(got[0].nominal), QStringLiteral("2025-05-03"));
}

void TestSchedule::documentIsSortedByTargetThenItem()
{
    TData data(Settings());
    data.append(MakeItem(1, "mon=3 d=20,0"));
    data.append(MakeItem(0, "s=2026/03/05"));
    data.append(MakeItem(2, "wd=4")); // Fridays: 6, 13, 20, 27
    ScheduleEvaluator evaluator(rules);
    const QList<Occurrence> got = evaluator.documentOccurrences(data, dayOf("2026-03-01"), dayOf("2026-03-31"));
    QList<QPair<QString, int>> order;
    for (const Occurrence &o : got)
        order.append({iso(o.target), o.itemIndex});
    const QList<QPair<QString, int>> expected {{"2026-03-05", 1}, {"2026-03-06", 2}, {"2026-03-13", 2},
        {"2026-03-20", 0}, {"2026-03-20", 2}, {"2026-03-27", 2}};
    QCOMPARE(order, expected);
}

void TestSchedule::onceWithoutStartIsToday()
{
    Clock::setFixed(QDateTime(QDate(2026, 8, 1), QTime(9, 30)));
    auto item = MakeItem(0);
    ScheduleEvaluator evaluator(rules);
    const QList<Occurrence> got = evaluator.itemOccurrences(*item, 0, dayOf("2026-08-01"), dayOf("2026-08-01"));
    QCOMPARE(got.size(), 1);
    QCOMPARE(iso(got[0].target), QStringLiteral("2026-08-01"));
}

void TestSchedule::nextOccurrences()
{
    ScheduleEvaluator evaluator(rules);
    auto yearly = MakeItem(1, "mon=5 d=3,0 sh=5,6,h dir=1 a=-1");
    QList<Occurrence> got = evaluator.nextOccurrences(*yearly, dayOf("2025-05-06"), 3);
    QCOMPARE(got.size(), 3);
    QCOMPARE(iso(got[0].target), QStringLiteral("2025-05-06"));
    QCOMPARE(iso(got[1].target), QStringLiteral("2026-05-06")); // 3 Sun, 4 Mon, 5 Tue holidays
    QCOMPARE(iso(got[2].target), QStringLiteral("2027-05-06"));
    QCOMPARE(iso(got[2].shownTo), QStringLiteral("2028-05-07")); // the fourth is 2028-05-08

    got = evaluator.nextOccurrences(*yearly, dayOf("2099-05-07"), 3);
    QVERIFY(got.isEmpty());
    auto once = MakeItem(0, "s=2026/03/10");
    QVERIFY(evaluator.nextOccurrences(*once, dayOf("2026-03-11"), 3).isEmpty());
    QCOMPARE(evaluator.nextOccurrences(*once, dayOf("2026-03-10"), 3).size(), 1);
}

void TestSchedule::followsChangedRules()
{
    HolidayRules own;
    own.setAutoEquinox(false);
    ScheduleEvaluator evaluator(own);
    auto item = MakeItem(1, "mon=7 d=15,0 sh=h dir=1");
    const int from = dayOf("2026-07-01"), to = dayOf("2026-07-31");
    QCOMPARE(iso(evaluator.itemOccurrences(*item, 0, from, to).value(0).target), QStringLiteral("2026-07-15"));
    own.setHolidayList({"7,15,x"});
    QCOMPARE(iso(evaluator.itemOccurrences(*item, 0, from, to).value(0).target), QStringLiteral("2026-07-16"));
    QVERIFY(evaluator.isHoliday(dayOf("2026-07-15")));
}

void TestSchedule::weekdayOfDay()
{
    QCOMPARE(ItemWeekday(dayOf("2026-12-28")), 0); // Monday
    QCOMPARE(ItemWeekday(dayOf("2027-01-03")), 6); // Sunday
    QCOMPARE(ItemWeekday(dayOf("1899-12-29")), 4); // Friday, before day 0
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
