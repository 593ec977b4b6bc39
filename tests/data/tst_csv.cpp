#include "DataFixtures.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "data/StringListEx.h"
#include "settings/AppSettings.h"

#include <QRandomGenerator>
#include <QTest>

using Fields = QList<QByteArray>;

namespace {

// CSV settings in four characters: separator, quotation mark, line break text
// (n: LF, b: backslash n, e: empty), space quoting (1/0).
template <typename T> void applySettings(T &target, const QByteArray &s)
{
    target.CommaChar = s[0];
    target.QuoteChar = s[1];
    target.CRChar = s[2] == 'n' ? QStringLiteral("\n") : s[2] == 'b' ? QStringLiteral("\\n") : QString();
    target.SpaceQuote = s[3] == '1';
}

QByteArray settings(char comma, char quote, char cr, char spaceQuote)
{
    const char s[] = {comma, quote, cr, spaceQuote};
    return QByteArray(s, 4);
}

// Every setting the settings dialog offers, and the code 0 an empty entry
// there gives.
void addAllSettings()
{
    QTest::addColumn<QByteArray>("settings");
    for (char comma : {',', '\t'})
        for (char quote : {'"', '\''})
            for (char cr : {'n', 'b'})
                for (char sq : {'1', '0'})
                    QTest::addRow("%s %c %c %c", comma == ',' ? "comma" : "tab", quote, cr, sq)
                        << settings(comma, quote, cr, sq);
    QTest::newRow("separator 0") << QByteArray("\0\"n1", 4);
    QTest::newRow("quote 0") << QByteArray(",\0n1", 4);
    // Typed into the dialog: a quotation character that is also white space.
    QTest::newRow("quote space") << settings(',', ' ', 'n', '1');
    QTest::newRow("tab, quote space") << settings('\t', ' ', 'n', '1');
}

QStringList columns(const TItemRec &it)
{
    return {it.TitleStr(), it.TitleOptStr(), it.TitleDiffStr(), it.MemoStr(), it.KindStr(), it.StartStr(), it.EndStr(),
        it.MonthsStr(), it.DaysStr(), it.WeekStr(), it.WeekdaysStr(), it.ShiftStr(), it.ShiftDirStr(), it.BeforeStr(),
        it.AfterStr(), it.LastStr()};
}

// One item of every kind, with texts that need quoting.
void fillSample(TData &data)
{
    TItemRec *once = data.append(MakeItem(0, "opt=1 s=2026/12/24 e=2026/12/31 b=3 a=-1 l=2026/01/02"));
    once->Title = QStringLiteral("会議, \"本社\"");
    once->MemoText = QStringLiteral("一行目\r\n二行目 x");
    data.append(MakeItem(1, "t=家賃 opt=4 diff=-3 mon=1,3,5,7,9,11 d=25,31 sh=5,6,h dir=1"));
    data.append(MakeItem(2, "t=ごみ\t出し opt=3 wp=1 wd=0,3 sh=h a=2"));
    data.append(MakeItem(3, "t=it's"));
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT

    TestEnvironment env;
    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(env.path(name), bytes); }
    QString csv(const QByteArray &lines) { return file("in.csv", CsvHeader() + "\r\n" + lines); }

private Q_SLOTS:
    void init() { env.resetSettings(); }

    void join_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QByteArray>("line");
        auto row = [](const char *name, const QByteArray &s, const Fields &f, const QByteArray &line) {
            QTest::newRow(name) << s << f << line;
        };
        row("plain", ",\"n1", {"a", "b", "c"}, "a,b,c");
        row("empty list", ",\"n1", {}, "");
        row("one empty string", ",\"n1", {""}, "\"\"");
        row("one empty string, single quote", ",'n1", {""}, "''");
        row("empty fields", ",\"n1", {"", "", ""}, ",,");
        row("separator quoted", ",\"n1", {"a,b", "c"}, "\"a,b\",c");
        row("quote doubled", ",\"n0", {"say \"hi\""}, "\"say \"\"hi\"\"\"");
        row("space quoted when on", ",\"n1", {"a b"}, "\"a b\"");
        row("space plain when off", ",\"n0", {"a b", "c"}, "a b,c");
        row("control quoted", ",\"n0", {"a\tb"}, "\"a\tb\"");
        // Unquoted, a reader with space skipping would take NUL for white space.
        row("NUL quoted", ",\"n1", {QByteArray("a\0b", 3), "c"}, QByteArray("\"a\0b\",c", 7));
        row("memo with LF", ",\"n1", {"x", "a\r\nb"}, "x,\"a\nb\"");
        row("memo with LF between double bytes", ",\"n1", {"\x82\xa0\r\n\x82\xa2"}, "\"\x82\xa0\n\x82\xa2\"");
        row("memo with backslash n, unquoted", ",\"b1", {"a\r\nb"}, "a\\nb");
        row("memo with backslash n and space", ",\"b1", {"a\r\nb c"}, "\"a\\nb c\"");
        row("tab separator", "\t\"n1", {"a", "", "b c", ""}, "a\t\t\"b c\"\t");
        row("tab in field with tab separator", "\t\"n0", {"a\tb"}, "\"a\tb\"");
        // 0x5C is the trail byte of 表; with it as quotation character the
        // double-byte character must not trigger quoting nor be doubled.
        row("trail byte equals quote", ",\\n0", {"\x95\x5c"}, "\x95\x5c");
        row("trail byte equals quote, quoted field", ",\\n0", {"\x95\x5c\\,"}, "\\\x95\x5c\\\\,\\");
        row("trail byte equals separator", "|\"n0", {"\x95\x7c", "x"}, "\x95\x7c|x");
        row("cut lead byte before separator", ",\"n1", {"ab\x82", "c"}, "ab\x82,c");
    }

    void join()
    {
        QFETCH(QByteArray, settings);
        QFETCH(Fields, fields);
        QFETCH(QByteArray, line);
        TStringListEx list;
        applySettings(list, settings);
        list.Strings = fields;
        QCOMPARE(list.GetCsvBytes(), line);
    }

    void split_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Fields>("fields");
        auto row = [](const char *name, const QByteArray &s, const QByteArray &line, const Fields &f) {
            QTest::newRow(name) << s << line << f;
        };
        row("plain", ",\"n1", "a,b,c", {"a", "b", "c"});
        row("empty line", ",\"n1", "", {});
        row("blank line", ",\"n1", "   ", {});
        row("trailing separator adds nothing", ",\"n1", "a,", {"a"});
        row("empty middle field", ",\"n1", "a,,b", {"a", "", "b"});
        row("leading empty field", ",\"n1", ",b", {"", "b"});
        row("spaces around fields skipped", ",\"n1", "  a ,  b  ", {"a", "b"});
        row("two words give two fields", ",\"n1", "a b,c", {"a", "b", "c"});
        row("two words kept when off", ",\"n0", " a b ,c", {" a b ", "c"});
        row("quoted with separator", ",\"n1", "\"a,b\",c", {"a,b", "c"});
        row("doubled quotes", ",\"n1", "\"say \"\"hi\"\"\"", {"say \"hi\""});
        row("unclosed quote runs to end", ",\"n1", "\"abc,def", {"abc,def"});
        row("text after closing quote is a new field", ",\"n1", "\"a\"b,c", {"a", "b", "c"});
        row("empty quoted", ",\"n1", "\"\"", {""});
        row("LF becomes CR LF", ",\"n1", "\"a\nb\",c", {"a\r\nb", "c"});
        row("backslash n becomes CR LF", ",\"b1", "a\\nb", {"a\r\nb"});
        row("empty CRChar replaces nothing", ",\"e1", "a\\nb", {"a\\nb"});
        row("single quote char", ",'n1", "'a,b',\"c\"", {"a,b", "\"c\""});
        row("semicolon", ";\"n1", "a;b,c", {"a", "b,c"});
        // With a tab as separator and space skipping on, a tab always ends a
        // field: empty fields survive and columns keep their places.
        row("tab empty fields survive", "\t\"n1", "a\t\tb\t", {"a", "", "b"});
        row("tab leading empty field", "\t\"n1", "\tb", {"", "b"});
        row("tab with spaces around", "\t\"n1", " a \t b ", {"a", "b"});
        row("tab quoted", "\t\"n1", "\"a b\"\t\t\"c\td\"", {"a b", "", "c\td"});
        row("tab, spaces off", "\t\"n0", " a \t\t b", {" a ", "", " b"});
        row("trail byte equals separator", "|\"n0", "\x95\x7c|x", {"\x95\x7c", "x"});
        row("trail byte equals quote", ",\\n0", "\\\x95\x5c\\\\,\\,y", {"\x95\x5c\\,", "y"});
        row("cut lead byte keeps separator", ",\"n1", "ab\x82,c", {"ab\x82", "c"});
        row("cut lead byte at end", ",\"n1", "ab\x82", {"ab\x82"});
        row("cut lead byte before closing quote", ",\"n1", "\"ab\x82\",c", {"ab\x82", "c"});
        row("double byte before closing quote", ",\"n1", "\"\x95\x5c\",\x95\x5c", {"\x95\x5c", "\x95\x5c"});
        // A NUL byte ends an unquoted field like white space and is passed over.
        row("NUL with spaces on", ",\"n1", QByteArray("a\0b,c", 5), {"a", "b", "c"});
        row("NUL with spaces off", ",\"n0", QByteArray("a\0b,c", 5), {QByteArray("a\0b", 3), "c"});
        row("NUL separator", QByteArray("\0\"n1", 4), QByteArray("a\0b", 3), {"a", "b"});
        row("NUL quote", QByteArray(",\0n1", 4), QByteArray("\0a,b\0,c", 7), {"a,b", "c"});
        row("NUL before separator", ",\"n1", QByteArray("a\0,c", 4), {"a", "c"});
    }

    void split()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, line);
        QFETCH(Fields, fields);
        TStringListEx list;
        applySettings(list, settings);
        list.Strings = {"stale"};
        list.SetCsvBytes(line);
        QCOMPARE(list.Strings, fields);
    }

    void textInterface()
    {
        TStringListEx list;
        list.append(QStringLiteral("月曜日"));
        list.append(QStringLiteral("a b"));
        list.append(QStringLiteral("x\r\ny"));
        QCOMPARE(list.GetCsvText(), QStringLiteral("月曜日,\"a b\",\"x\ny\""));
        list.SetCsvText(QStringLiteral("\"火,水\", 木"));
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.string(0), QStringLiteral("火,水"));
        QCOMPARE(list.string(1), QStringLiteral("木"));
    }

    // Damaged lines of random bytes end, and the fields never hold more bytes
    // than the line.
    void randomLinesTerminate()
    {
        QRandomGenerator rng(12345);
        const char pool[] = {',', '"', ' ', '\t', '\0', '\n', 'a', '\x82', '\xa0', '\x5c', '\x7c', '\xff'};
        for (int round = 0; round < 2000; ++round) {
            QByteArray line;
            const int n = int(rng.bounded(40));
            for (int i = 0; i < n; ++i)
                line.append(pool[rng.bounded(int(sizeof pool))]);
            for (char comma : {',', '\t', '\0', '\\'})
                for (char sq : {'1', '0'}) {
                    TStringListEx list;
                    applySettings(list, settings(comma, round % 2 ? '"' : '\0', 'n', sq));
                    list.SetCsvBytes(line);
                    qsizetype total = 0;
                    for (const QByteArray &f : list.Strings)
                        total += f.size();
                    QVERIFY(total <= 2 * line.size());
                    QVERIFY(list.count() <= line.size());
                }
        }
    }

    void writtenLines()
    {
        TData data(Settings());
        const QString path = env.path("out.csv");
        data.SaveToFile(path);
        QCOMPARE(ReadFile(path), CsvHeader() + "\r\n");
        data.LoadFromFile(path);
        fillSample(data);
        data.SaveToFile(path);
        const QByteArray expected = CsvHeader() + "\r\n"
            + sj(QStringLiteral(
                "\"会議, \"\"本社\"\"\",月差,+0,\"一行目\n二行目 x\",一度・期間,2026/12/24,2026/12/31,,,,,,,3,済まで,"
                "2026/01/02\r\n"
                "家賃,巻,-3,,月日指定,,,奇数月,\"25,末日\",,,\"土,日,祝\",後,0,0,\r\n"
                "\"ごみ\t出し\",/Vmag,,,曜日指定,,,,,奇数週,\"月,木曜日\",祝,前,0,2,\r\n"
                "it's,,,,不定期,,,,,,,,,,,\r\n"));
        QCOMPARE(ReadFile(path), expected);
        // With the backslash-n line break text and no space quoting, the memo
        // needs no quotes.
        data.CRChar = QStringLiteral("\\n");
        data.SpaceQuote = false;
        data.SaveToFile(path);
        QVERIFY(ReadFile(path).split('\n')[1].startsWith(
            sj(QStringLiteral("\"会議, \"\"本社\"\"\",月差,+0,一行目\\n二行目 x,"))));
    }

    // Items written under any setting read back with every column the same.
    void itemsRoundTrip_data() { addAllSettings(); }
    void itemsRoundTrip()
    {
        QFETCH(QByteArray, settings);
        ScriptedNotifier notifier;
        TData data(Settings()), back(Settings());
        applySettings(data, settings);
        applySettings(back, settings);
        fillSample(data);
        const QString path = env.path("UPPER.CsV"); // the extension in any case
        data.SaveToFile(path);
        const QByteArray bytes = ReadFile(path);
        QVERIFY(bytes.startsWith(CsvHeader(settings[0]) + "\r\n"));
        QVERIFY(bytes.contains(settings[0]) && bytes.contains(settings[1]));
        back.LoadFromFile(path);
        QVERIFY(notifier.messages.isEmpty());
        QCOMPARE(back.count(), data.count());
        for (int i = 0; i < data.count(); ++i) {
            QCOMPARE(QByteArray(back.at(i)->className()), QByteArray(data.at(i)->className()));
            QCOMPARE(columns(*back.at(i)), columns(*data.at(i)));
        }
    }

    void csvPaths()
    {
        QVERIFY(TData::IsCsvPath(QStringLiteral("/a.b/c.CSV")));
        QVERIFY(!TData::IsCsvPath(QStringLiteral("/a.csv/c")));
        QVERIFY(!TData::IsCsvPath(QStringLiteral("c.csv.tmd")));
    }

    void headerMismatchRejected_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("other separator") << CsvHeader('\t') + "\r\n";
        QTest::newRow("header with trailing space") << CsvHeader() + " \r\n";
        QTest::newRow("header with LF line end") << CsvHeader() + "\n" + sj(QStringLiteral("a,,,,不定期\n"));
        QTest::newRow("UTF-8 header") << Cp932::decode(CsvHeader()).toUtf8() + "\r\n";
    }

    void headerMismatchRejected()
    {
        QFETCH(QByteArray, content);
        TData data(Settings());
        data.append(std::make_unique<TOnceItemRec>());
        QCOMPARE(ErrorOf([&] { data.LoadFromFile(file("bad.csv", content)); }),
            QStringLiteral("このアプリケーションから出力したヘッダと違うようです"));
        QCOMPARE(data.count(), 0);
    }

    // Missing columns give defaults; the empty start column clears the kind's
    // default start flag. Nothing of the item file's header or device fields
    // survives a CSV load.
    void shortLineGivesDefaults()
    {
        TData data(Settings());
        data.LoadFromFile(file("v1.tmd", HeaderBytes("TideMk11", 0x44)));
        QCOMPARE(data.FileVersion, quint8(1));
        data.LoadFromFile(csv(sj(QStringLiteral("件名,月差,+5,メモ,月日指定\r\n"))));
        QCOMPARE(data.FileVersion, quint8(0));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(data.Head.Bytes.data()), 32), HeaderBytes("TideMk20"));
        QCOMPARE(data.count(), 1);
        QCOMPARE(Dump(*data.at(0)),
            QStringLiteral("K1 S0 B0 T0 [件名] {メモ} s-1899/12/30 e-1899/12/30 l-1980/01/01 M000000000000 D0,0 "
                           "W0000000 P0 X0000000- R0 b0 a0 o1 d5 v0,0,0,0"));
    }

    void kindSelection_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("kind"); // -1: reported and skipped
        QTest::newRow("as written once") << "一度・期間" << 0;
        QTest::newRow("period alone") << "期間" << 0;
        QTest::newRow("once alone") << "一度" << 0;
        QTest::newRow("date") << "月日指定" << 1;
        QTest::newRow("month-day") << "月日" << 1;
        QTest::newRow("weekday") << "曜日指定" << 2;
        QTest::newRow("irregular") << "不定期" << 3;
        QTest::newRow("once wins over irregular") << "不定期一度" << 0;
        QTest::newRow("month-day wins over weekday") << "曜日月日" << 1;
        QTest::newRow("unknown") << "毎日" << -1;
        QTest::newRow("kind number") << "0" << -1;
    }

    void kindSelection()
    {
        QFETCH(QString, type);
        QFETCH(int, kind);
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(csv(sj(QStringLiteral("t,,,,%1\r\n").arg(type))));
        QCOMPARE(data.count(), kind < 0 ? 0 : 1);
        if (kind >= 0)
            QCOMPARE(data.at(0)->Kind, quint8(kind));
        QCOMPARE(notifier.messages,
            kind < 0 ? QStringList {QStringLiteral("おかしなデータがあるようです\r行 = 2  Type = ") + type}
                     : QStringList());
    }

    // Bad lines are reported with their line numbers. CR alone ends a line;
    // an LF inside a quoted field belongs to the line (a memo line break);
    // 0x1A ends the file.
    void linesAndLineEnds()
    {
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(csv(sj(QStringLiteral("a,,,\"x\ny\",不定期\r\r\nb,,,,x y\rc,,,,不定期\r\n\r\n"
                                                "d,,,,不定期\x1a\r\ne,,,,不定期\r\n"))));
        QStringList got;
        for (int i = 0; i < data.count(); ++i)
            got << data.at(i)->Title + "|" + data.at(i)->MemoText;
        QCOMPARE(got, (QStringList {"a|x\r\ny", "c|", "d|"}));
        const QString bad = QStringLiteral("おかしなデータがあるようです\r行 = %1  Type = %2");
        // The space ended the unquoted field.
        NoticeList told;
        for (const QString &line : {bad.arg(3).arg(QString()), bad.arg(4).arg("x"), bad.arg(6).arg(QString())})
            told.add(line);
        QCOMPARE(notifier.messages, QStringList {told.summary()});
    }

    // The file is read in blocks of 1 MiB; a line end may fall on either
    // side of a block boundary.
    void linesAcrossReadBlocks_data()
    {
        QTest::addColumn<qsizetype>("crAt");
        const qsizetype block = 1 << 20;
        QTest::newRow("CR and LF end a block") << block - 2;
        QTest::newRow("CR ends a block, LF starts the next") << block - 1;
        QTest::newRow("CR starts a block") << block;
        QTest::newRow("line spans the boundary") << block + 100;
    }

    void linesAcrossReadBlocks()
    {
        QFETCH(qsizetype, crAt);
        QByteArray bytes = CsvHeader() + "\r\n";
        const QByteArray filler = sj(QStringLiteral("f,,,,不定期\r\n"));
        int fillers = 0;
        for (; bytes.size() + filler.size() < crAt - 300; ++fillers)
            bytes += filler;
        const QByteArray tail = sj(QStringLiteral(",,,,不定期"));
        const QByteArray title(crAt - bytes.size() - tail.size(), 'x');
        bytes += title + tail + "\r\n" + sj(QStringLiteral("z,,,,不定期\r\n"));
        QCOMPARE(bytes.indexOf('\r', crAt - 1), crAt);

        ScriptedNotifier notifier;
        TData data(Settings());
        applySettings(data, ",\"n0"); // a stray LF would show in the next title
        data.LoadFromFile(file("blocks.csv", bytes));
        QCOMPARE(notifier.messages, QStringList());
        QCOMPARE(data.count(), fillers + 2);
        QCOMPARE(data.at(fillers)->Title, QString::fromLatin1(title));
        QCOMPARE(data.at(fillers + 1)->Title, QStringLiteral("z"));
    }

    void spaceQuoteOnSplitsWords()
    {
        ScriptedNotifier notifier;
        const QString path = csv(sj(QStringLiteral("two words,,,一度・期間,2001/02/03\r\n")));
        TData on(Settings()), off(Settings());
        on.LoadFromFile(path);
        QCOMPARE(on.count(), 1);
        QCOMPARE(on.at(0)->Title, QStringLiteral("two"));
        QCOMPARE(on.at(0)->Kind, quint8(0));
        QVERIFY(on.at(0)->HasStart);
        off.SpaceQuote = false;
        off.LoadFromFile(path);
        QCOMPARE(off.count(), 0); // the type column now holds the date
        QCOMPARE(notifier.messages.size(), 1);
        QVERIFY(notifier.messages[0].endsWith(QStringLiteral("Type = 2001/02/03")));
        off.LoadFromFile(csv(sj(QStringLiteral(" two words ,,,,一度・期間\r\n"))));
        QCOMPARE(off.at(0)->Title, QStringLiteral(" two words "));
    }

    // Bytes that are not valid code page 932 come back out as they went in.
    void invalidBytesSurvive()
    {
        TData data(Settings());
        data.LoadFromFile(
            csv(QByteArray("ab\x82,\x85\x40\xfd,,\"m\x81\",") + sj(QStringLiteral("不定期,,,,,,,,,,,\r\n"))));
        QCOMPARE(data.count(), 1);
        data.SaveToFile(env.path("out.csv"));
        // The title and memo keep their bytes; the option column is re-derived.
        QCOMPARE(ReadFile(env.path("out.csv")),
            CsvHeader() + "\r\n" + QByteArray("ab\x82,,,m\x81,") + sj(QStringLiteral("不定期,,,,,,,,,,,\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
