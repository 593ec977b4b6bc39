#include "../data/RecordBytes.h"
#include "data/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray sj(const QString &text)
{
    return Cp932::encode(text);
}

const QString HeaderTitles = QStringLiteral(
    "タイトル,号数オプション,号数差,メモ,タイプ,開始日,終了日,指定月,指定日,指定週,指定曜日,ずらし対象,ずらし方向,"
    "前表示期間,後表示期間,最終処理日");

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Three items built from the layout table, and one record of a kind that
// does not exist.
QByteArray sampleFile()
{
    RecordBytes once(160);
    once.u8(1, 7).text(6, sj(QStringLiteral("会議 A"))).text(39, "x\ny").u8(104, 0);
    once.date(106, 2026, 12, 24).date(110, 2026, 12, 31).u8(126, 2).u8(127, 0xFF).u8(128, 1).u8(129, 3);
    RecordBytes date(160);
    date.text(6, sj(QStringLiteral("家賃"))).u8(104, 1).u16(118, 0x0FFF).u8(120, 25).u8(124, 0x80).u8(125, 1);
    date.date(114, 2026, 11, 25);
    RecordBytes bad(160);
    bad.u8(104, 7);
    RecordBytes irregular(160);
    irregular.text(6, "irr").u8(104, 3);
    return HeaderBytes("TideMk20") + once.bytes + date.bytes + bad.bytes + irregular.bytes;
}

} // namespace

class TestDataCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listPrintsRows();
    void convertToCsv();
    void convertToItemFile();
    void csvSettingsFromFile();
    void ownSettingsFileWithoutOption();
    void missingInput();
    void loadErrorLeavesOutput();
    void saveError();
    void usageErrors_data();
    void usageErrors();

private:
    Run run(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    QString writeFile(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &name);
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString m_bin;
    QTemporaryDir m_dir;
};

void TestDataCommands::initTestCase()
{
    m_bin = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
    QVERIFY2(QFile::exists(m_bin), qPrintable(m_bin));
    QVERIFY(m_dir.isValid());
}

Run TestDataCommands::run(const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(m_bin, args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString TestDataCommands::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path(name);
}

QByteArray TestDataCommands::readFile(const QString &name)
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestDataCommands::listPrintsRows()
{
    const QString in = writeFile("list.tmd", sampleFile());
    const Run r = run({QStringLiteral("list"), QStringLiteral("--settings"), path("none.ini"), in});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QString::fromUtf8(r.out),
        QStringLiteral("会議 A\t+3月\t一度・期間\t2026年12月24日-2026年12月31日\t2\t済まで\t \n"
                       "家賃\t \t月日指定\t毎月25日\t0\t0\t2026年11月25日\n"
                       "irr\t \t不定期\t \t\t\t \n"));
    // The box message, one line: its CR became a space.
    QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("おかしなデータがあるようです Type = 7\n"));
}

void TestDataCommands::convertToCsv()
{
    const QString in = writeFile("conv.tmd", sampleFile());
    const Run r
        = run({QStringLiteral("convert"), QStringLiteral("--settings"), path("none.ini"), in, path("conv.csv")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("おかしなデータがあるようです Type = 7\n"));
    const QByteArray expected = sj(HeaderTitles) + "\r\n"
        + sj(QStringLiteral("\"会議 A\",月差,+3,\"x\ny\",一度・期間,2026/12/24,2026/12/31,,,,,,,2,済まで,\r\n"
                            "家賃,,,,月日指定,,,毎月,25日,,,祝,後,0,0,2026/11/25\r\n"
                            "irr,,,,不定期,,,,,,,,,,,\r\n"));
    QCOMPARE(readFile("conv.csv"), expected);
}

void TestDataCommands::convertToItemFile()
{
    const QByteArray csv = sj(HeaderTitles) + "\r\n"
        + sj(QStringLiteral("t,巻,-2,\"a\nb\",不定期,2001/02/03,,,,,,,,5,済,2002/03/04\r\n"));
    const QString in = writeFile("in.CSV", csv);
    const QString ini = writeFile("head.ini", "[Default]\nHead=" + QByteArray("00").repeated(9) + "01\n");
    const Run r = run({QStringLiteral("convert"), QStringLiteral("--settings=") + ini, in, path("out.tmd")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.isEmpty());
    RecordBytes rec(160);
    rec.text(6, "t").text(39, "a\nb").u8(104, 3).date(106, 2001, 2, 3).date(114, 2002, 3, 4);
    rec.u8(126, 5).u8(127, 0xFF).u8(128, 4).u8(129, 0xFE);
    QByteArray head = HeaderBytes("TideMk20");
    head[9] = 1;
    QCOMPARE(readFile("out.tmd").toHex(' '), (head + rec.bytes).toHex(' '));
}

void TestDataCommands::csvSettingsFromFile()
{
    const QString ini = writeFile("tab.ini", "[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n");
    const QString in = writeFile("tab.tmd", sampleFile());
    Run r = run({QStringLiteral("convert"), QStringLiteral("--settings"), ini, in, path("tab.csv")});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = readFile("tab.csv").split('\n');
    QCOMPARE(lines[0], QByteArray(sj(HeaderTitles).replace(',', '\t') + "\r"));
    QCOMPARE(lines[1],
        sj(QStringLiteral("会議 A\t月差\t+3\tx\\ny\t一度・期間\t2026/12/24\t2026/12/31\t\t\t\t\t\t\t2\t済まで\t\r")));
    // And back: the same settings read the file.
    r = run({QStringLiteral("list"), QStringLiteral("--settings"), ini, path("tab.csv")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith(
        QStringLiteral("会議 A\t+3月\t一度・期間\t2026年12月24日-2026年12月31日\t2\t済まで\t \n").toUtf8()));
    QCOMPARE(r.out.count('\n'), 3);
    // Default settings reject the header.
    r = run({QStringLiteral("list"), QStringLiteral("--settings"), path("none.ini"), path("tab.csv")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("このアプリケーションから出力したヘッダと違うようです\n"));
}

void TestDataCommands::ownSettingsFileWithoutOption()
{
    const QString ini = writeFile("own.ini", "[CSVOption]\nCommaChar=59\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TIDEMARK_SETTINGS"), ini);
    const QString in = writeFile("own.tmd", sampleFile());
    const Run r = run({QStringLiteral("convert"), in, path("own.csv")}, env);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFile("own.csv").startsWith(sj(HeaderTitles).replace(',', ';') + "\r\n"));
}

void TestDataCommands::missingInput()
{
    const QString missing = path("missing.tmd");
    const Run r = run({QStringLiteral("convert"), missing, path("never.csv")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("ファイルが見つかりません\"%1\"\n").arg(missing));
    QVERIFY(!QFile::exists(path("never.csv")));
    const Run l = run({QStringLiteral("list"), missing});
    QCOMPARE(l.exitCode, 1);
    QVERIFY(l.out.isEmpty());
}

void TestDataCommands::loadErrorLeavesOutput()
{
    const QString in = writeFile("foreign.tmd", "PK\x03\x04 not an item file");
    writeFile("keep.csv", "previous content");
    const Run r
        = run({QStringLiteral("convert"), QStringLiteral("--settings"), path("none.ini"), in, path("keep.csv")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("このアプリケーション用のファイルではないようです\n"));
    QCOMPARE(readFile("keep.csv"), QByteArray("previous content"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.csv*")}, QDir::Files).size(), 1);
}

void TestDataCommands::saveError()
{
    const QString in = writeFile("ok.tmd", sampleFile());
    const QString out = path("no/dir/out.tmd");
    const Run r = run({QStringLiteral("convert"), QStringLiteral("--settings"), path("none.ini"), in, out});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.endsWith("\n"));
    QCOMPARE(r.err.count('\n'), 2); // the record notice and the save error
    QVERIFY(!QFile::exists(out));
}

void TestDataCommands::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("convert without files") << QStringList {"convert"};
    QTest::newRow("convert with one file") << QStringList {"convert", "a.tmd"};
    QTest::newRow("convert with three files") << QStringList {"convert", "a", "b", "c"};
    QTest::newRow("list without file") << QStringList {"list"};
    QTest::newRow("settings without value") << QStringList {"list", "a.tmd", "--settings"};
    QTest::newRow("unknown option") << QStringList {"list", "--verbose", "a.tmd"};
}

void TestDataCommands::usageErrors()
{
    QFETCH(QStringList, args);
    const Run r = run(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(r.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestDataCommands)
#include "tst_datacommands.moc"
