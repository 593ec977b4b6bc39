#include "calendar/Julius.h"

#include <QCalendar>
#include <QTest>

class TestJulius : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ymdToJulius_data();
    void ymdToJulius();
    void missingDaysRaise_data();
    void missingDaysRaise();
    void julianAndGregorianCheckValues();
    void juliusToYmd_data();
    void juliusToYmd();
    void roundTripEveryDay();
    void agreesWithQtCalendars();
    void beyondYear4000();
    void dayOfWeek();
    void leapYears_data();
    void leapYears();
    void monthDays_data();
    void monthDays();
    void isValidYmd_data();
    void isValidYmd();
    void dateToJulius();
    void equinoxes_data();
    void equinoxes();
};

void TestJulius::ymdToJulius_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("julius");
    QTest::newRow("2000-01-01") << 2000 << 1 << 1 << 2451545;
    QTest::newRow("last Julian day") << 1582 << 10 << 4 << 2299160;
    QTest::newRow("first Gregorian day") << 1582 << 10 << 15 << 2299161;
    QTest::newRow("day 0") << -4712 << 1 << 1 << 0;
    QTest::newRow("1999-02-11") << 1999 << 2 << 11 << 2451221;
    QTest::newRow("1900-03-01") << 1900 << 3 << 1 << 2415080;
    QTest::newRow("1900-12-31") << 1900 << 12 << 31 << 2415385;
    QTest::newRow("month 13 runs on") << 2000 << 13 << 1 << 2451911;
    QTest::newRow("day 32 runs on") << 2001 << 1 << 32 << 2451942;
}

void TestJulius::ymdToJulius()
{
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    QFETCH(int, julius);
    QCOMPARE(YmdToJulius(y, m, d), julius);
}

void TestJulius::missingDaysRaise_data()
{
    QTest::addColumn<int>("d");
    for (int d = 5; d <= 14; ++d)
        QTest::addRow("1582-10-%02d", d) << d;
}

void TestJulius::missingDaysRaise()
{
    QFETCH(int, d);
    try {
        YmdToJulius(1582, 10, d);
        QFAIL("no error raised");
    } catch (const EJuliusError &e) {
        QCOMPARE(e.message(), QStringLiteral("1582/10/5-10/14は存在しません。"));
    }
    // Callers that only know the base class can catch it too.
    QVERIFY_THROWS_EXCEPTION(AppError, IsValidYmd(1582, 10, d));
}

void TestJulius::julianAndGregorianCheckValues()
{
    QCOMPARE(JulianYmdToJulius(-4712, 1, 1), 0);
    QCOMPARE(JulianYmdToJulius(1582, 10, 4), 2299160);
    QCOMPARE(JulianYmdToJulius(2000, 1, 1), 2451558);
    QCOMPARE(GregorianYmdToJulius(1582, 10, 15), 2299161);
    QCOMPARE(GregorianYmdToJulius(2000, 1, 1), 2451545);
}

void TestJulius::juliusToYmd_data()
{
    QTest::addColumn<int>("julius");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::newRow("last Julian day") << 2299160 << 1582 << 10 << 4;
    QTest::newRow("first Gregorian day") << 2299161 << 1582 << 10 << 15;
    QTest::newRow("day 0") << 0 << -4712 << 1 << 1;
    QTest::newRow("1999-02-11") << 2451221 << 1999 << 2 << 11;
    QTest::newRow("1900-03-01") << 2415080 << 1900 << 3 << 1;
    QTest::newRow("1900-12-31") << 2415385 << 1900 << 12 << 31;
    QTest::newRow("1900-02-28") << 2415079 << 1900 << 2 << 28;
    QTest::newRow("2100-03-01") << 2488129 << 2100 << 3 << 1;
}

void TestJulius::juliusToYmd()
{
    QFETCH(int, julius);
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    int year, month, day;
    JuliusToYmd(julius, year, month, day);
    QCOMPARE(year, y);
    QCOMPARE(month, m);
    QCOMPARE(day, d);
}

// Every day from -4712-01-01 to the end of 3999, both ways, and each day's
// successor is the next calendar date.
void TestJulius::roundTripEveryDay()
{
    const int last = YmdToJulius(3999, 12, 31);
    int py = -4712, pm = 1, pd = 0;
    for (int j = 0; j <= last; ++j) {
        int y, m, d;
        JuliusToYmd(j, y, m, d);
        if (YmdToJulius(y, m, d) != j)
            QFAIL(qPrintable(QStringLiteral("%1 -> %2-%3-%4 does not come back").arg(j).arg(y).arg(m).arg(d)));
        const bool next = (y == py && m == pm && d == pd + 1)
            || (y == py && m == pm + 1 && d == 1 && pd == JuliusMonthDays(py, pm))
            || (y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31) || (j == 2299161 && d == 15);
        if (!next)
            QFAIL(qPrintable(QStringLiteral("%1: %2-%3-%4 does not follow %5-%6-%7")
                                 .arg(j)
                                 .arg(y)
                                 .arg(m)
                                 .arg(d)
                                 .arg(py)
                                 .arg(pm)
                                 .arg(pd)));
        py = y;
        pm = m;
        pd = d;
    }
}

// Qt's own proleptic calendars as an independent reckoning (they have no
// year 0, so astronomical year 0 is their -1).
void TestJulius::agreesWithQtCalendars()
{
    const QCalendar julian(QCalendar::System::Julian);
    for (int j = 0; j <= 2299160; j += 7) {
        int y, m, d;
        JuliusToYmd(j, y, m, d);
        const QDate qd = julian.dateFromParts(y <= 0 ? y - 1 : y, m, d);
        QVERIFY2(qd.isValid() && qd.toJulianDay() == j, qPrintable(QString::number(j)));
    }
    for (int j = 2299161; j <= YmdToJulius(3999, 12, 31); ++j) {
        int y, m, d;
        JuliusToYmd(j, y, m, d);
        const QDate qd = QDate::fromJulianDay(j);
        if (qd.year() != y || qd.month() != m || qd.day() != d)
            QFAIL(qPrintable(QString::number(j)));
    }
}

void TestJulius::beyondYear4000()
{
    QVERIFY(!IsJuliusLeapYear(4000));
    QCOMPARE(JuliusMonthDays(4000, 2), 28);
    QCOMPARE(YmdToJulius(4000, 3, 1), YmdToJulius(4000, 2, 28) + 1);
    const int from = YmdToJulius(3999, 1, 1), to = YmdToJulius(12001, 12, 31);
    int py = 3998, pm = 12, pd = 31;
    for (int j = from; j <= to; ++j) {
        int y, m, d;
        JuliusToYmd(j, y, m, d);
        if (YmdToJulius(y, m, d) != j || d > JuliusMonthDays(y, m))
            QFAIL(qPrintable(QStringLiteral("%1 -> %2-%3-%4").arg(j).arg(y).arg(m).arg(d)));
        const bool next = (y == py && m == pm && d == pd + 1) || (y == py && m == pm + 1 && d == 1)
            || (y == py + 1 && m == 1 && d == 1 && pm == 12);
        if (!next)
            QFAIL(qPrintable(QStringLiteral("%1: %2-%3-%4 does not follow").arg(j).arg(y).arg(m).arg(d)));
        py = y;
        pm = m;
        pd = d;
    }
}

void TestJulius::dayOfWeek()
{
    QCOMPARE(JuliusDayOfWeek(2451545), 7);
    QCOMPARE(JuliusDayOfWeek(2451546), 1);
    // Thursday 1582-10-04 is followed by Friday 1582-10-15.
    QCOMPARE(JuliusDayOfWeek(2299160), 5);
    QCOMPARE(JuliusDayOfWeek(2299161), 6);
    for (int j = 2451545 - 1000; j < 2451545 + 1000; ++j)
        QCOMPARE(JuliusDayOfWeek(j), QDate::fromJulianDay(j).dayOfWeek() % 7 + 1);
}

void TestJulius::leapYears_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("leap");
    QTest::newRow("1500 (Julian rule)") << 1500 << true;
    QTest::newRow("1582") << 1582 << false;
    QTest::newRow("1600") << 1600 << true;
    QTest::newRow("1700") << 1700 << false;
    QTest::newRow("1900") << 1900 << false;
    QTest::newRow("2000") << 2000 << true;
    QTest::newRow("2004") << 2004 << true;
    QTest::newRow("2100") << 2100 << false;
    QTest::newRow("2400") << 2400 << true;
    QTest::newRow("4000") << 4000 << false;
    QTest::newRow("-4712") << -4712 << true;
    QTest::newRow("year 0") << 0 << true;
}

void TestJulius::leapYears()
{
    QFETCH(int, year);
    QFETCH(bool, leap);
    QCOMPARE(IsJuliusLeapYear(year), leap);
}

void TestJulius::monthDays_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("days");
    QTest::newRow("1900-02") << 1900 << 2 << 28;
    QTest::newRow("2000-02") << 2000 << 2 << 29;
    QTest::newRow("1500-02") << 1500 << 2 << 29;
    QTest::newRow("2001-04") << 2001 << 4 << 30;
    QTest::newRow("2001-12") << 2001 << 12 << 31;
}

void TestJulius::monthDays()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, days);
    QCOMPARE(JuliusMonthDays(year, month), days);
}

void TestJulius::isValidYmd_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::addColumn<bool>("valid");
    QTest::newRow("1999-02-29") << 1999 << 2 << 29 << false;
    QTest::newRow("2000-02-29") << 2000 << 2 << 29 << true;
    QTest::newRow("2001-04-31") << 2001 << 4 << 31 << false;
    QTest::newRow("month 13") << 2001 << 13 << 1 << false;
    QTest::newRow("day 0") << 2001 << 1 << 0 << false;
    QTest::newRow("1900-03-01") << 1900 << 3 << 1 << true;
    QTest::newRow("1900-02-29") << 1900 << 2 << 29 << false;
    QTest::newRow("1500-02-29") << 1500 << 2 << 29 << true;
}

void TestJulius::isValidYmd()
{
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    QFETCH(bool, valid);
    QCOMPARE(IsValidYmd(y, m, d), valid);
}

void TestJulius::dateToJulius()
{
    QCOMPARE(DateToJulius(36202), 2451221);
    QCOMPARE(DateToJulius(EncodeDate(2000, 1, 1)), 2451545);
    QVERIFY_THROWS_EXCEPTION(EJuliusError, DateToJulius(EncodeDate(1582, 10, 10)));
}

void TestJulius::equinoxes_data()
{
    QTest::addColumn<bool>("vernal");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("vernal 1901") << true << 1901 << 3 << 21;
    QTest::newRow("vernal 2000") << true << 2000 << 3 << 20;
    QTest::newRow("vernal 2023") << true << 2023 << 3 << 21;
    QTest::newRow("vernal 2024") << true << 2024 << 3 << 20;
    QTest::newRow("vernal 2092") << true << 2092 << 3 << 19;
    QTest::newRow("autumnal 1901") << false << 1901 << 9 << 24;
    QTest::newRow("autumnal 2000") << false << 2000 << 9 << 23;
    QTest::newRow("autumnal 2020") << false << 2020 << 9 << 22;
    QTest::newRow("autumnal 2023") << false << 2023 << 9 << 23;
}

void TestJulius::equinoxes()
{
    QFETCH(bool, vernal);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    const int j = vernal ? VernalEquinoxJulius(year) : AutumnalEquinoxJulius(year);
    QCOMPARE(j, YmdToJulius(year, month, day));
    QCOMPARE(vernal ? IsVernalEquinox(year, month, day) : IsAutumnalEquinox(year, month, day), true);
    QCOMPARE(vernal ? IsVernalEquinox(year, month, day + 1) : IsAutumnalEquinox(year, month, day - 1), false);
}

QTEST_APPLESS_MAIN(TestJulius)
#include "tst_julius.moc"
