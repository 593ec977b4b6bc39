#include "../data/DataFixtures.h"
#include "ProgramRun.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

RecordBytes item(int kind, const QString &title)
{
    RecordBytes r(160);
    r.text(6, sj(title)).u8(104, kind);
    return r;
}

// Around Golden Week 2025: 4/29, 5/3, 5/4 and 5/5 are holidays, and in 2024
// 5/6 was a substitute holiday.
QByteArray goldenWeekFile()
{
    RecordBytes rent = item(1, QStringLiteral("家賃"));
    rent.u16(118, 0x0FFF).u8(120, 29).u8(124, 0xE0).u8(125, 0).u8(126, 3).u8(127, 1);
    RecordBytes gw = item(1, QStringLiteral("GW"));
    gw.u16(118, 0x0010).u8(120, 3).u8(124, 0xE0).u8(125, 1).u8(126, 2).u8(127, 0xFF);
    RecordBytes meeting = item(0, QStringLiteral("会議"));
    meeting.date(106, 2025, 5, 1).date(110, 2025, 5, 7).u8(126, 1).u8(127, 2);
    RecordBytes rubbish = item(2, QStringLiteral("ゴミ"));
    rubbish.u8(122, 0x04).u8(123, 1).u8(124, 0x80).u8(125, 1);
    RecordBytes noDate = item(3, QStringLiteral("いつか"));
    RecordBytes book = item(3, QStringLiteral("本"));
    book.date(106, 2025, 5, 5);
    RecordBytes everyDayBlocked = item(1, QStringLiteral("never"));
    everyDayBlocked.u16(118, 0x0FFF).u8(120, 10).u8(124, 0x7F);
    RecordBytes badParity = item(2, QStringLiteral("bad"));
    badParity.u8(122, 0x7F).u8(123, 7);
    return HeaderBytes("TideMk20") + rent.bytes + gw.bytes + meeting.bytes + rubbish.bytes + noDate.bytes + book.bytes
        + everyDayBlocked.bytes + badParity.bytes;
}

} // namespace

class TestAgenda : public QObject
{
    Q_OBJECT

    QString m_bin;
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(m_dir.filePath(name), bytes); }
    Run run(const QStringList &args)
    {
        return RunProgram(m_bin,
            QStringList {QStringLiteral("agenda"), QStringLiteral("--settings"), m_dir.filePath("none.ini")} + args);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
        QVERIFY2(QFile::exists(m_bin), qPrintable(m_bin));
        QVERIFY(m_dir.isValid());
    }

    void goldenWeek()
    {
        const Run r = run({"--holidays", "classic", file("gw.tmd", goldenWeekFile()), "2025-04-28", "2025-05-10"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out,
            QStringLiteral("2024-05-07\t2024-05-07\t2024-05-03\t2024-05-05\t2025-05-03\t2\tGW\n"
                           "2025-04-28\t2025-04-28\t2025-04-29\t2025-04-25\t2025-04-29\t1\t家賃\n"
                           "2025-05-01\t2025-05-07\t2025-05-01\t2025-04-30\t2025-05-09\t3\t会議\n"
                           "2025-05-05\t2025-05-05\t2025-05-05\t2025-05-05\t2025-05-05\t6\t本\n"
                           "2025-05-06\t2025-05-06\t2025-05-03\t2025-05-04\t2026-05-03\t2\tGW\n"
                           "2025-05-07\t2025-05-07\t2025-05-07\t2025-05-07\t2025-05-07\t4\tゴミ\n")
                .toUtf8());
    }

    void lastOccurrenceUntilDoneHasNoEnd()
    {
        RecordBytes r = item(1, QStringLiteral("x"));
        r.u16(118, 0x0800).u8(120, 31).u8(127, 0xFF);
        const Run got = run({file("end.tmd", HeaderBytes("TideMk20") + r.bytes), "2099-12-31", "2099-12-31"});
        QCOMPARE(got.exitCode, 0);
        QCOMPARE(got.out, QStringLiteral("2099-12-31\t2099-12-31\t2099-12-31\t2099-12-31\t済まで\t1\tx\n").toUtf8());
    }

    void nothingShown()
    {
        const Run r = run({file("gw2.tmd", goldenWeekFile()), "1901-01-01", "1901-01-01"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray());
    }

    void csvInput()
    {
        const QByteArray csv
            = CsvHeader() + "\r\n" + sj(QStringLiteral("締切,なし,,,一度・期間,2030/01/02,,,,,,,,0,0,\r\n"));
        const Run r = run({file("in.csv", csv), "2030-01-01", "2030-01-31"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(
            r.out, QStringLiteral("2030-01-02\t2030-01-02\t2030-01-02\t2030-01-02\t2030-01-02\t1\t締切\n").toUtf8());
    }

    void missingInput()
    {
        const Run r = run({m_dir.filePath("missing.tmd"), "2025-01-01", "2025-01-02"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QVERIFY(!r.err.isEmpty());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no dates") << QStringList {"IN"};
        QTest::newRow("one date") << QStringList {"IN", "2025-01-01"};
        QTest::newRow("too many") << QStringList {"IN", "2025-01-01", "2025-01-02", "x"};
        QTest::newRow("short month") << QStringList {"IN", "2025-1-01", "2025-01-02"};
        QTest::newRow("slashes") << QStringList {"IN", "2025/01/01", "2025-01-02"};
        QTest::newRow("no such day") << QStringList {"IN", "2025-02-29", "2025-03-01"};
        QTest::newRow("before 1901") << QStringList {"IN", "1900-12-31", "1901-01-02"};
        QTest::newRow("after 2099") << QStringList {"IN", "2099-12-01", "2100-01-01"};
        QTest::newRow("from after to") << QStringList {"IN", "2025-01-02", "2025-01-01"};
        QTest::newRow("unknown holiday set") << QStringList {"--holidays", "modern", "IN", "2025-01-01", "2025-01-02"};
        QTest::newRow("holiday set missing") << QStringList {"IN", "2025-01-01", "2025-01-02", "--holidays"};
        QTest::newRow("unknown option") << QStringList {"--year", "IN", "2025-01-01", "2025-01-02"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const QString in = file("usage.tmd", goldenWeekFile());
        args.replaceInStrings(QStringLiteral("IN"), in);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QByteArray());
        QVERIFY(r.err.startsWith("tidemark-cli: agenda: "));
    }
};

QTEST_GUILESS_MAIN(TestAgenda)
#include "tst_agenda.moc"
