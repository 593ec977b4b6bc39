#include "data/Clock.h"
#include "data/DateValue.h"

#include <QTest>

class TestDateValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(9, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void epoch()
    {
        QCOMPARE(EncodeDate(1899, 12, 30), 0.0);
        QCOMPARE(EncodeDate(1900, 1, 1), 2.0);
        QCOMPARE(EncodeDate(2000, 1, 1), 36526.0);
        QCOMPARE(DateValueToQDate(36526), QDate(2000, 1, 1));
    }

    // More clamping cases go through the item file reader (tst_itemfile).
    // The plain arithmetic for years 1..9999 against Qt's calendar, and the
    // edges where it hands over to Qt.
    void agreesWithQDate()
    {
        const qint64 epochJd = QDate(1899, 12, 30).toJulianDay();
        for (qint64 day = -693600; day <= 2958470; ++day) {
            const QDate q = QDate::fromJulianDay(day + epochJd);
            int y, m, d;
            // A time of day: the fraction counts away from day 0.
            DecodeDate(day < 0 ? double(day) - 0.75 : double(day) + 0.75, y, m, d);
            if (QDate(y, m, d) != q || EncodeDate(q.year(), q.month(), q.day()) != double(day))
                QFAIL(qPrintable(QStringLiteral("day %1 (%2)").arg(day).arg(q.toString(Qt::ISODate))));
        }
        QCOMPARE(EncodeDate(2026, 2, 29), 0.0);
        QCOMPARE(EncodeDate(2026, 13, 1), 0.0);
        QCOMPARE(QDateToDateValue(QDate()), 0.0);
    }

    void ymdToDateClamps_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("d");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("plain") << 2001 << 2 << 3 << QDate(2001, 2, 3);
        QTest::newRow("month and day zero") << 2001 << 0 << 0 << QDate(2001, 1, 1);
        QTest::newRow("year zero only") << 0 << 5 << 5 << QDate(1980, 5, 5);
    }

    void ymdToDateClamps()
    {
        QFETCH(int, y);
        QFETCH(int, m);
        QFETCH(int, d);
        QFETCH(QDate, expected);
        QCOMPARE(DateValueToQDate(YmdToDate(y, m, d)), expected);
    }

    void daysInMonth_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("days");
        QTest::newRow("april") << 2001 << 4 << 30;
        QTest::newRow("december") << 2001 << 12 << 31;
        QTest::newRow("feb common") << 2001 << 2 << 28;
        QTest::newRow("feb leap") << 2004 << 2 << 29;
        QTest::newRow("feb 1900") << 1900 << 2 << 28;
        QTest::newRow("feb 2000") << 2000 << 2 << 29;
        QTest::newRow("year zero") << 0 << 2 << 29;
        QTest::newRow("month 0 leap") << 2004 << 0 << 29;
        QTest::newRow("month 13 common") << 2003 << 13 << 28;
    }

    void daysInMonth()
    {
        QFETCH(int, y);
        QFETCH(int, m);
        QFETCH(int, days);
        QCOMPARE(DaysInMonth(y, m), days);
    }

    void weekParity_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("odd");
        QTest::newRow("sun 1899-12-31") << QDate(1899, 12, 31) << true;
        QTest::newRow("sat 1900-01-06") << QDate(1900, 1, 6) << true;
        QTest::newRow("sun 1900-01-07") << QDate(1900, 1, 7) << false;
        QTest::newRow("sat 1900-01-13") << QDate(1900, 1, 13) << false;
        QTest::newRow("sun 1900-01-14") << QDate(1900, 1, 14) << true;
        QTest::newRow("sat 1899-12-30") << QDate(1899, 12, 30) << false;
    }

    void weekParity()
    {
        QFETCH(QDate, date);
        QFETCH(bool, odd);
        QCOMPARE(WeekIsOdd(QDateToDateValue(date)), odd);
    }

    void dosStamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<quint32>("dos");
        QTest::newRow("2001-02-03 04:05:06") << QDateTime(QDate(2001, 2, 3),
            QTime(4, 5, 6)) << quint32((21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u);
        QTest::newRow("1980-01-01") << QDateTime(QDate(1980, 1, 1), QTime(0, 0)) << quint32((1u << 21) | (1u << 16));
    }

    void dosStamp()
    {
        QFETCH(QDateTime, when);
        QFETCH(quint32, dos);
        QCOMPARE(DateTimeToDos(QDateTimeToDateValue(when)), dos);
        QCOMPARE(DateValueToQDateTime(DosToDateTime(dos)), when);
    }

    void textForms()
    {
        QCOMPARE(FormatDateSlash(EncodeDate(2001, 2, 3)), QStringLiteral("2001/02/03"));
        QCOMPARE(FormatDateKanji(EncodeDate(2001, 2, 3)), QStringLiteral("2001年02月03日"));
        // Out of range stamps and invalid fields are zero both ways.
        QCOMPARE(DateTimeToDos(0), 0u);
        QCOMPARE(DateTimeToDos(EncodeDate(2100, 1, 1)), 0u);
        QCOMPARE(DosToDateTime(0), 0.0);
        QCOMPARE(DosToDateTime((2u << 21) | (31u << 16)), 0.0); // February 31st
        QCOMPARE(DosToDateTime((1u << 21) | (1u << 16) | (24u << 11)), 0.0);
    }

    void twoDigitYearWindow_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("expected");
        QTest::newRow("30") << 30 << 2030;
        QTest::newRow("80") << 80 << 1980;
        QTest::newRow("76") << 76 << 1976;
        QTest::newRow("75") << 75 << 2075;
        QTest::newRow("0") << 0 << 2000;
    }

    void twoDigitYearWindow()
    {
        QFETCH(int, year);
        QFETCH(int, expected);
        QCOMPARE(ExpandTwoDigitYear(year, 2026, 50), expected);
        const auto parsed = ParseDate(QStringLiteral("%1/1/2").arg(year));
        QVERIFY(parsed);
        QCOMPARE(DateValueToQDate(*parsed), QDate(expected, 1, 2));
    }

    void parseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("full") << QStringLiteral("2001/02/03") << QDate(2001, 2, 3);
        QTest::newRow("short parts") << QStringLiteral("2001/2/3") << QDate(2001, 2, 3);
        QTest::newRow("dashes") << QStringLiteral("2001-02-03") << QDate(2001, 2, 3);
        QTest::newRow("spaces") << QStringLiteral(" 2001/02/03 ") << QDate(2001, 2, 3);
        QTest::newRow("month and day") << QStringLiteral("2/3") << QDate(2026, 2, 3);
        QTest::newRow("four digit 0030") << QStringLiteral("0030/01/01") << QDate(30, 1, 1);
        QTest::newRow("not a date") << QStringLiteral("2001/02/29") << QDate();
        QTest::newRow("garbage") << QStringLiteral("abc") << QDate();
        QTest::newRow("empty") << QString() << QDate();
        QTest::newRow("too many parts") << QStringLiteral("2001/02/03/04") << QDate();
        QTest::newRow("month 13") << QStringLiteral("2001/13/01") << QDate();
    }

    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto parsed = ParseDate(text);
        QCOMPARE(parsed.has_value(), expected.isValid());
        if (parsed)
            QCOMPARE(DateValueToQDate(*parsed), expected);
    }
};

QTEST_APPLESS_MAIN(TestDateValue)
#include "tst_datevalue.moc"
