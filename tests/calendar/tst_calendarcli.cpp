#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs tidemark-cli's days and julius commands as a user would.
class TestCalendarCli : public QObject
{
    Q_OBJECT

    struct Result
    {
        int code;
        QString out;
        QString err;
    };
    static Result cli(const QString &args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli"), args.split(u' '));
        if (!p.waitForFinished(30000))
            return {-1, {}, {}};
        return {
            p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

private Q_SLOTS:
    void run_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // one line; "?": any output
        QTest::addColumn<QString>("err"); // one line; "?": any message
        const auto row = [](const char *tag, const char *args, int code, const char *out, const char *err) {
            QTest::newRow(tag) << QString::fromUtf8(args) << code << QString::fromUtf8(out) << QString::fromUtf8(err);
        };
        row("date", "julius 2000-01-01", 0, "2451545", "");
        row("day 0", "julius -4712-01-01", 0, "0", "");
        row("N 0", "julius 0", 0, "-4712-01-01", "");
        row("N before year 1000", "julius 2000000", 0, "0763-09-14", "");
        row("N in year 0", "julius 1721058", 0, "0000-01-01", "");
        row("missing day", "julius 1582-10-05", 1, "", "1582/10/5-10/14は存在しません。");
        row("not a date", "julius 2001-02-29", 1, "", "?");
        row("garbage", "julius x", 2, "", "?");
        row("month 13", "days 2000 13", 2, "", "?");
        row("year text", "days abc 1", 2, "", "?");
        row("too few", "days 2000", 2, "", "?");
        row("unknown set", "days --holidays modern 2026 9", 2, "", "?");
        row("set in any case", "days --holidays=Classic 2026 9", 0, "?", "");
        row("set without value", "days 2026 9 --holidays", 2, "", "?");
        row("empty set", "days --holidays= 2026 9", 2, "", "?");
        row("unknown option", "days --law 2026 9", 2, "", "?");
        row("settings without file", "days 2026 9 --settings", 2, "", "?");
    }
    void run()
    {
        QFETCH(QString, args);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Result r = cli(args);
        QTEST(r.code, "code");
        if (out != u"?")
            QCOMPARE(r.out, out.isEmpty() ? out : out + u'\n');
        if (err == u"?")
            QVERIFY(!r.err.isEmpty());
        else
            QCOMPARE(r.err, err.isEmpty() ? err : err + u'\n');
    }

    void daysLineCount_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<int>("lines");
        QTest::newRow("1582-10") << "1582 10" << 21;
        QTest::newRow("1500-02") << "1500 2" << 29;
    }
    void daysLineCount()
    {
        QFETCH(QString, month);
        const Result r = cli(QStringLiteral("days ") + month);
        QCOMPARE(r.code, 0);
        QTEST(int(r.out.count(u'\n')), "lines");
    }

    void daysContent()
    {
        Result r = cli(QStringLiteral("days 1999 10"));
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines[0], QStringLiteral("1999-10-01\t6\t0\t"));
        QCOMPARE(lines[9], QStringLiteral("1999-10-10\t1\t5\t体育の日"));
        QCOMPARE(lines[10], QStringLiteral("1999-10-11\t2\t8\t振替休日"));
        r = cli(QStringLiteral("days 1582 10"));
        QVERIFY(r.out.contains(QStringLiteral("1582-10-04\t5\t0\t\n1582-10-15\t6\t0\t\n")));
        r = cli(QStringLiteral("days -5 2"));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("-0005-02-01\t")));
    }

    // The line of 2026-09-22 and 2026-12-23 under each way of choosing the set.
    void daysHolidaySet_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("settings"); // content of the file --settings names; empty: none
        QTest::addColumn<QByteArray>("shared"); // content of the shared settings file; empty: none
        QTest::addColumn<bool>("law");
        const QByteArray classic("[Option]\nHolidayLaw=0\n");
        const QByteArray law("[Option]\nHolidayLaw=1\n");
        QTest::newRow("no settings file") << "days 2026 9" << QByteArray() << QByteArray() << true;
        QTest::newRow("shared file: classic") << "days 2026 9" << QByteArray() << classic << false;
        QTest::newRow("shared file: law") << "days 2026 9" << QByteArray() << law << true;
        QTest::newRow("named file: classic") << "days --settings FILE 2026 9" << classic << law << false;
        QTest::newRow("named file missing") << "days --settings FILE 2026 9" << QByteArray() << classic << true;
        QTest::newRow("option over file") << "days --settings FILE --holidays law 2026 9" << classic << classic << true;
        QTest::newRow("option classic") << "days --holidays classic 2026 9" << QByteArray() << law << false;
        QTest::newRow("option between") << "days 2026 --holidays=classic 9" << QByteArray() << QByteArray() << false;
        QTest::newRow("after the marker")
            << "days --holidays classic -- 2026 9" << QByteArray() << QByteArray() << false;
    }
    void daysHolidaySet()
    {
        QFETCH(QString, args);
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, shared);
        QFETCH(bool, law);
        QTemporaryDir dir;
        const QString named = dir.filePath(QStringLiteral("named.ini"));
        const QString sharedPath = qEnvironmentVariable("TIDEMARK_SETTINGS");
        QFile::remove(sharedPath);
        const auto write = [](const QString &path, const QByteArray &content) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        if (!settings.isEmpty())
            QVERIFY(write(named, settings));
        if (!shared.isEmpty())
            QVERIFY(write(sharedPath, shared));
        args.replace(QStringLiteral("FILE"), named);
        QProcess p;
        p.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli"), args.split(u' '));
        QVERIFY(p.waitForFinished(30000));
        QFile::remove(sharedPath);
        QCOMPARE(p.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines[14], law ? QStringLiteral("2026-09-15\t3\t0\t") : QStringLiteral("2026-09-15\t3\t4\t敬老の日"));
        QCOMPARE(lines[20], law ? QStringLiteral("2026-09-21\t2\t4\t敬老の日") : QStringLiteral("2026-09-21\t2\t0\t"));
        QCOMPARE(
            lines[21], law ? QStringLiteral("2026-09-22\t3\t4\t国民の休日") : QStringLiteral("2026-09-22\t3\t0\t"));
        QCOMPARE(lines[22], QStringLiteral("2026-09-23\t4\t4\t秋分の日"));
    }
};

QTEST_GUILESS_MAIN(TestCalendarCli)
#include "tst_calendarcli.moc"
