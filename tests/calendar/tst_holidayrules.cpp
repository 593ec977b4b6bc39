#include "calendar/HolidayRules.h"
#include "calendar/Julius.h"

#include <QSignalSpy>
#include <QTest>

class TestHolidayRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultLines();
    void decodeLine_data();
    void decodeLine();
    void defaultFlags_data();
    void defaultFlags();
    void switchesOff();
    void specialDay();
    void lineWithTextInNumberField_data();
    void lineWithTextInNumberField();
    void missingDaysRaise();
    void commaText_data();
    void commaText();
    void namesInOrder();
    void changesAreSignalled();
};

void TestHolidayRules::defaultLines()
{
    const QStringList lines = DefaultHolidayLines();
    QCOMPARE(lines.size(), 15);
    QCOMPARE(lines.first(), QStringLiteral("1,1,元旦"));
    QCOMPARE(lines[2], QStringLiteral("2000,2,1,2,2,成人の日"));
    QCOMPARE(lines.last(), QStringLiteral("12,23,天皇誕生日"));
}

void TestHolidayRules::decodeLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("name");
    const QString none;
    QTest::newRow("fixed, other month") << "1,1,元旦" << 2000 << 2 << 13 << 32 << none;
    QTest::newRow("fixed, any month") << "1,1,元旦" << 2000 << 0 << 1 << 1 << "元旦";
    QTest::newRow("fixed, that month") << "1,1,元旦" << 2000 << 1 << 1 << 1 << "元旦";
    QTest::newRow("two fields") << "1,元旦" << 2000 << 0 << 13 << 32 << none;
    QTest::newRow("seven fields") << "1,2,3,4,5,6,x" << 2000 << 0 << 13 << 32 << none;
    QTest::newRow("empty line") << "" << 2000 << 0 << 13 << 32 << none;
    QTest::newRow("trailing comma: empty name") << "5,5," << 2000 << 5 << 5 << 5 << "";
    QTest::newRow("5th Monday, January of five") << "1,5,2,x" << 2001 << 1 << 1 << 29 << "x";
    QTest::newRow("5th Monday, January of four") << "1,5,2,x" << 2002 << 1 << 1 << 35 << "x";
    QTest::newRow("2nd Monday 2000") << "2000,2,1,2,2,成人の日" << 2000 << 1 << 1 << 10 << "成人の日";
    QTest::newRow("2nd Monday before 2000") << "2000,2,1,2,2,成人の日" << 1999 << 1 << 13 << 32 << none;
    QTest::newRow("up to 1999") << "1999,1,1,15,成人の日" << 1999 << 1 << 1 << 15 << "成人の日";
    QTest::newRow("up to 1999, in 2000") << "1999,1,1,15,成人の日" << 2000 << 1 << 13 << 32 << none;
    QTest::newRow("only 2005, in 2005") << "2005,0,3,1,x" << 2005 << 0 << 3 << 1 << "x";
    QTest::newRow("only 2005, in 2006") << "2005,0,3,1,x" << 2006 << 0 << 13 << 32 << none;
    QTest::newRow("other condition: every year") << "2005,7,3,1,x" << 1900 << 3 << 3 << 1 << "x";
    QTest::newRow("weekday of month 13") << "13,1,2,x" << 2000 << 0 << 13 << 32 << "x";
    QTest::newRow("huge week number") << "1,2000000000,2,x" << 2000 << 1 << 1 << 32 << "x";
    QTest::newRow("huge weekday") << "2000,2,1,2,2147483647,x" << 2000 << 1 << 1 << 9 << "x";
    QTest::newRow("no trimming of the name") << "3,3, ひな祭り " << 2000 << 3 << 3 << 3 << " ひな祭り ";
}

void TestHolidayRules::decodeLine()
{
    QFETCH(QString, line);
    QFETCH(int, year);
    QFETCH(int, asked);
    HolidayRules rules;
    QString name = QStringLiteral("stale");
    int day = 0;
    int month = asked;
    rules.DecodeHolidayLine(line, year, name, day, month);
    QTEST(month, "month");
    QTEST(day, "day");
    QTEST(name, "name");
}

void TestHolidayRules::defaultFlags_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("names");
    QTest::newRow("2000-01-10 second Monday") << QDate(2000, 1, 10) << int(dfHoliday) << "成人の日";
    QTest::newRow("2001-01-08") << QDate(2001, 1, 8) << int(dfHoliday) << "成人の日";
    QTest::newRow("1999-01-15") << QDate(1999, 1, 15) << int(dfHoliday) << "成人の日";
    QTest::newRow("2000-01-15 Saturday only") << QDate(2000, 1, 15) << int(dfSaturday) << "";
    QTest::newRow("1999-10-10 Sunday holiday") << QDate(1999, 10, 10) << int(dfSunday | dfHoliday) << "体育の日";
    QTest::newRow("1999-10-11 substitute") << QDate(1999, 10, 11) << int(dfSubstitute) << "振替休日";
    QTest::newRow("2006-01-01") << QDate(2006, 1, 1) << int(dfSunday | dfHoliday) << "元旦";
    QTest::newRow("2006-01-02 substitute") << QDate(2006, 1, 2) << int(dfSubstitute) << "振替休日";
    QTest::newRow("2000-03-20 vernal") << QDate(2000, 3, 20) << int(dfHoliday) << "春分の日";
    QTest::newRow("2000-09-23 autumnal") << QDate(2000, 9, 23) << int(dfHoliday | dfSaturday) << "秋分の日";
    QTest::newRow("1998-05-04 holiday Monday after holiday Sunday")
        << QDate(1998, 5, 4) << int(dfHoliday) << "国民の休日";
    QTest::newRow("2000-10-09 second Monday") << QDate(2000, 10, 9) << int(dfHoliday) << "体育の日";
    QTest::newRow("2000-10-10 no longer") << QDate(2000, 10, 10) << 0 << "";
    QTest::newRow("Monday after a Saturday holiday") << QDate(2000, 9, 25) << 0 << "";
    QTest::newRow("2019-03-21 vernal, Thursday") << QDate(2019, 3, 21) << int(dfHoliday) << "春分の日";
    QTest::newRow("2020-03-20 vernal, Friday") << QDate(2020, 3, 20) << int(dfHoliday) << "春分の日";
    QTest::newRow("plain Sunday") << QDate(2000, 1, 2) << int(dfSunday) << "";
    QTest::newRow("Monday after plain Sunday") << QDate(2000, 1, 3) << 0 << "";
}

void TestHolidayRules::defaultFlags()
{
    QFETCH(QDate, date);
    HolidayRules rules;
    rules.setHolidayList(DefaultHolidayLines());
    QFETCH(int, flags);
    QCOMPARE(int(rules.GetDayFlags(date.year(), date.month(), date.day()).toInt()), flags);
    QTEST(rules.GetDayNames(date.year(), date.month(), date.day()), "names");
}

void TestHolidayRules::switchesOff()
{
    HolidayRules rules;
    rules.setHolidayList(DefaultHolidayLines());
    rules.setAutoEquinox(false);
    QCOMPARE(int(rules.GetDayFlags(2000, 3, 20).toInt()), 0);
    QCOMPARE(int(rules.GetDayFlags(2000, 9, 23).toInt()), int(dfSaturday));
    QCOMPARE(rules.GetDayNames(2000, 3, 20), QString());
    rules.setAutoFurikae(false);
    QCOMPARE(int(rules.GetDayFlags(1999, 10, 11).toInt()), 0);
    QCOMPARE(rules.GetDayNames(2006, 1, 2), QString());

    // An equinox Sunday moves the holiday to Monday only while equinoxes count.
    rules.setAutoFurikae(true);
    QCOMPARE(int(rules.GetDayFlags(2010, 3, 22).toInt()), 0); // 2010-03-21 is a Sunday equinox
    rules.setAutoEquinox(true);
    QCOMPARE(int(rules.GetDayFlags(2010, 3, 22).toInt()), int(dfSubstitute));
}

void TestHolidayRules::specialDay()
{
    HolidayRules rules;
    rules.setSpecialDayList({QStringLiteral("12,24,イブ")});
    for (int year : {1999, 2000, 2004, 2021}) {
        const TDayFlags flags = rules.GetDayFlags(year, 12, 24);
        QVERIFY(flags.testFlag(dfSpecialDay));
        QVERIFY(!flags.testFlag(dfHoliday));
        QVERIFY(!flags.testFlag(dfSubstitute));
    }
    // A special Sunday makes no substitute holiday (2000-12-24 is a Sunday).
    QVERIFY(!rules.GetDayFlags(2000, 12, 25).testFlag(dfSubstitute));
}

void TestHolidayRules::lineWithTextInNumberField_data()
{
    QTest::addColumn<QString>("bad");
    QTest::newRow("month") << "x,1,元旦";
    QTest::newRow("day") << "1,1日,元旦";
    QTest::newRow("weekday") << "1,2,月,成人の日";
    QTest::newRow("year") << "平成,2,1,2,2,成人の日";
    QTest::newRow("condition") << "2000,,1,2,2,成人の日";
    QTest::newRow("empty line") << "";
}

void TestHolidayRules::lineWithTextInNumberField()
{
    QFETCH(QString, bad);
    HolidayRules rules;
    rules.setHolidayList({bad, QStringLiteral("1,1,元旦"), QStringLiteral("2000,2,1,2,2,成人の日")});
    rules.setSpecialDayList({bad});
    QString name;
    int day = 0, month = 0;
    rules.DecodeHolidayLine(bad, 2000, name, day, month);
    QCOMPARE(month, 13);
    QCOMPARE(day, 32);
    QCOMPARE(int(rules.GetDayFlags(2000, 1, 1).toInt()), int(dfHoliday | dfSaturday));
    QCOMPARE(int(rules.GetDayFlags(2000, 1, 10).toInt()), int(dfHoliday));
    QCOMPARE(rules.GetDayNames(2000, 1, 10), QStringLiteral("成人の日"));
}

void TestHolidayRules::missingDaysRaise()
{
    HolidayRules rules;
    QVERIFY_THROWS_EXCEPTION(EJuliusError, rules.GetDayFlags(1582, 10, 10));
    QCOMPARE(int(rules.GetDayFlags(1582, 10, 15).toInt()), 0);
}

void TestHolidayRules::commaText_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList() << "";
    QTest::newRow("one") << QStringList {"元旦"} << "元旦";
    QTest::newRow("two") << QStringList {"a", "b"} << "a,b";
    QTest::newRow("one empty") << QStringList {""} << "\"\"";
    QTest::newRow("empty among others") << QStringList {"a", ""} << "a,";
    QTest::newRow("blank") << QStringList {"a b"} << "\"a b\"";
    QTest::newRow("quote") << QStringList {"a\"b"} << "\"a\"\"b\"";
    QTest::newRow("control") << QStringList {"a\tb", "c"} << "\"a\tb\",c";
}

void TestHolidayRules::commaText()
{
    QFETCH(QStringList, names);
    QTEST(CommaText(names), "text");
}

void TestHolidayRules::namesInOrder()
{
    HolidayRules rules;
    rules.setSpecialDayList({QStringLiteral("3,20,記念 日")});
    rules.setHolidayList({QStringLiteral("3,20,休み"), QStringLiteral("3,20,休み")});
    QCOMPARE(rules.GetDayNames(2000, 3, 20), QStringLiteral("\"記念 日\",休み,休み,春分の日"));
    QCOMPARE(int(rules.GetDayFlags(2000, 3, 20).toInt()), int(dfHoliday | dfSpecialDay));
}

void TestHolidayRules::changesAreSignalled()
{
    HolidayRules rules;
    QSignalSpy spy(&rules, &HolidayRules::changed);
    rules.setHolidayList(DefaultHolidayLines());
    rules.setHolidayLine(0, QStringLiteral("1,2,元旦"));
    rules.appendSpecialDayLine(QStringLiteral("12,24,イブ"));
    rules.setSpecialDayLine(0, QStringLiteral("12,25,x"));
    QCOMPARE(spy.count(), 4);
    rules.setAutoEquinox(true); // unchanged
    rules.setAutoFurikae(true);
    QCOMPARE(spy.count(), 4);
    rules.setAutoEquinox(false);
    rules.setAutoFurikae(false);
    QCOMPARE(spy.count(), 6);
    QVERIFY(rules.GetDayFlags(2000, 1, 2).testFlag(dfHoliday));
}

QTEST_APPLESS_MAIN(TestHolidayRules)
#include "tst_holidayrules.moc"
