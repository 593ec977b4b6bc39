#include "calendar/HolidayRules.h"
#include "calendar/Julius.h"

#include <QCalendar>
#include <QSignalSpy>
#include <QTest>

// Calendar arithmetic on Julius days and the holiday rules built on it.
class TestCalendarRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every day from -4712-01-01 to 3999-12-31, both ways, against Qt's proleptic
    // calendars as an independent reckoning (they have no year 0, so astronomical
    // year 0 is their -1).
    void everyDayAgreesWithQt()
    {
        const QCalendar julian(QCalendar::System::Julian), gregorian(QCalendar::System::Gregorian);
        for (int j = 0; j <= YmdToJulius(3999, 12, 31); ++j) {
            int y, m, d;
            JuliusToYmd(j, y, m, d);
            const QCalendar &cal = j <= 2299160 ? julian : gregorian;
            const QDate qd = QDate::fromJulianDay(j);
            const QCalendar::YearMonthDay p = cal.partsFromDate(qd);
            if (p.year != (y <= 0 ? y - 1 : y) || p.month != m || p.day != d || YmdToJulius(y, m, d) != j
                || JuliusMonthDays(y, m) != cal.daysInMonth(m, p.year) || IsJuliusLeapYear(y) != cal.isLeapYear(p.year)
                || JuliusDayOfWeek(j) != qd.dayOfWeek() % 7 + 1)
                QFAIL(qPrintable(QStringLiteral("%1: %2-%3-%4").arg(j).arg(y).arg(m).arg(d)));
        }
        // Check values, and parts beyond their range run on.
        QCOMPARE(YmdToJulius(1999, 2, 11), 2451221);
        QCOMPARE(YmdToJulius(2000, 13, 1), 2451911);
        QCOMPARE(YmdToJulius(2001, 1, 32), 2451942);
        QCOMPARE(JulianYmdToJulius(2000, 1, 1), 2451558);
        QCOMPARE(JulianYmdToJulius(-4712, 1, 1), 0);
        QCOMPARE(GregorianYmdToJulius(1582, 10, 15), 2299161);
        QCOMPARE(DateToJulius(36202), 2451221);
        QVERIFY_THROWS_EXCEPTION(EJuliusError, DateToJulius(EncodeDate(1582, 10, 10)));
    }

    // Past Qt's Gregorian rule: 4000 is no leap year here.
    void beyondYear4000()
    {
        QVERIFY(!IsJuliusLeapYear(4000));
        QCOMPARE(YmdToJulius(4000, 3, 1), YmdToJulius(4000, 2, 28) + 1);
        int py = 3998, pm = 12, pd = 31;
        for (int j = YmdToJulius(3999, 1, 1); j <= YmdToJulius(12001, 12, 31); ++j) {
            int y, m, d;
            JuliusToYmd(j, y, m, d);
            const bool next = (y == py && m == pm && d == pd + 1) || (y == py && m == pm + 1 && d == 1)
                || (y == py + 1 && m == 1 && d == 1 && pm == 12);
            if (YmdToJulius(y, m, d) != j || d > JuliusMonthDays(y, m) || !next)
                QFAIL(qPrintable(QStringLiteral("%1 -> %2-%3-%4").arg(j).arg(y).arg(m).arg(d)));
            py = y;
            pm = m;
            pd = d;
        }
    }

    void isValidYmd()
    {
        QVERIFY(!IsValidYmd(1999, 2, 29));
        QVERIFY(IsValidYmd(2000, 2, 29));
        QVERIFY(!IsValidYmd(1900, 2, 29));
        QVERIFY(IsValidYmd(1500, 2, 29));
        QVERIFY(!IsValidYmd(2001, 4, 31));
        QVERIFY(!IsValidYmd(2001, 13, 1));
        QVERIFY(!IsValidYmd(2001, 1, 0));
        // The ten days the calendar reform skipped raise.
        for (int d = 5; d <= 14; ++d) {
            try {
                YmdToJulius(1582, 10, d);
                QFAIL("no error raised");
            } catch (const EJuliusError &e) {
                QCOMPARE(e.message(), QStringLiteral("1582/10/5-10/14は存在しません。"));
            }
            // Callers that only know the base class can catch it too.
            QVERIFY_THROWS_EXCEPTION(AppError, IsValidYmd(1582, 10, d));
            QVERIFY_THROWS_EXCEPTION(EJuliusError, HolidayRules().GetDayFlags(1582, 10, d));
        }
    }

    void equinoxes_data()
    {
        QTest::addColumn<bool>("vernal");
        QTest::addColumn<QDate>("date");
        QTest::newRow("vernal 1901") << true << QDate(1901, 3, 21);
        QTest::newRow("vernal 2000") << true << QDate(2000, 3, 20);
        QTest::newRow("vernal 2023") << true << QDate(2023, 3, 21);
        QTest::newRow("vernal 2024") << true << QDate(2024, 3, 20);
        QTest::newRow("vernal 2092") << true << QDate(2092, 3, 19);
        QTest::newRow("autumnal 1901") << false << QDate(1901, 9, 24);
        QTest::newRow("autumnal 2000") << false << QDate(2000, 9, 23);
        QTest::newRow("autumnal 2020") << false << QDate(2020, 9, 22);
        QTest::newRow("autumnal 2023") << false << QDate(2023, 9, 23);
    }

    void equinoxes()
    {
        QFETCH(bool, vernal);
        QFETCH(QDate, date);
        const int y = date.year(), m = date.month(), d = date.day();
        QCOMPARE(vernal ? VernalEquinoxJulius(y) : AutumnalEquinoxJulius(y), YmdToJulius(y, m, d));
        QCOMPARE(vernal ? IsVernalEquinox(y, m, d) : IsAutumnalEquinox(y, m, d), true);
        QCOMPARE(vernal ? IsVernalEquinox(y, m, d + 1) : IsAutumnalEquinox(y, m, d - 1), false);
    }

    void decodeLine_data()
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
        QTest::newRow("two fields") << "1,元旦" << 2000 << 0 << 13 << 32 << none;
        QTest::newRow("seven fields") << "1,2,3,4,5,6,x" << 2000 << 0 << 13 << 32 << none;
        QTest::newRow("trailing comma: empty name") << "5,5," << 2000 << 5 << 5 << 5 << "";
        QTest::newRow("5th Monday, January of five") << "1,5,2,x" << 2001 << 1 << 1 << 29 << "x";
        QTest::newRow("5th Monday, January of four") << "1,5,2,x" << 2002 << 1 << 1 << 35 << "x";
        QTest::newRow("2nd Monday from 2000") << "2000,2,1,2,2,成人の日" << 2000 << 1 << 1 << 10 << "成人の日";
        QTest::newRow("2nd Monday before 2000") << "2000,2,1,2,2,成人の日" << 1999 << 1 << 13 << 32 << none;
        QTest::newRow("up to 1999") << "1999,1,1,15,成人の日" << 1999 << 1 << 1 << 15 << "成人の日";
        QTest::newRow("up to 1999, in 2000") << "1999,1,1,15,成人の日" << 2000 << 1 << 13 << 32 << none;
        QTest::newRow("only 2005, in 2005") << "2005,0,3,1,x" << 2005 << 0 << 3 << 1 << "x";
        QTest::newRow("only 2005, in 2006") << "2005,0,3,1,x" << 2006 << 0 << 13 << 32 << none;
        QTest::newRow("other condition: every year") << "2005,7,3,1,x" << 1900 << 3 << 3 << 1 << "x";
        QTest::newRow("negative condition: every year") << "2005,-1,3,1,x" << 1900 << 3 << 3 << 1 << "x";
        QTest::newRow("year before year 1") << "-5,2,3,1,x" << 2000 << 3 << 3 << 1 << "x";
        QTest::newRow("weekday of month 13") << "13,1,2,x" << 2000 << 0 << 13 << 32 << "x";
        QTest::newRow("huge week number") << "1,2000000000,2,x" << 2000 << 1 << 1 << 32 << "x";
        QTest::newRow("huge weekday") << "2000,2,1,2,2147483647,x" << 2000 << 1 << 1 << 9 << "x";
        QTest::newRow("no trimming of the name") << "3,3, ひな祭り " << 2000 << 3 << 3 << 3 << " ひな祭り ";
    }

    void decodeLine()
    {
        QFETCH(QString, line);
        QFETCH(int, year);
        QFETCH(int, asked);
        QString name = QStringLiteral("stale");
        int day = 0;
        int month = asked;
        HolidayRules().DecodeHolidayLine(line, year, name, day, month);
        QTEST(month, "month");
        QTEST(day, "day");
        QTEST(name, "name");
    }

    void defaultFlags_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("names");
        QTest::newRow("2000-01-10 second Monday") << QDate(2000, 1, 10) << int(dfHoliday) << "成人の日";
        QTest::newRow("1999-01-15") << QDate(1999, 1, 15) << int(dfHoliday) << "成人の日";
        QTest::newRow("2000-01-15 Saturday only") << QDate(2000, 1, 15) << int(dfSaturday) << "";
        QTest::newRow("1999-10-10 Sunday holiday") << QDate(1999, 10, 10) << int(dfSunday | dfHoliday) << "体育の日";
        QTest::newRow("1999-10-11 substitute") << QDate(1999, 10, 11) << int(dfSubstitute) << "振替休日";
        QTest::newRow("2006-01-02 substitute") << QDate(2006, 1, 2) << int(dfSubstitute) << "振替休日";
        QTest::newRow("2000-03-20 vernal") << QDate(2000, 3, 20) << int(dfHoliday) << "春分の日";
        QTest::newRow("2000-09-23 autumnal") << QDate(2000, 9, 23) << int(dfHoliday | dfSaturday) << "秋分の日";
        QTest::newRow("1998-05-04 between holidays") << QDate(1998, 5, 4) << int(dfHoliday) << "国民の休日";
        QTest::newRow("2000-10-09 second Monday") << QDate(2000, 10, 9) << int(dfHoliday) << "体育の日";
        QTest::newRow("2000-10-10 no longer") << QDate(2000, 10, 10) << 0 << "";
        QTest::newRow("Monday after a Saturday holiday") << QDate(2000, 9, 25) << 0 << "";
        QTest::newRow("Monday after plain Sunday") << QDate(2000, 1, 3) << 0 << "";
    }

    void defaultFlags()
    {
        QFETCH(QDate, date);
        HolidayRules rules;
        rules.setHolidayList(DefaultHolidayLines());
        QTEST(int(rules.GetDayFlags(date.year(), date.month(), date.day()).toInt()), "flags");
        QTEST(rules.GetDayNames(date.year(), date.month(), date.day()), "names");
    }

    void switchesOff()
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

    void specialDays()
    {
        HolidayRules rules;
        rules.setSpecialDayList({QStringLiteral("12,24,イブ")});
        for (int year : {1999, 2000, 2004, 2021})
            QCOMPARE((rules.GetDayFlags(year, 12, 24) & ~TDayFlags(dfSunday | dfSaturday)).toInt(), int(dfSpecialDay));
        // A special Sunday makes no substitute holiday (2000-12-24 is a Sunday).
        QVERIFY(!rules.GetDayFlags(2000, 12, 25).testFlag(dfSubstitute));
        // Special days come first, then holidays in list order, then the equinox.
        rules.setSpecialDayList({QStringLiteral("3,20,記念 日")});
        rules.setHolidayList({QStringLiteral("3,20,休み"), QStringLiteral("3,20,休み")});
        QCOMPARE(rules.GetDayNames(2000, 3, 20), QStringLiteral("\"記念 日\",休み,休み,春分の日"));
        QCOMPARE(int(rules.GetDayFlags(2000, 3, 20).toInt()), int(dfHoliday | dfSpecialDay));
    }

    void lineWithTextInNumberField_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("month") << "x,1,元旦";
        QTest::newRow("day") << "1,1日,元旦";
        QTest::newRow("weekday") << "1,2,月,成人の日";
        QTest::newRow("year") << "平成,2,1,2,2,成人の日";
        QTest::newRow("condition") << "2000,,1,2,2,成人の日";
        // Fields are taken as they stand: no blanks, no plus, a minus only where a field may be negative.
        QTest::newRow("blank before month") << " 1,1,元旦";
        QTest::newRow("blank after day") << "1,1 ,元旦";
        QTest::newRow("plus on day") << "1,+1,元旦";
        QTest::newRow("minus on month") << "-1,1,元旦";
        QTest::newRow("minus on weekday") << "1,2,-5,成人の日";
        QTest::newRow("plus on year") << "+2000,2,1,2,2,成人の日";
        QTest::newRow("blank in condition") << "2000,2 ,1,2,2,成人の日";
        QTest::newRow("lone minus on year") << "-,2,1,2,2,成人の日";
        QTest::newRow("empty line") << "";
    }

    // Such a line gives no day, and the rest of the list still works.
    void lineWithTextInNumberField()
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

    void commaText_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("two") << QStringList {"a", "b"} << "a,b";
        QTest::newRow("one empty") << QStringList {""} << "\"\"";
        QTest::newRow("empty among others") << QStringList {"a", ""} << "a,";
        QTest::newRow("quote") << QStringList {"a\"b"} << "\"a\"\"b\"";
        QTest::newRow("control") << QStringList {"a\tb", "c"} << "\"a\tb\",c";
    }

    void commaText()
    {
        QFETCH(QStringList, names);
        QTEST(CommaText(names), "text");
    }

    void changesAreSignalled()
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
};

QTEST_APPLESS_MAIN(TestCalendarRules)
#include "tst_calendarrules.moc"
