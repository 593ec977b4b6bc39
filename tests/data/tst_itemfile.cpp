#include "RecordBytes.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

DateValue ymd(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

const QByteArray Sig0("TideMk20"), Sig1("TideMk11"), Sig2("TideMrk");
const QByteArray Hiragana("\x82\xa0\x82\xa2"); // あい

// A version-0 record with every field set to a distinct value.
RecordBytes fullRecord0()
{
    RecordBytes r(160);
    r.u8(0, 1).u8(1, 200).u32(2, DosStamp(2001, 2, 3, 4, 5, 6));
    r.text(6, "Title" + Hiragana).text(39, "m1\nm2");
    r.u8(104, 0);
    r.date(106, 2026, 12, 24).date(110, 2026, 12, 31).date(114, 2025, 1, 2);
    r.u16(118, 0x0A05).u8(120, 15).u8(121, 31).u8(122, 0x41).u8(123, 2).u8(124, 0x83).u8(125, 1);
    r.u8(126, 0xFE).u8(127, 0xFF).u8(128, 2).u8(129, 0xFB);
    r.u16(130, 1).u16(132, 0x1234).u16(134, 0xFFFF).u16(136, 0x8000);
    return r;
}

} // namespace

class TestItemFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void newCollection();
    void collectionOperations();
    void version0AllFields();
    void version1AllFields();
    void version2Record();
    void skippedRecords_data();
    void skippedRecords();
    void badKindReported_data();
    void badKindReported();
    void dateClamping_data();
    void dateClamping();
    void timeStamp_data();
    void timeStamp();
    void memoLineBreaks_data();
    void memoLineBreaks();
    void fileSizes_data();
    void fileSizes();
    void trailingFragment();
    void wrongSignature_data();
    void wrongSignature();
    void failedLoadEmptiesCollection();
    void missingFileIsEmptyDocument();
    void writerLayout();
    void signedBytesWritten();
    void olderVersionSavedAsCurrent();
    void roundTripKeepsBytes();
    void longTextIsCut_data();
    void longTextIsCut();
    void headDefaults_data();
    void headDefaults();
    void saveHeadDefaults();
    void clearRestoresStoredHead();
    void failedSaveKeepsPreviousFile();
    void saveIntoMissingDirectoryFails();
    void writeItemRecordReportsStreamError();
    void readItemRecordFromStream();
    void applyCsvOption_data();
    void applyCsvOption();
    void damagedFilesLoad();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &path);
    TestEnvironment env;
};

void TestItemFile::init()
{
    env.resetSettings();
}

QString TestItemFile::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = env.path(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

QByteArray TestItemFile::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestItemFile::newCollection()
{
    TData data;
    QCOMPARE(data.count(), 0);
    QCOMPARE(data.CommaChar, ',');
    QCOMPARE(data.QuoteChar, '"');
    QCOMPARE(data.CRChar, QStringLiteral("\n"));
    QVERIFY(data.SpaceQuote);
    QCOMPARE(data.FileVersion, quint8(0));
    QCOMPARE(data.Head.Signature(), Sig0);
    for (int i = 9; i < 32; ++i)
        QCOMPARE(data.Head.Bytes[size_t(i)], quint8(0));
}

void TestItemFile::collectionOperations()
{
    TData data;
    for (int i = 0; i < 4; ++i) {
        auto item = std::make_unique<TOnceItemRec>();
        item->Title = QString::number(i);
        data.append(std::move(item));
    }
    TItemRec *second = data.at(1);
    data.RemoveItem(second);
    QCOMPARE(data.count(), 3);
    QCOMPARE(data.at(0)->Title, QStringLiteral("0"));
    QCOMPARE(data.at(1)->Title, QStringLiteral("2"));
    QCOMPARE(data.at(2)->Title, QStringLiteral("3"));

    auto replacement = std::make_unique<TDayItemRec>();
    replacement->Title = QStringLiteral("r");
    TItemRec *r = data.replace(1, std::move(replacement));
    QCOMPARE(data.indexOf(r), 1);
    QCOMPARE(data.at(1)->Kind, quint8(2));
    data.insert(0, std::make_unique<TIrregularItemRec>());
    QCOMPARE(data.at(0)->Kind, quint8(3));
    QCOMPARE(data.count(), 4);
    data.Clear();
    QCOMPARE(data.count(), 0);
}

void TestItemFile::version0AllFields()
{
    ScriptedNotifier notifier;
    const QString path = writeFile("v0.tmd", HeaderBytes(Sig0, 0x11) + fullRecord0().bytes);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.count(), 1);
    QCOMPARE(data.FileVersion, quint8(0));
    QCOMPARE(data.Head.Bytes[9], quint8(0x11));
    const TItemRec &it = *data.at(0);
    QCOMPARE(QByteArray(it.className()), QByteArray("TOnceItemRec"));
    QCOMPARE(it.DevState, quint8(1));
    QCOMPARE(it.DevByte, 200);
    QCOMPARE(DateValueToQDateTime(it.DevStamp), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    QCOMPARE(it.Title, QStringLiteral("Titleあい"));
    QCOMPARE(it.MemoText, QStringLiteral("m1\r\nm2"));
    QVERIFY(it.HasStart);
    QCOMPARE(it.StartDate, ymd(2026, 12, 24));
    QVERIFY(it.HasEnd);
    QCOMPARE(it.EndDate, ymd(2026, 12, 31));
    QVERIFY(it.HasLast);
    QCOMPARE(it.LastDate, ymd(2025, 1, 2));
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(it.Month(m), m == 1 || m == 3 || m == 10 || m == 12);
    QCOMPARE(it.Days[1], 15);
    QCOMPARE(it.Days[2], 31);
    for (int d = 0; d <= 6; ++d) {
        QCOMPARE(it.Weekday(d), d == 0 || d == 6);
        QCOMPARE(it.ShiftDay(d), d == 0 || d == 1);
    }
    QCOMPARE(it.WeekParity, 2);
    QVERIFY(it.ShiftHoliday);
    QCOMPARE(it.ShiftDir, 1);
    QCOMPARE(it.BeforeDays, -2);
    QCOMPARE(it.AfterDays, -1);
    QCOMPARE(it.TitleOpt, quint8(2));
    QCOMPARE(it.TitleDiff, -5);
    QCOMPARE(it.DevWord[1], 1);
    QCOMPARE(it.DevWord[2], 0x1234);
    QCOMPARE(it.DevWord[3], 0xFFFF);
    QCOMPARE(it.DevWord[4], 0x8000);
    QVERIFY(notifier.messages.isEmpty());
}

void TestItemFile::version1AllFields()
{
    RecordBytes r(80);
    r.u8(0, 2).u8(1, 9).u32(2, DosStamp(2010, 10, 10, 23, 59, 58));
    r.text(6, "abcdefghijabcdefghijabcdefghijabc"); // 33 bytes, no NUL
    r.u8(39, 1).date(40, 0, 5, 5).date(44, 2030, 1, 1).date(48, 0, 0, 0);
    r.u16(52, 0x0FFF).u8(54, 1).u8(55, 2).u8(56, 0x7F).u8(57, 1).u8(58, 0x40).u8(59, 0);
    r.u8(60, 99).u8(61, 0x80).u8(62, 4).u8(63, 3);
    r.u16(64, 10).u16(66, 20).u16(68, 30).u16(70, 40).u8(72, 0xEE);
    const QString path = writeFile("v1.tmd", HeaderBytes(Sig1) + r.bytes);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.FileVersion, quint8(1));
    QCOMPARE(data.count(), 1);
    const TItemRec &it = *data.at(0);
    QCOMPARE(it.Kind, quint8(1));
    QCOMPARE(it.DevState, quint8(2));
    QCOMPARE(it.DevByte, 9);
    QCOMPARE(DateValueToQDateTime(it.DevStamp), QDateTime(QDate(2010, 10, 10), QTime(23, 59, 58)));
    QCOMPARE(it.Title, QStringLiteral("abcdefghijabcdefghijabcdefghijabc"));
    QVERIFY(it.MemoText.isEmpty());
    // Year 0 means no start date, overriding the kind's default.
    QVERIFY(!it.HasStart);
    QVERIFY(it.HasEnd);
    QCOMPARE(it.EndDate, ymd(2030, 1, 1));
    QVERIFY(!it.HasLast);
    QCOMPARE(it.LastDate, ymd(1980, 1, 1));
    for (int m = 1; m <= 12; ++m)
        QVERIFY(it.Month(m));
    QCOMPARE(it.Days[1], 1);
    QCOMPARE(it.Days[2], 2);
    for (int d = 0; d <= 6; ++d) {
        QVERIFY(it.Weekday(d));
        QCOMPARE(it.ShiftDay(d), d == 6);
    }
    QVERIFY(!it.ShiftHoliday);
    QCOMPARE(it.WeekParity, 1);
    QCOMPARE(it.BeforeDays, 99);
    QCOMPARE(it.AfterDays, -128);
    QCOMPARE(it.TitleOpt, quint8(4));
    QCOMPARE(it.TitleDiff, 3);
    QCOMPARE(it.DevWord[1], 10);
    QCOMPARE(it.DevWord[4], 40);
}

void TestItemFile::version2Record()
{
    RecordBytes a(64);
    a.text(1, "old").u8(34, 2).date(36, 0, 0, 0).date(40, 0, 0, 0).date(44, 1980, 1, 1);
    a.u16(48, 0x0002).u8(50, 7).u8(51, 0).u8(52, 0x15).u8(53, 0).u8(54, 0x80).u8(55, 1);
    a.u8(56, 0xFF).u8(57, 5).u8(58, 0x77);
    RecordBytes b(64);
    b.text(1, "b").u8(34, 0).date(36, 2001, 2, 3).date(44, 2001, 1, 1);
    const QString path = writeFile("v2.tmd", HeaderBytes(Sig2) + a.bytes + b.bytes);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.FileVersion, quint8(2));
    QCOMPARE(data.count(), 2);
    const TItemRec &it = *data.at(0);
    QCOMPARE(it.Kind, quint8(2));
    QCOMPARE(it.Title, QStringLiteral("old"));
    QCOMPARE(it.DevState, quint8(0));
    QCOMPARE(it.DevStamp, 0.0);
    // A zero start date is still taken: 1900-01-01.
    QVERIFY(it.HasStart);
    QCOMPARE(it.StartDate, 2.0);
    QVERIFY(!it.HasEnd);
    // 1980-01-01 means no last processed date in this version.
    QVERIFY(!it.HasLast);
    QVERIFY(it.Month(2) && !it.Month(1));
    QCOMPARE(it.Days[1], 7);
    QVERIFY(it.Weekday(0) && it.Weekday(2) && it.Weekday(4) && !it.Weekday(1));
    QVERIFY(it.ShiftHoliday);
    QCOMPARE(it.ShiftDir, 1);
    QCOMPARE(it.BeforeDays, -1);
    QCOMPARE(it.AfterDays, 5);
    QCOMPARE(it.TitleOpt, quint8(0));
    QCOMPARE(it.TitleDiff, 0);
    QCOMPARE(it.DevWord[1], 0);
    const TItemRec &second = *data.at(1);
    QCOMPARE(second.StartDate, ymd(2001, 2, 3));
    QVERIFY(second.HasLast);
    QCOMPARE(second.LastDate, ymd(2001, 1, 1));
}

void TestItemFile::skippedRecords_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("firstByte");
    QTest::addColumn<bool>("skipped");
    QTest::newRow("v0 state 3") << Sig0 << 160 << 3 << true;
    QTest::newRow("v0 state 2") << Sig0 << 160 << 2 << false;
    QTest::newRow("v0 state 255") << Sig0 << 160 << 255 << false;
    QTest::newRow("v1 state 3") << Sig1 << 80 << 3 << true;
    QTest::newRow("v2 byte 0") << Sig2 << 64 << 0 << false;
    QTest::newRow("v2 byte 1") << Sig2 << 64 << 1 << true;
    QTest::newRow("v2 byte 3") << Sig2 << 64 << 3 << true;
}

void TestItemFile::skippedRecords()
{
    QFETCH(QByteArray, signature);
    QFETCH(int, size);
    QFETCH(int, firstByte);
    QFETCH(bool, skipped);
    ScriptedNotifier notifier;
    RecordBytes r(size);
    r.u8(0, firstByte);
    RecordBytes keep(size);
    keep.text(size == 64 ? 1 : 6, "keep");
    TData data;
    data.LoadFromFile(writeFile("skip.tmd", HeaderBytes(signature) + r.bytes + keep.bytes));
    QCOMPARE(data.count(), skipped ? 1 : 2);
    QCOMPARE(data.at(data.count() - 1)->Title, QStringLiteral("keep"));
    QVERIFY(notifier.messages.isEmpty());
}

void TestItemFile::badKindReported_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("kindOffset");
    QTest::addColumn<int>("kind");
    QTest::newRow("v0 kind 4") << Sig0 << 160 << 104 << 4;
    QTest::newRow("v0 kind 255") << Sig0 << 160 << 104 << 255;
    QTest::newRow("v1 kind 9") << Sig1 << 80 << 39 << 9;
    QTest::newRow("v2 kind 3") << Sig2 << 64 << 34 << 3;
}

void TestItemFile::badKindReported()
{
    QFETCH(QByteArray, signature);
    QFETCH(int, size);
    QFETCH(int, kindOffset);
    QFETCH(int, kind);
    ScriptedNotifier notifier;
    RecordBytes bad(size), good(size);
    bad.u8(kindOffset, kind);
    good.u8(kindOffset, 2);
    TData data;
    data.LoadFromFile(writeFile("kind.tmd", HeaderBytes(signature) + bad.bytes + good.bytes + bad.bytes));
    QCOMPARE(data.count(), 1);
    QCOMPARE(data.at(0)->Kind, quint8(2));
    const QString message = QStringLiteral("おかしなデータがあるようです\rType = ") + QString::number(kind);
    QCOMPARE(notifier.messages, (QStringList {message, message}));
}

void TestItemFile::dateClamping_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("date");
    QTest::newRow("1975/02/30") << 1975 << 2 << 30 << QDate(1980, 2, 29);
    QTest::newRow("2150/13/01") << 2150 << 13 << 1 << QDate(2099, 12, 1);
    QTest::newRow("negative year") << -5 << 0 << 0 << QDate(1980, 1, 1);
    QTest::newRow("2023/02/29") << 2023 << 2 << 29 << QDate(2023, 2, 28);
    QTest::newRow("2024/04/31") << 2024 << 4 << 31 << QDate(2024, 4, 30);
    QTest::newRow("day 255") << 2000 << 1 << 255 << QDate(2000, 1, 31);
}

void TestItemFile::dateClamping()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QDate, date);
    RecordBytes r(160);
    r.date(106, year, month, day).date(110, year, month, day).date(114, year, month, day);
    TData data;
    data.LoadFromFile(writeFile("dates.tmd", HeaderBytes(Sig0) + r.bytes));
    const TItemRec &it = *data.at(0);
    QVERIFY(it.HasStart && it.HasEnd && it.HasLast);
    QCOMPARE(DateValueToQDate(it.StartDate), date);
    QCOMPARE(DateValueToQDate(it.EndDate), date);
    QCOMPARE(DateValueToQDate(it.LastDate), date);
}

void TestItemFile::timeStamp_data()
{
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<QDateTime>("stamp"); // invalid = DevStamp 0
    QTest::newRow("zero") << quint32(0) << QDateTime();
    QTest::newRow("valid") << DosStamp(2099, 12, 31, 23, 59, 58) << QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58));
    QTest::newRow("month 13") << DosStamp(2000, 13, 1, 0, 0, 0) << QDateTime();
    QTest::newRow("hour 25") << DosStamp(2000, 1, 1, 25, 0, 0) << QDateTime();
    QTest::newRow("february 30") << DosStamp(2001, 2, 30, 0, 0, 0) << QDateTime();
    QTest::newRow("all bits") << quint32(0xFFFFFFFF) << QDateTime();
}

void TestItemFile::timeStamp()
{
    QFETCH(quint32, stored);
    QFETCH(QDateTime, stamp);
    RecordBytes r(160);
    r.u32(2, stored);
    const QString path = writeFile("stamp.tmd", HeaderBytes(Sig0) + r.bytes);
    TData data;
    data.LoadFromFile(path);
    const DateValue v = data.at(0)->DevStamp;
    if (stamp.isValid())
        QCOMPARE(DateValueToQDateTime(v), stamp);
    else
        QCOMPARE(v, 0.0);
    // Written back: the same value, or 0 for one that did not read.
    data.SaveToFile(path);
    const QByteArray saved = readFile(path);
    const quint32 back
        = quint8(saved[34]) | quint8(saved[35]) << 8 | quint8(saved[36]) << 16 | quint32(quint8(saved[37])) << 24;
    QCOMPARE(back, stamp.isValid() ? stored : 0u);
}

void TestItemFile::memoLineBreaks_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("LF") << QByteArray("a\nb") << QStringLiteral("a\r\nb") << QByteArray("a\nb");
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb") << QByteArray("a\nb");
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n") << QByteArray("a\nb\n");
    QTest::newRow("LF CR") << QByteArray("\n\r") << QStringLiteral("\r\n\r\n") << QByteArray("\n\n");
    QTest::newRow("64 bytes, no NUL") << QByteArray(64, 'x') << QString(64, u'x') << QByteArray(64, 'x');
}

void TestItemFile::memoLineBreaks()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, memo);
    QFETCH(QByteArray, written);
    RecordBytes r(160);
    r.text(39, stored);
    const QString path = writeFile("memo.tmd", HeaderBytes(Sig0) + r.bytes);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.at(0)->MemoText, memo);
    data.SaveToFile(path);
    const QByteArray saved = readFile(path);
    QCOMPARE(saved.mid(32 + 39, written.size()), written);
    QCOMPARE(saved.mid(32 + 39 + written.size(), 65 - written.size()), QByteArray(65 - written.size(), '\0'));
}

void TestItemFile::fileSizes_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("items");
    QTest::newRow("header only") << Sig0 << 160 << 0 << 0 << 0;
    QTest::newRow("header and one byte") << Sig0 << 160 << 0 << 1 << 0;
    QTest::newRow("3 records and one byte") << Sig0 << 160 << 3 << 1 << 3;
    QTest::newRow("v1, 2 records and one byte") << Sig1 << 80 << 2 << 1 << 2;
    QTest::newRow("v2, 5 records") << Sig2 << 64 << 5 << 0 << 5;
    QTest::newRow("v0, 2 records and a 2-byte fragment") << Sig0 << 160 << 2 << 2 << 3;
    QTest::newRow("v2, 1 record and a 63-byte fragment") << Sig2 << 64 << 1 << 63 << 2;
    QTest::newRow("many records") << Sig0 << 160 << 5000 << 0 << 5000;
}

void TestItemFile::fileSizes()
{
    QFETCH(QByteArray, signature);
    QFETCH(int, recordSize);
    QFETCH(int, records);
    QFETCH(int, extra);
    QFETCH(int, items);
    QByteArray bytes = HeaderBytes(signature, 0x22);
    for (int i = 0; i < records; ++i)
        bytes += RecordBytes(recordSize).text(recordSize == 64 ? 1 : 6, QByteArray::number(i)).bytes;
    bytes += QByteArray(extra, '\0');
    TData data;
    data.LoadFromFile(writeFile("sizes.tmd", bytes));
    QCOMPARE(data.count(), items);
    QCOMPARE(data.Head.Bytes[31], quint8(0x22));
    if (records > 0)
        QCOMPARE(data.at(records - 1)->Title, QString::number(records - 1));
}

// A record cut short by the end of the file reads its missing bytes as zero.
void TestItemFile::trailingFragment()
{
    RecordBytes whole = fullRecord0();
    const QByteArray fragment = whole.bytes.left(110); // up to the start date
    TData data;
    data.LoadFromFile(writeFile("fragment.tmd", HeaderBytes(Sig0) + whole.bytes + fragment));
    QCOMPARE(data.count(), 2);
    const TItemRec &it = *data.at(1);
    QCOMPARE(it.Title, QStringLiteral("Titleあい"));
    QCOMPARE(it.MemoText, QStringLiteral("m1\r\nm2"));
    QVERIFY(it.HasStart);
    QCOMPARE(it.StartDate, ymd(2026, 12, 24));
    QVERIFY(!it.HasEnd);
    QVERIFY(!it.HasLast);
    QCOMPARE(it.BeforeDays, 0);
    QCOMPARE(it.TitleOpt, quint8(0));
    QCOMPARE(it.DevWord[3], 0);

    // A fragment too short to reach the kind byte is a kind-0 item; one
    // whose first byte is 3 is skipped like any record.
    TData data2;
    data2.LoadFromFile(writeFile("fragment2.tmd", HeaderBytes(Sig0) + QByteArray("\x00\x05", 2)));
    QCOMPARE(data2.count(), 1);
    QCOMPARE(data2.at(0)->Kind, quint8(0));
    QCOMPARE(data2.at(0)->DevByte, 5);
    TData data3;
    data3.LoadFromFile(writeFile("fragment3.tmd", HeaderBytes(Sig0) + QByteArray("\x03\x05xx", 4)));
    QCOMPARE(data3.count(), 0);
}

void TestItemFile::wrongSignature_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("short") << QByteArray("TideMk");
    QTest::newRow("lower case") << HeaderBytes("tidemk20");
    QTest::newRow("signature without NUL") << QByteArray("TideMk200").append(QByteArray(23, '\0'));
    QTest::newRow("other file") << QByteArray("PK\x03\x04 plenty of bytes that are not ours at all......");
    QTest::newRow("TideMrk with suffix") << HeaderBytes("TideMrkX");
}

void TestItemFile::wrongSignature()
{
    QFETCH(QByteArray, bytes);
    TData data;
    data.append(std::make_unique<TOnceItemRec>());
    data.FileVersion = 1;
    try {
        data.LoadFromFile(writeFile("other.tmd", bytes + fullRecord0().bytes));
        QFAIL("no error raised");
    } catch (const AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("このアプリケーション用のファイルではないようです"));
    }
    QCOMPARE(data.count(), 0);
    QCOMPARE(data.FileVersion, quint8(0));
    // The header read from the foreign file is not kept: a later save must
    // write a file this program can read again.
    QCOMPARE(data.Head.Signature(), Sig0);
}

void TestItemFile::failedLoadEmptiesCollection()
{
    TData data;
    data.LoadFromFile(writeFile("good.tmd", HeaderBytes(Sig0) + fullRecord0().bytes));
    QCOMPARE(data.count(), 1);
    const QString dir = env.path("adir.tmd");
    QDir().mkpath(dir);
    QVERIFY_THROWS_EXCEPTION(AppError, data.LoadFromFile(dir));
    QCOMPARE(data.count(), 0);
}

void TestItemFile::missingFileIsEmptyDocument()
{
    TData data;
    data.append(std::make_unique<TOnceItemRec>());
    data.LoadFromFile(env.path("nothere.tmd"));
    QCOMPARE(data.count(), 0);
    data.LoadFromFile(env.path("nothere.csv"));
    QCOMPARE(data.count(), 0);
}

// The writer's bytes checked at the offsets of the layout table.
void TestItemFile::writerLayout()
{
    TData data;
    data.Head.SetDefBefore(3);
    auto item = std::make_unique<TDateItemRec>();
    item->DevState = 1;
    item->DevByte = 0x1FF; // low 8 bits
    item->DevStamp = QDateTimeToDateValue(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    item->Title = QStringLiteral("あい");
    item->MemoText = QStringLiteral("x\r\ny");
    item->HasStart = false;
    item->StartDate = ymd(2020, 1, 1); // flag off: not written
    item->HasEnd = true;
    item->EndDate = ymd(2021, 3, 4);
    item->HasLast = true;
    item->LastDate = ymd(2022, 5, 6);
    item->SetMonth(1, true);
    item->SetMonth(12, true);
    item->SetDay(1, 10);
    item->SetDay(2, 31);
    item->SetWeekday(6, true);
    item->WeekParity = 2;
    item->SetShiftDay(2, true);
    item->ShiftHoliday = true;
    item->ShiftDir = 1;
    item->BeforeDays = 7;
    item->AfterDays = -1;
    item->TitleOpt = 4;
    item->TitleDiff = -5;
    item->SetDevWordAt(1, 0x12345); // low 16 bits
    item->SetDevWordAt(4, 0xBEEF);
    data.append(std::move(item));
    const QString path = env.path("layout.tmd");
    data.SaveToFile(path);
    const QByteArray f = readFile(path);
    QCOMPARE(f.size(), 32 + 160);
    QCOMPARE(f.left(9), QByteArray("TideMk20\0", 9));
    QCOMPARE(quint8(f[17]), quint8(3));
    RecordBytes r(160);
    r.u8(0, 1).u8(1, 0xFF).u32(2, DosStamp(2001, 2, 3, 4, 5, 6)).text(6, Hiragana).text(39, "x\ny");
    r.u8(104, 1).date(110, 2021, 3, 4).date(114, 2022, 5, 6);
    r.u16(118, 0x0801).u8(120, 10).u8(121, 31).u8(122, 0x40).u8(123, 2).u8(124, 0x84).u8(125, 1);
    r.u8(126, 7).u8(127, 0xFF).u8(128, 4).u8(129, 0xFB).u16(130, 0x2345).u16(136, 0xBEEF);
    QCOMPARE(f.mid(32).toHex(' '), r.bytes.toHex(' '));
}

void TestItemFile::signedBytesWritten()
{
    TData data;
    auto item = std::make_unique<TOnceItemRec>();
    item->BeforeDays = -128;
    item->AfterDays = -1;
    item->TitleDiff = -5;
    data.append(std::move(item));
    const QString path = env.path("signed.tmd");
    data.SaveToFile(path);
    const QByteArray f = readFile(path);
    QCOMPARE(quint8(f[32 + 126]), quint8(128));
    QCOMPARE(quint8(f[32 + 127]), quint8(255));
    QCOMPARE(quint8(f[32 + 129]), quint8(251));
    TData back;
    back.LoadFromFile(path);
    QCOMPARE(back.at(0)->BeforeDays, -128);
    QCOMPARE(back.at(0)->AfterDays, -1);
    QCOMPARE(back.at(0)->TitleDiff, -5);
}

void TestItemFile::olderVersionSavedAsCurrent()
{
    RecordBytes r(80);
    r.u8(0, 2).u8(1, 9).text(6, "v1").u8(39, 3).date(40, 2001, 2, 3).u8(60, 4).u8(61, 5).u16(64, 77);
    const QByteArray header = HeaderBytes(Sig1, char(0xA5));
    const QString path = writeFile("old.tmd", header + r.bytes);
    TData data;
    data.LoadFromFile(path);
    const QString out = env.path("new.tmd");
    data.SaveToFile(out);
    QCOMPARE(data.FileVersion, quint8(1));
    const QByteArray f = readFile(out);
    QCOMPARE(f.size(), 32 + 160);
    QCOMPARE(f.left(9), QByteArray("TideMk20\0", 9));
    QCOMPARE(f.mid(9, 23), header.mid(9, 23));
    RecordBytes expected(160);
    expected.u8(0, 2).u8(1, 9).text(6, "v1").u8(104, 3).date(106, 2001, 2, 3).u8(126, 4).u8(127, 5).u16(130, 77);
    QCOMPARE(f.mid(32).toHex(' '), expected.bytes.toHex(' '));
}

// Loading and saving a current file changes no byte of it, also for text
// bytes that are not valid code page 932.
void TestItemFile::roundTripKeepsBytes()
{
    RecordBytes a = fullRecord0();
    a.text(6, QByteArray(33, '\0')).text(6, "ab\x82"); // a lead byte cut off by the NUL
    RecordBytes b = fullRecord0();
    b.u8(0, 0)
        .u8(104, 3)
        .text(6, QByteArray(33, '\0'))
        .text(6, "\x85\x40\xff\xa0\x81\x7f")
        .text(39,
            "\xfd\xfe"
            "x\n\x82");
    RecordBytes c = fullRecord0();
    c.u8(104, 2).u8(123, 9).u8(128, 200).u8(120, 250); // out-of-range values are carried
    const QByteArray file = HeaderBytes(Sig0, char(0xC3)) + a.bytes + b.bytes + c.bytes;
    const QString path = writeFile("keep.tmd", file);
    TData data;
    data.LoadFromFile(path);
    QCOMPARE(data.count(), 3);
    const QString out = env.path("keep2.tmd");
    data.SaveToFile(out);
    QCOMPARE(readFile(out).toHex(' '), file.toHex(' '));
}

void TestItemFile::longTextIsCut_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QByteArray>("titleBytes");
    QTest::addColumn<QByteArray>("memoBytes");
    QTest::newRow("33 ascii") << QString(33, u'a') << QString() << QByteArray(32, 'a') << QByteArray();
    QTest::newRow("double-byte across the limit")
        << QString(31, u'a') + QStringLiteral("あい") << QString() << QByteArray(31, 'a') << QByteArray();
    QTest::newRow("20 hiragana") << QString(20, u'あ') << QString() << QByteArray(16, 'x').replace("x", "\x82\xa0")
                                 << QByteArray();
    QTest::newRow("memo 70 bytes") << QString() << QString(70, u'm') << QByteArray() << QByteArray(64, 'm');
    // 32 lines of "a": 32 * 3 bytes in memory, 64 bytes once CR LF is LF.
    QTest::newRow("memo fits after LF conversion")
        << QString() << QStringLiteral("a\r\n").repeated(32) << QByteArray() << QByteArray("a\n").repeated(32);
    QTest::newRow("memo double-byte at limit")
        << QString() << QString(63, u'm') + QStringLiteral("あ") << QByteArray() << QByteArray(63, 'm');
}

void TestItemFile::longTextIsCut()
{
    QFETCH(QString, title);
    QFETCH(QString, memo);
    QFETCH(QByteArray, titleBytes);
    QFETCH(QByteArray, memoBytes);
    TData data;
    auto item = std::make_unique<TOnceItemRec>();
    item->Title = title;
    item->MemoText = memo;
    item->HasStart = true;
    item->StartDate = ymd(2001, 2, 3);
    data.append(std::move(item));
    const QString path = env.path("long.tmd");
    data.SaveToFile(path);
    const QByteArray rec = readFile(path).mid(32);
    QCOMPARE(rec.mid(6, 33), titleBytes + QByteArray(33 - titleBytes.size(), '\0'));
    QCOMPARE(rec.mid(39, 65), memoBytes + QByteArray(65 - memoBytes.size(), '\0'));
    // The fields behind stay intact.
    QCOMPARE(quint8(rec[104]), quint8(0));
    QCOMPARE(rec.mid(106, 4), RecordBytes(4).date(0, 2001, 2, 3).bytes);
}

void TestItemFile::headDefaults_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("bytes9to31");
    QTest::newRow("none") << QString() << QByteArray(23, '\0');
    QTest::newRow("A0 x32") << QStringLiteral("A0").repeated(32) << QByteArray(23, char(0xA0));
    QTest::newRow("lower case") << QStringLiteral("ff").repeated(32) << QByteArray(23, char(0xFF));
    QTest::newRow("bad pairs give 0") << QString(18, u'0') + QStringLiteral("G1-1 117")
                                      << QByteArray("\0\0\0\x17", 4) + QByteArray(19, '\0');
    QTest::newRow("odd last character ignored")
        << QString(18, u'0') + QStringLiteral("123") << QByteArray("\x12", 1) + QByteArray(22, '\0');
    QTest::newRow("beyond 32 pairs ignored") << QStringLiteral("01").repeated(40) << QByteArray(23, '\x01');
}

void TestItemFile::headDefaults()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, bytes9to31);
    if (!stored.isEmpty())
        Settings().writeString(QStringLiteral("Default"), QStringLiteral("Head"), stored);
    TData data;
    QCOMPARE(data.Head.Signature(), Sig0);
    const QByteArray head(reinterpret_cast<const char *>(data.Head.Bytes.data()), 32);
    QCOMPARE(head.left(9), QByteArray("TideMk20\0", 9));
    QCOMPARE(head.mid(9).toHex(), bytes9to31.toHex());
}

void TestItemFile::saveHeadDefaults()
{
    TData data;
    THeadRec head = data.Head;
    head.SetDateDsp(1);
    head.SetDefAfter(-1);
    head.Bytes[31] = 0xAB;
    data.SaveHeadDefaults(head);
    const QString stored = Settings().readString(QStringLiteral("Default"), QStringLiteral("Head"), QString());
    QCOMPARE(stored,
        QStringLiteral("546964654D6B323000"
                       "01"
                       "0000000000000000"
                       "FF"
                       "000000000000000000000000AB"));
    THeadRec back;
    data.LoadHeadDefaults(back);
    QVERIFY(back == head);
    QCOMPARE(back.DefAfter(), qint8(-1));
}

void TestItemFile::clearRestoresStoredHead()
{
    Settings().writeString(QStringLiteral("Default"), QStringLiteral("Head"), QStringLiteral("00").repeated(9) + "05");
    TData data;
    data.LoadFromFile(writeFile("h.tmd", HeaderBytes(Sig1, 0x33)));
    QCOMPARE(data.FileVersion, quint8(1));
    QCOMPARE(data.Head.Bytes[9], quint8(0x33));
    data.Clear();
    QCOMPARE(data.FileVersion, quint8(0));
    QCOMPARE(data.Head.Signature(), Sig0);
    QCOMPARE(data.Head.Bytes[9], quint8(5));
    QCOMPARE(data.Head.Bytes[10], quint8(0));
}

// A save that fails part-way leaves the previous file as it was.
void TestItemFile::failedSaveKeepsPreviousFile()
{
#ifdef Q_OS_LINUX
    const QByteArray previous = HeaderBytes(Sig0) + fullRecord0().bytes;
    const QString path = writeFile("atomic.tmd", previous);
    TData data;
    for (int i = 0; i < 5000; ++i)
        data.append(std::make_unique<TOnceItemRec>());
    // Files may grow to 64 KiB only: both saves need more.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        data.SaveToFile(path);
    } catch (const AppError &e) {
        raised = true;
        QVERIFY(e.message().contains(QStringLiteral("書き込めません")));
    }
    bool csvRaised = false;
    try {
        data.SaveToFile(env.path("atomic.csv"));
    } catch (const AppError &) {
        csvRaised = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(raised);
    QVERIFY(csvRaised);
    QCOMPARE(readFile(path), previous);
    QVERIFY(!QFile::exists(env.path("atomic.csv")));
    // No temporary file is left behind.
    const QStringList left = QDir(env.path(QString())).entryList({QStringLiteral("atomic*")}, QDir::Files);
    QCOMPARE(left, QStringList {QStringLiteral("atomic.tmd")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestItemFile::saveIntoMissingDirectoryFails()
{
    TData data;
    const QString path = env.path("no/such/dir/x.tmd");
    QVERIFY_THROWS_EXCEPTION(AppError, data.SaveToFile(path));
    QVERIFY(!QFile::exists(path));
}

void TestItemFile::writeItemRecordReportsStreamError()
{
    TData data;
    TOnceItemRec item;
    QBuffer closed;
    QVERIFY_THROWS_EXCEPTION(AppError, data.WriteItemRecord(closed, item));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    data.WriteItemRecord(buffer, item);
    QCOMPARE(buffer.data().size(), 160);
}

void TestItemFile::readItemRecordFromStream()
{
    TData data;
    data.FileVersion = 1;
    QByteArray bytes = RecordBytes(80).text(6, "one").u8(39, 3).bytes + RecordBytes(80).u8(0, 3).bytes
        + QByteArray("\0\0\0\0\0\0tw", 8);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    data.ReadItemRecord(buffer);
    data.ReadItemRecord(buffer);
    data.ReadItemRecord(buffer); // a short record: the rest reads as zero
    QCOMPARE(data.count(), 2);
    QCOMPARE(data.at(0)->Kind, quint8(3));
    QCOMPARE(data.at(1)->Title, QStringLiteral("tw"));
}

void TestItemFile::applyCsvOption_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<char>("comma");
    QTest::addColumn<char>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    QTest::newRow("missing section") << QString() << ',' << '"' << QStringLiteral("\n") << true;
    QTest::newRow("tab, single, backslash n, off")
        << QStringLiteral("[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n") << '\t' << '\''
        << QStringLiteral("\\n") << false;
    QTest::newRow("one byte of larger codes") << QStringLiteral("[CSVOption]\nCommaChar=300\nQuoteChar=0\nCRChar=lf\n")
                                              << ',' << '\0' << QStringLiteral("lf") << true;
    QTest::newRow("garbage") << QStringLiteral("[CSVOption]\nCommaChar=x\nQuoteChar=\nSpaceQuote=abc\nCRChar=\n") << ','
                             << '"' << QString() << true;
}

void TestItemFile::applyCsvOption()
{
    QFETCH(QString, ini);
    QFETCH(char, comma);
    QFETCH(char, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    const QString path = writeFile("csvopt.ini", ini.toUtf8());
    SettingsFile settings(path);
    TData data(&settings);
    data.CommaChar = ';';
    data.QuoteChar = '#';
    data.CRChar = QStringLiteral("?");
    data.SpaceQuote = !spaceQuote;
    ApplyCSVOption(data, settings);
    QCOMPARE(data.CommaChar, comma);
    QCOMPARE(data.QuoteChar, quote);
    QCOMPARE(data.CRChar, cr);
    QCOMPARE(data.SpaceQuote, spaceQuote);
}

// Random damage in every part of a file never crashes or hangs the reader.
void TestItemFile::damagedFilesLoad()
{
    ScriptedNotifier notifier;
    QRandomGenerator rng(4711);
    const QByteArray sigs[3] = {Sig0, Sig1, Sig2};
    const int sizes[3] = {160, 80, 64};
    for (int round = 0; round < 150; ++round) {
        const int v = round % 3;
        QByteArray bytes = HeaderBytes(sigs[v]);
        const int length = int(rng.bounded(sizes[v] * 6));
        for (int i = 0; i < length; ++i)
            bytes.append(char(rng.bounded(256)));
        TData data;
        data.LoadFromFile(writeFile(QStringLiteral("damaged%1.tmd").arg(round), bytes));
        QVERIFY(data.count() <= (length + sizes[v] - 1) / sizes[v]);
        ListRow row;
        for (int i = 0; i < data.count(); ++i) {
            data.at(i)->FillListItem(row);
            (void)data.at(i)->StartStr();
        }
        data.SaveToFile(env.path(QStringLiteral("damaged%1.csv").arg(round)));
        data.SaveToFile(env.path(QStringLiteral("damaged%1b.tmd").arg(round)));
        TData again;
        again.LoadFromFile(env.path(QStringLiteral("damaged%1b.tmd").arg(round)));
        QCOMPARE(again.count(), data.count());
    }
}

QTEST_GUILESS_MAIN(TestItemFile)
#include "tst_itemfile.moc"
