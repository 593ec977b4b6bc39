#include "../data/DataFixtures.h"
#include "ProgramRun.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

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
    RecordBytes irregular(160);
    irregular.text(6, "irr").u8(104, 3);
    return HeaderBytes("TideMk20") + once.bytes + date.bytes + RecordBytes(160).u8(104, 7).bytes + irregular.bytes;
}

const QString BadKind = QStringLiteral("おかしなデータがあるようです Type = 7\n");

} // namespace

class TestDataCommands : public QObject
{
    Q_OBJECT

    QString m_bin;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(path(name), bytes); }
    Run run(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        return RunProgram(m_bin, args, env);
    }
    // With an empty settings file: all defaults.
    Run runBare(const QString &command, const QStringList &files)
    {
        return run(QStringList {command, QStringLiteral("--settings"), path("none.ini")} + files);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
        QVERIFY2(QFile::exists(m_bin), qPrintable(m_bin));
        QVERIFY(m_dir.isValid());
    }

    void listPrintsRows()
    {
        const Run r = runBare("list", {file("list.tmd", sampleFile())});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out),
            QStringLiteral("会議 A\t+3月\t一度・期間\t2026年12月24日-2026年12月31日\t2\t済まで\t \n"
                           "家賃\t \t月日指定\t毎月25日\t0\t0\t2026年11月25日\n"
                           "irr\t \t不定期\t \t\t\t \n"));
        // The box message, one line: its CR became a space.
        QCOMPARE(QString::fromUtf8(r.err), BadKind);
    }

    // One item stays one line whatever its title holds.
    void listWritesControlCharactersAsSpaces()
    {
        RecordBytes rec(160);
        rec.text(6,
               "a\tb\rc\nd\x01"
               "e\x7F"
               "f\x1F")
            .u8(104, 3);
        const Run r = runBare("list", {file("ctrl.tmd", HeaderBytes("TideMk20") + rec.bytes)});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.size(), 2); // one row and the empty rest after its LF
        QCOMPARE(lines[0].split('\t').first(), QByteArray("a b c d e f "));
        QVERIFY(!r.out.contains('\r'));
    }

    void convertToCsv()
    {
        const Run r = runBare("convert", {file("conv.tmd", sampleFile()), path("conv.csv")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.err), BadKind);
        QCOMPARE(ReadFile(path("conv.csv")),
            CsvHeader() + "\r\n"
                + sj(QStringLiteral("\"会議 A\",月差,+3,\"x\ny\",一度・期間,2026/12/24,2026/12/31,,,,,,,2,済まで,\r\n"
                                    "家賃,,,,月日指定,,,毎月,25日,,,祝,後,0,0,2026/11/25\r\n"
                                    "irr,,,,不定期,,,,,,,,,,,\r\n")));
    }

    // CSV (extension in any case) to the item file, header defaults from the
    // settings file.
    void convertToItemFile()
    {
        const QString in = file("in.CSV",
            CsvHeader() + "\r\n" + sj(QStringLiteral("t,巻,-2,\"a\nb\",不定期,2001/02/03,,,,,,,,5,済,2002/03/04\r\n")));
        const QString ini = file("head.ini", "[Default]\nHead=" + QByteArray("00").repeated(9) + "01\n");
        const Run r = run({QStringLiteral("convert"), QStringLiteral("--settings=") + ini, in, path("out.tmd")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        RecordBytes rec(160);
        rec.text(6, "t").text(39, "a\nb").u8(104, 3).date(106, 2001, 2, 3).date(114, 2002, 3, 4);
        rec.u8(126, 5).u8(127, 0xFF).u8(128, 4).u8(129, 0xFE);
        QByteArray head = HeaderBytes("TideMk20");
        head[9] = 1;
        QCOMPARE(ReadFile(path("out.tmd")).toHex(' '), (head + rec.bytes).toHex(' '));
    }

    // What the item file changes is told on stderr, one block; the file is
    // written all the same.
    void convertTellsWhatTheItemFileChanges()
    {
        const QString in = file("years.csv",
            CsvHeader() + "\r\n"
                + sj(QStringLiteral("先,,,,一度・期間,2150/01/01\r\n後,,,,一度・期間,1970/05/05\r\n"
                                    "可,,,,一度・期間,2026/02/30\r\n")));
        const Run r = runBare("convert", {in, path("years.tmd")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFile::exists(path("years.tmd")));
        QCOMPARE(QString::fromUtf8(r.err),
            QStringLiteral("「可」(4 行目): 開始日「2026/02/30」は日付として読めないため、空欄にしました\n"
                           "2 件のお知らせがあります。\n"
                           "  「先」は次のように保存されました: 開始日「2150/01/01」→「2099/01/01」\n"
                           "  「後」は次のように保存されました: 開始日「1970/05/05」→「1980/05/05」\n"));
    }

    void csvSettingsFromFile()
    {
        const QString ini = file("tab.ini", "[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n");
        Run r = run({"convert", "--settings", ini, file("tab.tmd", sampleFile()), path("tab.csv")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = ReadFile(path("tab.csv")).split('\n');
        QCOMPARE(lines[0], CsvHeader('\t') + "\r");
        QCOMPARE(lines[1],
            sj(QStringLiteral(
                "会議 A\t月差\t+3\tx\\ny\t一度・期間\t2026/12/24\t2026/12/31\t\t\t\t\t\t\t2\t済まで\t\r")));
        // And back: the same settings read the file.
        r = run({"list", "--settings", ini, path("tab.csv")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(
            QStringLiteral("会議 A\t+3月\t一度・期間\t2026年12月24日-2026年12月31日\t2\t済まで\t \n").toUtf8()));
        QCOMPARE(r.out.count('\n'), 3);
        // Default settings reject the header.
        r = runBare("list", {path("tab.csv")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("このアプリケーションから出力したヘッダと違うようです\n"));
    }

    void ownSettingsFileWithoutOption()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TIDEMARK_SETTINGS"), file("own.ini", "[CSVOption]\nCommaChar=59\n"));
        const Run r = run({QStringLiteral("convert"), file("own.tmd", sampleFile()), path("own.csv")}, env);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(ReadFile(path("own.csv")).startsWith(CsvHeader(';') + "\r\n"));
    }

    // A missing input, a load error or a save error: the message on stderr,
    // exit 1, and the output neither created nor changed.
    void errors_data()
    {
        QTest::addColumn<QByteArray>("input"); // null: missing
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing input") << QByteArray() << "never.csv"
                                       << "ファイルが見つかりません\"%in\"\n";
        QTest::newRow("foreign input") << QByteArray("PK\x03\x04 not an item file") << "keep.csv"
                                       << "このアプリケーション用のファイルではないようです\n";
        QTest::newRow("no output folder")
            << sampleFile() << "no/dir/out.tmd" << BadKind + "ファイル %out を作成できません\n";
    }

    void errors()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, output);
        QFETCH(QString, error);
        const QString in = input.isNull() ? path("missing.tmd") : file("in.tmd", input);
        file("keep.csv", "previous content");
        const Run r = runBare("convert", {in, path(output)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QString::fromUtf8(r.err), error.replace("%in", in).replace("%out", path(output)));
        QVERIFY(!QFile::exists(path(output)) || output == u"keep.csv");
        QCOMPARE(ReadFile(path("keep.csv")), QByteArray("previous content"));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.csv*"), QStringLiteral("never*")}, QDir::Files),
            QStringList {QStringLiteral("keep.csv")});
        if (input.isNull()) {
            const Run l = runBare("list", {in});
            QCOMPARE(l.exitCode, 1);
            QVERIFY(l.out.isEmpty());
        }
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("convert without files") << QStringList {"convert"};
        QTest::newRow("convert with one file") << QStringList {"convert", "a.tmd"};
        QTest::newRow("convert with three files") << QStringList {"convert", "a", "b", "c"};
        QTest::newRow("list without file") << QStringList {"list"};
        QTest::newRow("settings without value") << QStringList {"list", "a.tmd", "--settings"};
        QTest::newRow("unknown option") << QStringList {"list", "--verbose", "a.tmd"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDataCommands)
#include "tst_datacommands.moc"
