#include "../data/DataFixtures.h"
#include "ProgramRun.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Mountain Day, 11 August, is a holiday under today's law only: an item moved
// off holidays falls on the 12th with the law and stays on the 11th with the
// classic lines.
QByteArray mountainDayFile()
{
    RecordBytes r(160);
    r.text(6, sj(QStringLiteral("山"))).u8(104, 1);
    r.u16(118, 0x0080).u8(120, 11).u8(124, 0x80).u8(125, 1);
    return HeaderBytes("TideMk20") + r.bytes;
}

} // namespace

class TestICalCli : public QObject
{
    Q_OBJECT

    QString m_bin;
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(m_dir.filePath(name), bytes); }
    QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Run run(const QStringList &args)
    {
        return RunProgram(m_bin,
            QStringList {QStringLiteral("ical"), QStringLiteral("--settings"), m_dir.filePath("none.ini")} + args);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
        QVERIFY2(QFile::exists(m_bin), qPrintable(m_bin));
        QVERIFY(m_dir.isValid());
    }

    void holidaySets_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("start");

        QTest::newRow("settings choose the law") << QStringList {} << QByteArray("DTSTART;VALUE=DATE:20250812\r\n");
        QTest::newRow("law") << QStringList {"--holidays", "law"} << QByteArray("DTSTART;VALUE=DATE:20250812\r\n");
        QTest::newRow("classic") << QStringList {"--holidays=classic"} << QByteArray("DTSTART;VALUE=DATE:20250811\r\n");
    }

    void holidaySets()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, start);
        const QString out = m_dir.filePath(QStringLiteral("mountain.ics"));
        const Run r = run(options + QStringList {file("m.tmd", mountainDayFile()), out, "2025-08-01", "2025-08-31"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, QByteArray());
        const QByteArray ics = contents(out);
        QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
        QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
        QVERIFY2(ics.contains(start), ics.constData());
        QVERIFY(ics.contains(QStringLiteral("SUMMARY:山\r\n").toUtf8()));
    }

    void errorsLeaveOutputAlone_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("missing input") << "missing.tmd"
                                       << "keep.ics" << 1;
        QTest::newRow("not an item file") << "bad.tmd"
                                          << "keep.ics" << 1;
        QTest::newRow("output folder missing") << "good.tmd"
                                               << "no/such/folder.ics" << 1;
        QTest::newRow("output is a folder") << "good.tmd"
                                            << "folder" << 1;
    }

    void errorsLeaveOutputAlone()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        file("bad.tmd", "this is no item file at all, just text");
        file("good.tmd", mountainDayFile());
        QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
        const QString keep = file("keep.ics", "keep me");
        const QStringList before = QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

        const Run r = run({m_dir.filePath(input), m_dir.filePath(output), "2025-01-01", "2025-12-31"});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(contents(keep), QByteArray("keep me"));
        QVERIFY(QFileInfo(m_dir.filePath("folder")).isDir());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no output") << QStringList {"IN"};
        QTest::newRow("too many") << QStringList {"IN", "OUT", "2025-01-01", "2025-01-02", "x"};
        QTest::newRow("no such day") << QStringList {"IN", "OUT", "2025-02-29", "2025-03-01"};
        QTest::newRow("from after to") << QStringList {"IN", "OUT", "2025-01-02", "2025-01-01"};
        QTest::newRow("unknown holiday set")
            << QStringList {"--holidays", "modern", "IN", "OUT", "2025-01-01", "2025-01-02"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const QString in = file("usage.tmd", mountainDayFile());
        const QString out = m_dir.filePath(QStringLiteral("usage.ics"));
        args.replaceInStrings(QStringLiteral("IN"), in);
        args.replaceInStrings(QStringLiteral("OUT"), out);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QByteArray());
        QVERIFY(r.err.startsWith("tidemark-cli: ical: "));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(TestICalCli)
#include "tst_icalcli.moc"
