#include <QProcess>
#include <QTest>

// Runs tidemark-cli's days and julius commands as a user would.
class TestCalendarCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data();
    void run();
    void daysLineCount_data();
    void daysLineCount();
    void daysContent();

private:
    struct Result
    {
        int code;
        QString out;
        QString err;
    };
    static Result cli(const QStringList &args);
};

TestCalendarCli::Result TestCalendarCli::cli(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli"), args);
    if (!p.waitForFinished(30000))
        return {-1, {}, {}};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void TestCalendarCli::run_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // "?": any message
    QTest::newRow("2000-01-01") << QStringList {"julius", "2000-01-01"} << 0 << "2451545\n"
                                << "";
    QTest::newRow("day 0") << QStringList {"julius", "-4712-01-01"} << 0 << "0\n"
                           << "";
    QTest::newRow("first Gregorian") << QStringList {"julius", "1582-10-15"} << 0 << "2299161\n"
                                     << "";
    QTest::newRow("N 0") << QStringList {"julius", "0"} << 0 << "-4712-01-01\n"
                         << "";
    QTest::newRow("N 2451221") << QStringList {"julius", "2451221"} << 0 << "1999-02-11\n"
                               << "";
    QTest::newRow("N before year 1000") << QStringList {"julius", "2000000"} << 0 << "0763-09-14\n"
                                        << "";
    QTest::newRow("N year 0") << QStringList {"julius", "1721058"} << 0 << "0000-01-01\n"
                              << "";
    QTest::newRow("missing day") << QStringList {"julius", "1582-10-05"} << 1 << ""
                                 << "1582/10/5-10/14は存在しません。\n";
    QTest::newRow("not a date") << QStringList {"julius", "2001-02-29"} << 1 << ""
                                << "?";
    QTest::newRow("garbage") << QStringList {"julius", "x"} << 2 << ""
                             << "?";
    QTest::newRow("month 13") << QStringList {"days", "2000", "13"} << 2 << ""
                              << "?";
    QTest::newRow("year text") << QStringList {"days", "abc", "1"} << 2 << ""
                               << "?";
    QTest::newRow("too few") << QStringList {"days", "2000"} << 2 << ""
                             << "?";
}

void TestCalendarCli::run()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    const Result r = cli(args);
    QTEST(r.code, "code");
    QTEST(r.out, "out");
    if (err == u"?")
        QVERIFY(!r.err.isEmpty());
    else
        QCOMPARE(r.err, err);
}

void TestCalendarCli::daysLineCount_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("lines");
    QTest::newRow("1582-10") << "1582"
                             << "10" << 21;
    QTest::newRow("2000-02") << "2000"
                             << "2" << 29;
    QTest::newRow("1900-02") << "1900"
                             << "2" << 28;
    QTest::newRow("1500-02") << "1500"
                             << "2" << 29;
    QTest::newRow("2001-04") << "2001"
                             << "4" << 30;
}

void TestCalendarCli::daysLineCount()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    const Result r = cli({QStringLiteral("days"), year, month});
    QCOMPARE(r.code, 0);
    QTEST(int(r.out.count(u'\n')), "lines");
}

void TestCalendarCli::daysContent()
{
    Result r = cli({QStringLiteral("days"), QStringLiteral("1999"), QStringLiteral("10")});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines[0], QStringLiteral("1999-10-01\t6\t0\t"));
    QCOMPARE(lines[9], QStringLiteral("1999-10-10\t1\t5\t体育の日"));
    QCOMPARE(lines[10], QStringLiteral("1999-10-11\t2\t8\t振替休日"));
    r = cli({QStringLiteral("days"), QStringLiteral("1582"), QStringLiteral("10")});
    QVERIFY(r.out.contains(QStringLiteral("1582-10-04\t5\t0\t\n1582-10-15\t6\t0\t\n")));
    r = cli({QStringLiteral("days"), QStringLiteral("-5"), QStringLiteral("2")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith(QStringLiteral("-0005-02-01\t")));
}

QTEST_GUILESS_MAIN(TestCalendarCli)
#include "tst_calendarcli.moc"
