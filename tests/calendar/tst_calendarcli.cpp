#include <QProcess>
#include <QTest>

// Runs tidemark-cli's days and julius commands as a user would.
class TestCalendarCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void julius_data();
    void julius();
    void daysLines_data();
    void daysLines();
    void daysContent();
    void usageErrors_data();
    void usageErrors();

private:
    struct Result
    {
        int code;
        QString out;
        QString err;
    };
    Result run(const QStringList &args);
};

TestCalendarCli::Result TestCalendarCli::run(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli"), args);
    if (!p.waitForFinished(30000))
        return {-1, {}, {}};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void TestCalendarCli::julius_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<QString>("out");
    QTest::newRow("2000-01-01") << "2000-01-01"
                                << "2451545\n";
    QTest::newRow("day 0") << "-4712-01-01"
                           << "0\n";
    QTest::newRow("last Julian") << "1582-10-04"
                                 << "2299160\n";
    QTest::newRow("first Gregorian") << "1582-10-15"
                                     << "2299161\n";
    QTest::newRow("N 0") << "0"
                         << "-4712-01-01\n";
    QTest::newRow("N 2299161") << "2299161"
                               << "1582-10-15\n";
    QTest::newRow("N 2451221") << "2451221"
                               << "1999-02-11\n";
    QTest::newRow("N before year 1000") << "2000000"
                                        << "0763-09-14\n";
    QTest::newRow("N year 0") << "1721058"
                              << "0000-01-01\n";
}

void TestCalendarCli::julius()
{
    QFETCH(QString, arg);
    const Result r = run({QStringLiteral("julius"), arg});
    QCOMPARE(r.code, 0);
    QTEST(r.out, "out");
}

void TestCalendarCli::daysLines_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("lines");
    QTest::newRow("1582-10") << 1582 << 10 << 21;
    QTest::newRow("2000-02") << 2000 << 2 << 29;
    QTest::newRow("1900-02") << 1900 << 2 << 28;
    QTest::newRow("1500-02") << 1500 << 2 << 29;
    QTest::newRow("2001-04") << 2001 << 4 << 30;
}

void TestCalendarCli::daysLines()
{
    QFETCH(int, year);
    QFETCH(int, month);
    const Result r = run({QStringLiteral("days"), QString::number(year), QString::number(month)});
    QCOMPARE(r.code, 0);
    QTEST(int(r.out.count(u'\n')), "lines");
}

void TestCalendarCli::daysContent()
{
    Result r = run({QStringLiteral("days"), QStringLiteral("1999"), QStringLiteral("10")});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines[0], QStringLiteral("1999-10-01\t6\t0\t"));
    QCOMPARE(lines[9], QStringLiteral("1999-10-10\t1\t5\t体育の日"));
    QCOMPARE(lines[10], QStringLiteral("1999-10-11\t2\t8\t振替休日"));

    r = run({QStringLiteral("days"), QStringLiteral("1582"), QStringLiteral("10")});
    QVERIFY(r.out.contains(QStringLiteral("1582-10-04\t5\t0\t\n1582-10-15\t6\t0\t\n")));

    r = run({QStringLiteral("days"), QStringLiteral("-5"), QStringLiteral("2")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith(QStringLiteral("-0005-02-01\t")));
}

void TestCalendarCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    QTest::newRow("missing day") << QStringList {"julius", "1582-10-05"} << 1 << "1582/10/5-10/14は存在しません。\n";
    QTest::newRow("not a date") << QStringList {"julius", "2001-02-29"} << 1 << "";
    QTest::newRow("garbage") << QStringList {"julius", "x"} << 2 << "";
    QTest::newRow("month 13") << QStringList {"days", "2000", "13"} << 2 << "";
    QTest::newRow("year text") << QStringList {"days", "abc", "1"} << 2 << "";
    QTest::newRow("too few") << QStringList {"days", "2000"} << 2 << "";
}

void TestCalendarCli::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    const Result r = run(args);
    QTEST(r.code, "code");
    QVERIFY(r.out.isEmpty());
    if (!err.isEmpty())
        QCOMPARE(r.err, err);
    else
        QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCalendarCli)
#include "tst_calendarcli.moc"
