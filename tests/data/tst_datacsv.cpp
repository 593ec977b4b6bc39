#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/TextCodec.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray sj(const QString &text)
{
    return Cp932::encode(text);
}

const QString HeaderTitles = QStringLiteral(
    "タイトル,号数オプション,号数差,メモ,タイプ,開始日,終了日,指定月,指定日,指定週,指定曜日,ずらし対象,ずらし方向,"
    "前表示期間,後表示期間,最終処理日");

QByteArray header(char separator = ',')
{
    QByteArray h = sj(HeaderTitles);
    h.replace(',', separator);
    return h;
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
    auto once = std::make_unique<TOnceItemRec>();
    once->Title = QStringLiteral("会議, \"本社\"");
    once->TitleOpt = 1;
    once->TitleDiff = 0;
    once->MemoText = QStringLiteral("一行目\r\n二行目 x");
    once->HasStart = true;
    once->StartDate = EncodeDate(2026, 12, 24);
    once->HasEnd = true;
    once->EndDate = EncodeDate(2026, 12, 31);
    once->BeforeDays = 3;
    once->AfterDays = -1;
    once->HasLast = true;
    once->LastDate = EncodeDate(2026, 1, 2);
    data.append(std::move(once));

    auto date = std::make_unique<TDateItemRec>();
    date->Title = QStringLiteral("家賃");
    date->TitleOpt = 4;
    date->TitleDiff = -3;
    for (int m = 1; m <= 12; m += 2)
        date->SetMonth(m, true);
    date->SetDay(1, 25);
    date->SetDay(2, 31);
    date->SetShiftDay(5, true);
    date->SetShiftDay(6, true);
    date->ShiftHoliday = true;
    date->ShiftDir = 1;
    data.append(std::move(date));

    auto day = std::make_unique<TDayItemRec>();
    day->Title = QStringLiteral("ごみ\t出し");
    day->TitleOpt = 3;
    day->WeekParity = 1;
    day->SetWeekday(0, true);
    day->SetWeekday(3, true);
    day->ShiftHoliday = true;
    day->AfterDays = 2;
    data.append(std::move(day));

    auto irregular = std::make_unique<TIrregularItemRec>();
    irregular->Title = QStringLiteral("it's");
    data.append(std::move(irregular));
}

} // namespace

class TestDataCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void emptyCollectionWritesHeaderOnly_data();
    void emptyCollectionWritesHeaderOnly();
    void writtenLines();
    void headerMismatchRejected_data();
    void headerMismatchRejected();
    void roundTrip_data();
    void roundTrip();
    void shortLineGivesDefaults();
    void kindSelection_data();
    void kindSelection();
    void badLinesReportedWithNumbers();
    void lineEnds();
    void spaceQuoteOnSplitsWords();
    void invalidBytesSurvive();
    void csvLeavesHeadAndDeviceFields();
    void extensionInAnyCase();
    void zeroCodes_data();
    void zeroCodes();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &path);
    TestEnvironment env;
};

void TestDataCsv::init()
{
    env.resetSettings();
}

QString TestDataCsv::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = env.path(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

QByteArray TestDataCsv::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestDataCsv::emptyCollectionWritesHeaderOnly_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << ',';
    QTest::newRow("tab") << '\t';
    QTest::newRow("semicolon") << ';';
}

void TestDataCsv::emptyCollectionWritesHeaderOnly()
{
    QFETCH(char, separator);
    TData data;
    data.CommaChar = separator;
    QCOMPARE(data.CsvHeaderLine(), header(separator));
    const QString path = env.path("empty.csv");
    data.SaveToFile(path);
    QCOMPARE(readFile(path), header(separator) + "\r\n");
    // And it reads back as an empty document.
    data.LoadFromFile(path);
    QCOMPARE(data.count(), 0);
}

void TestDataCsv::writtenLines()
{
    TData data;
    fillSample(data);
    const QString path = env.path("out.csv");
    data.SaveToFile(path);
    const QByteArray expected = header() + "\r\n"
        + sj(
            QStringLiteral("\"会議, \"\"本社\"\"\",月差,+0,\"一行目\n二行目 x\",一度・期間,2026/12/24,2026/12/31,,,,,,,"
                           "3,済まで,2026/01/02\r\n"))
        + sj(QStringLiteral("家賃,巻,-3,,月日指定,,,奇数月,\"25,末日\",,,\"土,日,祝\",後,0,0,\r\n"))
        + sj(QStringLiteral("\"ごみ\t出し\",/Vmag,,,曜日指定,,,,,奇数週,\"月,木曜日\",祝,前,0,2,\r\n"))
        + sj(QStringLiteral("it's,,,,不定期,,,,,,,,,,,\r\n"));
    QCOMPARE(readFile(path), expected);

    // With the backslash-n line break text the memo needs quoting only for
    // its space.
    data.CRChar = QStringLiteral("\\n");
    data.SpaceQuote = false;
    data.SaveToFile(path);
    const QList<QByteArray> lines = readFile(path).split('\n');
    QVERIFY(lines[1].contains(sj(QStringLiteral(",一行目\\n二行目 x,"))));
    QVERIFY(lines[1].startsWith(sj(QStringLiteral("\"会議, \"\"本社\"\"\","))));
}

void TestDataCsv::headerMismatchRejected_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("other separator") << header('\t') + "\r\n";
    QTest::newRow("header with trailing space") << header() + " \r\n";
    QTest::newRow("header with LF line end") << header() + "\n" + sj(QStringLiteral("a,,,,不定期\n"));
    QTest::newRow("UTF-8 header") << HeaderTitles.toUtf8() + "\r\n";
}

void TestDataCsv::headerMismatchRejected()
{
    QFETCH(QByteArray, content);
    TData data;
    data.append(std::make_unique<TOnceItemRec>());
    try {
        data.LoadFromFile(writeFile("bad.csv", content));
        QFAIL("no error raised");
    } catch (const AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("このアプリケーションから出力したヘッダと違うようです"));
    }
    QCOMPARE(data.count(), 0);
}

void TestDataCsv::roundTrip_data()
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

void TestDataCsv::roundTrip()
{
    QFETCH(char, comma);
    QFETCH(char, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    ScriptedNotifier notifier;
    TData data;
    data.CommaChar = comma;
    data.QuoteChar = quote;
    data.CRChar = cr;
    data.SpaceQuote = spaceQuote;
    fillSample(data);
    const QString path = env.path("round.csv");
    data.SaveToFile(path);
    TData back;
    back.CommaChar = comma;
    back.QuoteChar = quote;
    back.CRChar = cr;
    back.SpaceQuote = spaceQuote;
    back.LoadFromFile(path);
    QVERIFY(notifier.messages.isEmpty());
    QCOMPARE(back.count(), data.count());
    for (int i = 0; i < data.count(); ++i) {
        QCOMPARE(QByteArray(back.at(i)->className()), QByteArray(data.at(i)->className()));
        QCOMPARE(columns(*back.at(i)), columns(*data.at(i)));
    }
}

void TestDataCsv::shortLineGivesDefaults()
{
    const QByteArray content = header() + "\r\n" + sj(QStringLiteral("件名,月差,+5,メモ,月日指定\r\n"));
    TData data;
    data.LoadFromFile(writeFile("short.csv", content));
    QCOMPARE(data.count(), 1);
    const TItemRec &it = *data.at(0);
    QCOMPARE(it.Title, QStringLiteral("件名"));
    QCOMPARE(it.TitleOpt, quint8(1));
    QCOMPARE(it.TitleDiff, 5);
    QCOMPARE(it.MemoText, QStringLiteral("メモ"));
    QCOMPARE(it.Kind, quint8(1));
    // Empty start column: the kind's default start flag is cleared.
    QVERIFY(!it.HasStart);
    QVERIFY(!it.HasLast);
    for (int m = 1; m <= 12; ++m)
        QVERIFY(!it.Month(m));
    QCOMPARE(it.AfterDays, 0);
}

void TestDataCsv::kindSelection_data()
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

void TestDataCsv::kindSelection()
{
    QFETCH(QString, type);
    QFETCH(int, kind);
    ScriptedNotifier notifier;
    const QByteArray content = header() + "\r\n" + sj(QStringLiteral("t,,,,%1\r\n").arg(type));
    TData data;
    data.LoadFromFile(writeFile("kind.csv", content));
    if (kind < 0) {
        QCOMPARE(data.count(), 0);
        QCOMPARE(
            notifier.messages, QStringList {QStringLiteral("おかしなデータがあるようです\r行 = 2  Type = ") + type});
    } else {
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.at(0)->Kind, quint8(kind));
        QVERIFY(notifier.messages.isEmpty());
    }
}

void TestDataCsv::badLinesReportedWithNumbers()
{
    ScriptedNotifier notifier;
    const QByteArray content = header() + "\r\n" + sj(QStringLiteral("a,,,,不定期\r\n")) + "\r\n"
        + sj(QStringLiteral("b,,,,x y\r\n")) + sj(QStringLiteral("c,,,,不定期\r\n")) + "\r\n";
    TData data;
    data.LoadFromFile(writeFile("lines.csv", content));
    QCOMPARE(data.count(), 2);
    QCOMPARE(data.at(0)->Title, QStringLiteral("a"));
    QCOMPARE(data.at(1)->Title, QStringLiteral("c"));
    QCOMPARE(notifier.messages,
        (QStringList {
            QStringLiteral("おかしなデータがあるようです\r行 = 3  Type = "),
            // The space ended the unquoted field.
            QStringLiteral("おかしなデータがあるようです\r行 = 4  Type = x"),
            QStringLiteral("おかしなデータがあるようです\r行 = 6  Type = "),
        }));
}

void TestDataCsv::lineEnds()
{
    ScriptedNotifier notifier;
    // CR alone ends a line; an LF inside a quoted field belongs to the line
    // (and stands for a memo line break); 0x1A ends the file.
    const QByteArray content = header() + "\r" + sj(QStringLiteral("a,,,\"x\ny\",不定期\r"))
        + sj(QStringLiteral("b,,,,不定期\r\n")) + sj(QStringLiteral("c,,,,不定期")) + "\x1a"
        + sj(QStringLiteral("\r\nd,,,,不定期\r\n"));
    TData data;
    data.LoadFromFile(writeFile("ends.csv", content));
    QCOMPARE(data.count(), 3);
    QCOMPARE(data.at(0)->MemoText, QStringLiteral("x\r\ny"));
    QCOMPARE(data.at(1)->Title, QStringLiteral("b"));
    QCOMPARE(data.at(2)->Title, QStringLiteral("c"));
    QVERIFY(notifier.messages.isEmpty());
}

void TestDataCsv::spaceQuoteOnSplitsWords()
{
    const QByteArray content = header() + "\r\n" + sj(QStringLiteral("two words,,,一度・期間,2001/02/03\r\n"));
    const QString path = writeFile("words.csv", content);
    TData on;
    on.LoadFromFile(path);
    QCOMPARE(on.count(), 1);
    QCOMPARE(on.at(0)->Title, QStringLiteral("two"));
    QCOMPARE(on.at(0)->Kind, quint8(0));
    QVERIFY(on.at(0)->HasStart);

    ScriptedNotifier notifier;
    TData off;
    off.SpaceQuote = false;
    off.LoadFromFile(path);
    QCOMPARE(off.count(), 0); // the type column now holds the date
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY(notifier.messages[0].endsWith(QStringLiteral("Type = 2001/02/03")));

    const QByteArray whole = header() + "\r\n" + sj(QStringLiteral(" two words ,,,,一度・期間\r\n"));
    off.LoadFromFile(writeFile("words2.csv", whole));
    QCOMPARE(off.at(0)->Title, QStringLiteral(" two words "));
}

// Bytes that are not valid code page 932 come back out as they went in.
void TestDataCsv::invalidBytesSurvive()
{
    const QByteArray line = QByteArray("ab\x82,\x85\x40\xfd,,\"m\x81\",") + sj(QStringLiteral("不定期,,,,,,,,,,,"));
    const QByteArray content = header() + "\r\n" + line + "\r\n";
    const QString path = writeFile("invalid.csv", content);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.count(), 1);
    const QString out = env.path("invalid2.csv");
    data.SaveToFile(out);
    // The title and memo keep their bytes; the option column is re-derived.
    const QByteArray expected = QByteArray("ab\x82,,,m\x81,") + sj(QStringLiteral("不定期,,,,,,,,,,,"));
    QCOMPARE(readFile(out), header() + "\r\n" + expected + "\r\n");
}

void TestDataCsv::csvLeavesHeadAndDeviceFields()
{
    TData data;
    QByteArray bin("TideMk11\0", 9);
    bin += QByteArray(23, '\x44');
    data.LoadFromFile(writeFile("v1.tmd", bin));
    QCOMPARE(data.FileVersion, quint8(1));
    const QByteArray content = header() + "\r\n" + sj(QStringLiteral("a,,,,一度,2001/02/03\r\n"));
    data.LoadFromFile(writeFile("a.csv", content));
    QCOMPARE(data.FileVersion, quint8(0));
    QCOMPARE(data.Head.Signature(), QByteArray("TideMk20"));
    QCOMPARE(data.Head.Bytes[20], quint8(0));
    const TItemRec &it = *data.at(0);
    QCOMPARE(it.DevState, quint8(0));
    QCOMPARE(it.DevByte, 0);
    QCOMPARE(it.DevStamp, 0.0);
    QCOMPARE(it.DevWord[1] + it.DevWord[2] + it.DevWord[3] + it.DevWord[4], 0);
}

void TestDataCsv::extensionInAnyCase()
{
    TData data;
    fillSample(data);
    const QString path = env.path("UPPER.CsV");
    data.SaveToFile(path);
    QVERIFY(readFile(path).startsWith(header()));
    TData back;
    back.LoadFromFile(path);
    QCOMPARE(back.count(), 4);
    QVERIFY(TData::IsCsvPath(QStringLiteral("/a.b/c.CSV")));
    QVERIFY(!TData::IsCsvPath(QStringLiteral("/a.csv/c")));
    QVERIFY(!TData::IsCsvPath(QStringLiteral("c.csv.tmd")));
}

// A separator or quotation character of code 0 (an empty entry in the
// settings dialog) is used as it is and still reads back.
void TestDataCsv::zeroCodes_data()
{
    QTest::addColumn<char>("comma");
    QTest::addColumn<char>("quote");
    QTest::newRow("separator 0") << '\0' << '"';
    QTest::newRow("quote 0") << ',' << '\0';
}

void TestDataCsv::zeroCodes()
{
    QFETCH(char, comma);
    QFETCH(char, quote);
    TData data;
    data.CommaChar = comma;
    data.QuoteChar = quote;
    fillSample(data);
    const QString path = env.path("zero.csv");
    data.SaveToFile(path);
    QVERIFY(readFile(path).contains('\0'));
    TData back;
    back.CommaChar = comma;
    back.QuoteChar = quote;
    back.LoadFromFile(path);
    QCOMPARE(back.count(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(columns(*back.at(i)), columns(*data.at(i)));
}

QTEST_GUILESS_MAIN(TestDataCsv)
#include "tst_datacsv.moc"
