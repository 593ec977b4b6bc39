#include "data/StringListEx.h"

#include <QRandomGenerator>
#include <QTest>

using Fields = QList<QByteArray>;

namespace {
TStringListEx makeList(char comma, char quote, const QString &cr, bool spaceQuote)
{
    TStringListEx list;
    list.CommaChar = comma;
    list.QuoteChar = quote;
    list.CRChar = cr;
    list.SpaceQuote = spaceQuote;
    return list;
}
} // namespace

class TestStringListEx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void join_data();
    void join();
    void split_data();
    void split();
    void roundTrip_data();
    void roundTrip();
    void textInterface();
    void randomLinesTerminate();
};

void TestStringListEx::defaults()
{
    TStringListEx list;
    QCOMPARE(list.CommaChar, ',');
    QCOMPARE(list.QuoteChar, '"');
    QCOMPARE(list.CRChar, QStringLiteral("\n"));
    QVERIFY(list.SpaceQuote);
}

void TestStringListEx::join_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<char>("comma");
    QTest::addColumn<char>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    QTest::addColumn<QByteArray>("line");

    const QString lf = QStringLiteral("\n"), bsn = QStringLiteral("\\n");
    QTest::newRow("plain") << Fields {"a", "b", "c"} << ',' << '"' << lf << true << QByteArray("a,b,c");
    QTest::newRow("empty list") << Fields {} << ',' << '"' << lf << true << QByteArray("");
    QTest::newRow("one empty string") << Fields {""} << ',' << '"' << lf << true << QByteArray("\"\"");
    QTest::newRow("one empty string, single quote") << Fields {""} << ',' << '\'' << lf << true << QByteArray("''");
    QTest::newRow("empty fields") << Fields {"", "", ""} << ',' << '"' << lf << true << QByteArray(",,");
    QTest::newRow("separator quoted") << Fields {"a,b", "c"} << ',' << '"' << lf << true << QByteArray("\"a,b\",c");
    QTest::newRow("quote doubled") << Fields {"say \"hi\""} << ',' << '"' << lf << false
                                   << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("space quoted when on") << Fields {"a b"} << ',' << '"' << lf << true << QByteArray("\"a b\"");
    QTest::newRow("space plain when off") << Fields {"a b", "c"} << ',' << '"' << lf << false << QByteArray("a b,c");
    QTest::newRow("control quoted") << Fields {"a\tb"} << ',' << '"' << lf << false << QByteArray("\"a\tb\"");
    QTest::newRow("memo with LF") << Fields {"x", "a\r\nb"} << ',' << '"' << lf << true << QByteArray("x,\"a\nb\"");
    QTest::newRow("memo with backslash n, unquoted")
        << Fields {"a\r\nb"} << ',' << '"' << bsn << true << QByteArray("a\\nb");
    QTest::newRow("memo with backslash n and space")
        << Fields {"a\r\nb c"} << ',' << '"' << bsn << true << QByteArray("\"a\\nb c\"");
    QTest::newRow("tab separator") << Fields {"a", "", "b c", ""} << '\t' << '"' << lf << true
                                   << QByteArray("a\t\t\"b c\"\t");
    QTest::newRow("tab in field with tab separator")
        << Fields {"a\tb"} << '\t' << '"' << lf << false << QByteArray("\"a\tb\"");
    // 0x5C is the trail byte of 表; with it as quotation character the
    // double-byte character must not trigger quoting nor be doubled.
    QTest::newRow("trail byte equals quote")
        << Fields {"\x95\x5c"} << ',' << '\\' << lf << false << QByteArray("\x95\x5c");
    QTest::newRow("trail byte equals quote, quoted field")
        << Fields {"\x95\x5c\\,"} << ',' << '\\' << lf << false << QByteArray("\\\x95\x5c\\\\,\\");
    QTest::newRow("trail byte equals separator")
        << Fields {"\x95\x7c", "x"} << '|' << '"' << lf << false << QByteArray("\x95\x7c|x");
    QTest::newRow("cut lead byte before separator")
        << Fields {"ab\x82", "c"} << ',' << '"' << lf << true << QByteArray("ab\x82,c");
}

void TestStringListEx::join()
{
    QFETCH(Fields, fields);
    QFETCH(char, comma);
    QFETCH(char, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    QFETCH(QByteArray, line);
    TStringListEx list = makeList(comma, quote, cr, spaceQuote);
    list.Strings = fields;
    QCOMPARE(list.GetCsvBytes(), line);
}

void TestStringListEx::split_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<char>("comma");
    QTest::addColumn<char>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    QTest::addColumn<Fields>("fields");

    const QString lf = QStringLiteral("\n"), bsn = QStringLiteral("\\n");
    QTest::newRow("plain") << QByteArray("a,b,c") << ',' << '"' << lf << true << Fields {"a", "b", "c"};
    QTest::newRow("empty line") << QByteArray("") << ',' << '"' << lf << true << Fields {};
    QTest::newRow("blank line") << QByteArray("   ") << ',' << '"' << lf << true << Fields {};
    QTest::newRow("trailing separator adds nothing") << QByteArray("a,") << ',' << '"' << lf << true << Fields {"a"};
    QTest::newRow("empty middle field") << QByteArray("a,,b") << ',' << '"' << lf << true << Fields {"a", "", "b"};
    QTest::newRow("leading empty field") << QByteArray(",b") << ',' << '"' << lf << true << Fields {"", "b"};
    QTest::newRow("spaces around fields skipped")
        << QByteArray("  a ,  b  ") << ',' << '"' << lf << true << Fields {"a", "b"};
    QTest::newRow("two words give two fields")
        << QByteArray("a b,c") << ',' << '"' << lf << true << Fields {"a", "b", "c"};
    QTest::newRow("two words kept when off")
        << QByteArray(" a b ,c") << ',' << '"' << lf << false << Fields {" a b ", "c"};
    QTest::newRow("quoted with separator")
        << QByteArray("\"a,b\",c") << ',' << '"' << lf << true << Fields {"a,b", "c"};
    QTest::newRow("doubled quotes") << QByteArray("\"say \"\"hi\"\"\"") << ',' << '"' << lf << true
                                    << Fields {"say \"hi\""};
    QTest::newRow("unclosed quote runs to end")
        << QByteArray("\"abc,def") << ',' << '"' << lf << true << Fields {"abc,def"};
    QTest::newRow("text after closing quote is a new field")
        << QByteArray("\"a\"b,c") << ',' << '"' << lf << true << Fields {"a", "b", "c"};
    QTest::newRow("empty quoted") << QByteArray("\"\"") << ',' << '"' << lf << true << Fields {""};
    QTest::newRow("LF becomes CR LF") << QByteArray("\"a\nb\",c") << ',' << '"' << lf << true << Fields {"a\r\nb", "c"};
    QTest::newRow("backslash n becomes CR LF") << QByteArray("a\\nb") << ',' << '"' << bsn << true << Fields {"a\r\nb"};
    QTest::newRow("empty CRChar replaces nothing")
        << QByteArray("a\\nb") << ',' << '"' << QString() << true << Fields {"a\\nb"};
    QTest::newRow("single quote char") << QByteArray("'a,b',\"c\"") << ',' << '\'' << lf << true
                                       << Fields {"a,b", "\"c\""};
    QTest::newRow("semicolon") << QByteArray("a;b,c") << ';' << '"' << lf << true << Fields {"a", "b,c"};
    // With a tab as separator and space skipping on, a tab always ends a
    // field: empty fields survive and columns keep their places.
    QTest::newRow("tab empty fields survive")
        << QByteArray("a\t\tb\t") << '\t' << '"' << lf << true << Fields {"a", "", "b"};
    QTest::newRow("tab leading empty field") << QByteArray("\tb") << '\t' << '"' << lf << true << Fields {"", "b"};
    QTest::newRow("tab with spaces around") << QByteArray(" a \t b ") << '\t' << '"' << lf << true << Fields {"a", "b"};
    QTest::newRow("tab quoted") << QByteArray("\"a b\"\t\t\"c\td\"") << '\t' << '"' << lf << true
                                << Fields {"a b", "", "c\td"};
    QTest::newRow("tab, spaces off") << QByteArray(" a \t\t b") << '\t' << '"' << lf << false
                                     << Fields {" a ", "", " b"};
    QTest::newRow("trail byte equals separator")
        << QByteArray("\x95\x7c|x") << '|' << '"' << lf << false << Fields {"\x95\x7c", "x"};
    QTest::newRow("trail byte equals quote")
        << QByteArray("\\\x95\x5c\\\\,\\,y") << ',' << '\\' << lf << false << Fields {"\x95\x5c\\,", "y"};
    QTest::newRow("cut lead byte keeps separator")
        << QByteArray("ab\x82,c") << ',' << '"' << lf << true << Fields {"ab\x82", "c"};
    QTest::newRow("cut lead byte at end") << QByteArray("ab\x82") << ',' << '"' << lf << true << Fields {"ab\x82"};
    QTest::newRow("cut lead byte before closing quote")
        << QByteArray("\"ab\x82\",c") << ',' << '"' << lf << true << Fields {"ab\x82", "c"};
    // A NUL byte ends an unquoted field like white space and is passed over.
    QTest::newRow("NUL with spaces on") << QByteArray("a\0b,c", 5) << ',' << '"' << lf << true
                                        << Fields {"a", "b", "c"};
    QTest::newRow("NUL with spaces off") << QByteArray("a\0b,c", 5) << ',' << '"' << lf << false
                                         << Fields {QByteArray("a\0b", 3), "c"};
    QTest::newRow("NUL separator") << QByteArray("a\0b", 3) << '\0' << '"' << lf << true << Fields {"a", "b"};
    QTest::newRow("NUL quote") << QByteArray("\0a,b\0,c", 7) << ',' << '\0' << lf << true << Fields {"a,b", "c"};
}

void TestStringListEx::split()
{
    QFETCH(QByteArray, line);
    QFETCH(char, comma);
    QFETCH(char, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    QFETCH(Fields, fields);
    TStringListEx list = makeList(comma, quote, cr, spaceQuote);
    list.Strings = {"stale"};
    list.SetCsvBytes(line);
    QCOMPARE(list.Strings, fields);
}

// Whatever the writer joins, the reader splits back, under every setting the
// settings dialog offers.
void TestStringListEx::roundTrip_data()
{
    QTest::addColumn<char>("comma");
    QTest::addColumn<char>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    for (char comma : {',', '\t'})
        for (char quote : {'"', '\''})
            for (const QString &cr : {QStringLiteral("\n"), QStringLiteral("\\n")})
                for (bool sq : {true, false})
                    QTest::addRow("%s %s %s %s", comma == ',' ? "comma" : "tab", quote == '"' ? "double" : "single",
                        cr == u"\n" ? "LF" : "\\n", sq ? "spaces" : "no-spaces")
                        << comma << quote << cr << sq;
}

void TestStringListEx::roundTrip()
{
    QFETCH(char, comma);
    QFETCH(char, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    const Fields fields {"\x83\x5e\x83\x43\x83\x67\x83\x8b", "", "a b", "x,y", "'q' \"d\"", "line1\r\nline2", "",
        "tab\there", "\x95\x5c\x8e\xa6", "end", ""};
    TStringListEx out = makeList(comma, quote, cr, spaceQuote);
    out.Strings = fields;
    const QByteArray line = out.GetCsvBytes();
    TStringListEx in = makeList(comma, quote, cr, spaceQuote);
    in.SetCsvBytes(line);
    // A trailing empty field is not read back (the line simply ends).
    QCOMPARE(in.Strings, fields.first(fields.size() - 1));
}

void TestStringListEx::textInterface()
{
    TStringListEx list;
    list.append(QStringLiteral("月曜日"));
    list.append(QStringLiteral("a b"));
    QCOMPARE(list.GetCsvText(), QStringLiteral("月曜日,\"a b\""));
    list.SetCsvText(QStringLiteral("\"火,水\", 木"));
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.string(0), QStringLiteral("火,水"));
    QCOMPARE(list.string(1), QStringLiteral("木"));
}

// Damaged lines of random bytes end, and the fields never hold more bytes
// than the line.
void TestStringListEx::randomLinesTerminate()
{
    QRandomGenerator rng(12345);
    const char pool[] = {',', '"', ' ', '\t', '\0', '\n', 'a', '\x82', '\xa0', '\x5c', '\x7c', '\xff'};
    for (int round = 0; round < 2000; ++round) {
        QByteArray line;
        const int n = int(rng.bounded(40));
        for (int i = 0; i < n; ++i)
            line.append(pool[rng.bounded(int(sizeof pool))]);
        for (char comma : {',', '\t', '\0', '\\'})
            for (bool sq : {true, false}) {
                TStringListEx list = makeList(comma, round % 2 ? '"' : '\0', QStringLiteral("\n"), sq);
                list.SetCsvBytes(line);
                qsizetype total = 0;
                for (const QByteArray &f : list.Strings)
                    total += f.size();
                QVERIFY(total <= 2 * line.size());
                QVERIFY(list.count() <= line.size());
            }
    }
}

QTEST_GUILESS_MAIN(TestStringListEx)
#include "tst_stringlistex.moc"
