#include "DataFixtures.h"
#include "FailDevice.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/ItemFile.h"
#include "data/Notifier.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const QByteArray Sig0("TideMk20"), Sig1("TideMk11"), Sig2("TideMrk");

// Offsets of a current-version (160-byte) record.
enum Record0 : int { R0State = 0, R0Title = 6, R0Kind = 104, R0Size = 160 };
constexpr int HeadSize = 32;

// A version-0 record with every field set to a distinct value.
RecordBytes fullRecord0()
{
    RecordBytes r(160);
    r.u8(0, 1).u8(1, 200).u32(2, DosStamp(2001, 2, 3, 4, 5, 6));
    r.text(6, "Title\x82\xa0\x82\xa2").text(39, "m1\nm2");
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

    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(env.path(name), bytes); }
    TestEnvironment env;

private Q_SLOTS:
    void init() { env.resetSettings(); }
    void collectionOperations()
    {
        TData data(Settings());
        for (int i = 0; i < 4; ++i)
            data.append(MakeItem(0, "t=" + QString::number(i)));
        data.RemoveItem(data.at(1));
        TItemRec *r = data.replace(1, MakeItem(2, "t=r"));
        data.insert(0, MakeItem(3, "t=i"));
        QCOMPARE(data.indexOf(r), 2);
        QStringList got;
        for (int i = 0; i < data.count(); ++i)
            got << data.at(i)->Title + QString::number(data.at(i)->Kind);
        QCOMPARE(got, (QStringList {"i3", "00", "r2", "30"}));
        data.Clear();
        QCOMPARE(data.count(), 0);
    }

    // Every field of every record version, read from bytes laid out by hand.
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("items");

        QTest::newRow("v0 all fields") << HeaderBytes(Sig0, 0x11) + fullRecord0().bytes << 0
                                       << QStringList {
                                              "K0 S1 B200 T2001-02-03T04:05:06.000 [Titleあい] {m1\r\nm2} s+2026/12/24 "
                                              "e+2026/12/31 l+2025/01/02 M101000000101 D15,31 W1000001 P2 "
                                              "X1100000h R1 b-2 a-1 o2 d-5 v1,1234,ffff,8000"};
        // A title of 33 bytes without NUL; year 0 means no start date, overriding
        // the kind's default.
        RecordBytes v1(80);
        v1.u8(0, 2).u8(1, 9).u32(2, DosStamp(2010, 10, 10, 23, 59, 58)).text(6, QByteArray("abcdefghij").repeated(4));
        v1.u8(39, 1).date(40, 0, 5, 5).date(44, 2030, 1, 1).date(48, 0, 0, 0);
        v1.u16(52, 0x0FFF).u8(54, 1).u8(55, 2).u8(56, 0x7F).u8(57, 1).u8(58, 0x40).u8(59, 0);
        v1.u8(60, 99).u8(61, 0x80).u8(62, 4).u8(63, 3).u16(64, 10).u16(66, 20).u16(68, 30).u16(70, 40).u8(72, 0xEE);
        QTest::newRow("v1 all fields")
            << HeaderBytes(Sig1) + v1.bytes << 1
            << QStringList {"K1 S2 B9 T2010-10-10T23:59:58.000 [abcdefghijabcdefghijabcdefghijabc] {} "
                            "s-1899/12/30 e+2030/01/01 l-1980/01/01 M111111111111 D1,2 W1111111 "
                            "P1 X0000001- R0 b99 a-128 o4 d3 va,14,1e,28"};
        // A zero start date is still taken (1900-01-01); 1980-01-01 means no last
        // processed date in this version.
        RecordBytes a(64), b(64);
        a.text(1, "old").u8(34, 2).date(44, 1980, 1, 1);
        a.u16(48, 0x0002).u8(50, 7).u8(52, 0x15).u8(54, 0x80).u8(55, 1).u8(56, 0xFF).u8(57, 5).u8(58, 0x77);
        b.text(1, "b").date(36, 2001, 2, 3).date(44, 2001, 1, 1);
        QTest::newRow("v2 records")
            << HeaderBytes(Sig2) + a.bytes + b.bytes << 2
            << QStringList {"K2 S0 B0 T0 [old] {} s+1900/01/01 e-1899/12/30 l-1980/01/01 "
                            "M010000000000 D7,0 W1010100 P0 X0000000h R1 b-1 a5 o0 d0 v0,0,0,0",
                   "K0 S0 B0 T0 [b] {} s+2001/02/03 e-1899/12/30 l+2001/01/01 M000000000000 D0,0 "
                   "W0000000 P0 X0000000- R0 b0 a0 o0 d0 v0,0,0,0"};
        // Impossible dates are clamped into 1980..2099 and the month's days.
        QByteArray dates = HeaderBytes(Sig0);
        QStringList clamped;
        const QString item
            = QStringLiteral("K0 S0 B0 T0 [] {} s+%1 e+%1 l+%1 M000000000000 D0,0 W0000000 P0 X0000000- R0 "
                             "b0 a0 o0 d0 v0,0,0,0");
        for (const auto &[y, m, d, date] :
            {std::tuple {1975, 2, 30, "1980/02/29"}, {2150, 13, 1, "2099/12/01"}, {-5, 0, 0, "1980/01/01"},
                {2023, 2, 29, "2023/02/28"}, {2024, 4, 31, "2024/04/30"}, {2000, 1, 255, "2000/01/31"}}) {
            dates += RecordBytes(160).date(106, y, m, d).date(110, y, m, d).date(114, y, m, d).bytes;
            clamped << item.arg(date);
        }
        QTest::newRow("dates clamped") << dates << 0 << clamped;
    }

    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, version);
        QFETCH(QStringList, items);
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(file("load.tmd", bytes));
        QCOMPARE(data.FileVersion, quint8(version));
        QCOMPARE(data.Head.Bytes[9], quint8(bytes[9]));
        QStringList got;
        for (int i = 0; i < data.count(); ++i) {
            got.append(Dump(*data.at(i)));
            QCOMPARE(QByteArray(data.at(i)->className()), QByteArray(NewItemOfKind(data.at(i)->Kind)->className()));
        }
        QCOMPARE(got, items);
        QVERIFY(notifier.messages.isEmpty());
    }

    // Records in state 3 (any non-zero first byte in version 2) are skipped
    // silently; an unknown kind is reported and skipped.
    void recordSelection_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("message");
        const QString badKind = QStringLiteral("おかしなデータがあるようです\rType = ");
        QTest::newRow("v0 state 3") << 0 << 0 << 3 << false << QString();
        QTest::newRow("v0 state 2") << 0 << 0 << 2 << true << QString();
        QTest::newRow("v0 state 255") << 0 << 0 << 255 << true << QString();
        QTest::newRow("v1 state 3") << 1 << 0 << 3 << false << QString();
        QTest::newRow("v2 byte 0") << 2 << 0 << 0 << true << QString();
        QTest::newRow("v2 byte 1") << 2 << 0 << 1 << false << QString();
        QTest::newRow("v2 byte 3") << 2 << 0 << 3 << false << QString();
        QTest::newRow("v0 kind 4") << 0 << 104 << 4 << false << badKind + "4";
        QTest::newRow("v0 kind 255") << 0 << 104 << 255 << false << badKind + "255";
        QTest::newRow("v1 kind 9") << 1 << 39 << 9 << false << badKind + "9";
        QTest::newRow("v2 kind 3") << 2 << 34 << 3 << false << badKind + "3";
    }

    void recordSelection()
    {
        QFETCH(int, version);
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(bool, kept);
        QFETCH(QString, message);
        ScriptedNotifier notifier;
        const int size = ItemRecordSizes[version];
        RecordBytes odd(size), good(size);
        odd.u8(offset, value);
        good.text(version == 2 ? 1 : 6, "keep").u8(version == 0 ? 104 : version == 1 ? 39 : 34, 2);
        TData data(Settings());
        data.LoadFromFile(
            file("select.tmd", HeaderBytes(FileSignatures[version]) + odd.bytes + good.bytes + odd.bytes));
        QCOMPARE(data.count(), kept ? 3 : 1);
        QCOMPARE(data.at(kept ? 1 : 0)->Title, QStringLiteral("keep"));
        QCOMPARE(data.at(kept ? 1 : 0)->Kind, quint8(2));
        // Both odd records are told in one box.
        NoticeList both;
        both.add(message);
        both.add(message);
        QCOMPARE(notifier.messages, message.isEmpty() ? QStringList() : QStringList {both.summary()});
    }

    void fileSizes_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("items");
        QTest::newRow("header only") << 0 << 0 << 0 << 0;
        QTest::newRow("header and one byte") << 0 << 0 << 1 << 0;
        QTest::newRow("3 records and one byte") << 0 << 3 << 1 << 3;
        QTest::newRow("v1, 2 records and one byte") << 1 << 2 << 1 << 2;
        QTest::newRow("v2, 5 records") << 2 << 5 << 0 << 5;
        QTest::newRow("v0, 2 records and a 2-byte fragment") << 0 << 2 << 2 << 2;
        QTest::newRow("v2, 1 record and a 63-byte fragment") << 2 << 1 << 63 << 1;
        QTest::newRow("many records") << 0 << 5000 << 0 << 5000;
    }

    void fileSizes()
    {
        QFETCH(int, version);
        QFETCH(int, records);
        QFETCH(int, extra);
        QFETCH(int, items);
        const int size = ItemRecordSizes[version];
        QByteArray bytes = HeaderBytes(FileSignatures[version], 0x22);
        for (int i = 0; i < records; ++i)
            bytes += RecordBytes(size).text(version == 2 ? 1 : 6, QByteArray::number(i)).bytes;
        TData data(Settings());
        data.LoadFromFile(file("sizes.tmd", bytes + QByteArray(extra, '\0')));
        QCOMPARE(data.count(), items);
        QCOMPARE(data.Head.Bytes[31], quint8(0x22));
        if (records > 0)
            QCOMPARE(data.at(records - 1)->Title, QString::number(records - 1));
    }

    // A record cut short by the end of the file is not made whole with
    // invented bytes: the items before it load, and the user is told.
    void trailingFragment_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("told");
        const QByteArray record = fullRecord0().bytes;
        QTest::newRow("110 of 160 bytes") << HeaderBytes(Sig0) + record + record.left(110) << 1 << true;
        QTest::newRow("2 bytes") << HeaderBytes(Sig0) + QByteArray("\x00\x05", 2) << 0 << true;
        QTest::newRow("63 of 64 bytes") << HeaderBytes(Sig2) + RecordBytes(64).bytes.left(63) << 0 << true;
        QTest::newRow("part of a deleted record") << HeaderBytes(Sig0) + "\x03\x05x" << 0 << false;
        QTest::newRow("part of a deleted oldest record") << HeaderBytes(Sig2) + "\x01\x05x" << 0 << false;
    }

    void trailingFragment()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, items);
        QFETCH(bool, told);
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(file("cut.tmd", bytes));
        QCOMPARE(data.count(), items);
        const QString message
            = QStringLiteral("ファイルの最後のデータが途中で切れているため、その1件は読み込みませんでした");
        QCOMPARE(notifier.messages, told ? QStringList {message} : QStringList {});
    }

    // A file shorter than the signature is not one of ours, even where the
    // default header would complete it.
    void shortFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("version"); // -1: refused
        QTest::newRow("0 bytes") << QByteArray() << -1;
        QTest::newRow("TideM") << QByteArray("TideM") << -1;
        QTest::newRow("TideMk2") << QByteArray("TideMk2") << -1;
        QTest::newRow("TideMrk and NUL") << QByteArray("TideMrk\0", 8) << 2;
        QTest::newRow("TideMk20 and NUL") << QByteArray("TideMk20\0", 9) << 0;
    }

    void shortFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, version);
        TData data(Settings());
        const QString error = ErrorOf([&] { data.LoadFromFile(file("short.tmd", bytes)); });
        QCOMPARE(error, version < 0 ? QStringLiteral("このアプリケーション用のファイルではないようです") : QString());
        QCOMPARE(data.count(), 0);
        if (version >= 0)
            QCOMPARE(data.FileVersion, quint8(version));
    }

    // A load that fails leaves an empty collection and the default header, so a
    // later save writes a file this program reads again. A missing file is an
    // empty document.
    void failedLoads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: no file; "dir": a directory
        QTest::addColumn<QString>("error");
        const QString foreign = QStringLiteral("このアプリケーション用のファイルではないようです");
        QTest::newRow("empty file") << "a.tmd" << QByteArray("") << foreign;
        QTest::newRow("short") << "a.tmd" << QByteArray("TideMk") << foreign;
        QTest::newRow("lower case") << "a.tmd" << HeaderBytes("tidemk20") << foreign;
        QTest::newRow("signature without NUL")
            << "a.tmd" << QByteArray("TideMk200").append(QByteArray(23, '\0')) << foreign;
        QTest::newRow("other file") << "a.tmd" << QByteArray("PK\x03\x04 plenty of bytes that are not ours at all.....")
                                    << foreign;
        QTest::newRow("TideMrk with suffix") << "a.tmd" << HeaderBytes("TideMrkX") << foreign;
        QTest::newRow("directory") << "adir.tmd" << QByteArray("dir") << QStringLiteral("ファイル %1 を開けません");
        QTest::newRow("missing item file") << "nothere.tmd" << QByteArray() << QString();
        QTest::newRow("missing CSV file") << "nothere.csv" << QByteArray() << QString();
    }

    void failedLoads()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const QString path = env.path(name);
        if (bytes == "dir")
            QDir().mkpath(path);
        else if (!bytes.isNull())
            WriteFile(path, bytes + fullRecord0().bytes);
        TData data(Settings());
        data.LoadFromFile(file("good.tmd", HeaderBytes(Sig1, 0x33) + RecordBytes(80).bytes));
        QCOMPARE(data.count(), 1);
        QCOMPARE(ErrorOf([&] { data.LoadFromFile(path); }), QString(error).replace(QStringLiteral("%1"), path));
        QCOMPARE(data.count(), 0);
        QCOMPARE(data.FileVersion, quint8(0));
        QCOMPARE(data.Head.Signature(), Sig0);
        QCOMPARE(data.Head.Bytes[9], quint8(0));
    }

    // Loaded and saved as an item file: the bytes written, and the one field
    // `token` names as the dump shows it after loading.
    void loadAndSave_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QByteArray>("out");
        const QByteArray h = HeaderBytes(Sig0);
        auto stamp = [&](const char *name, quint32 stored, const char *token, bool kept) {
            QTest::newRow(name) << h + RecordBytes(160).u32(2, stored).bytes << QString::fromLatin1(token)
                                << h + RecordBytes(160).u32(2, kept ? stored : 0).bytes;
        };
        stamp("stamp zero", 0, "T0", true);
        stamp("stamp valid", DosStamp(2099, 12, 31, 23, 59, 58), "T2099-12-31T23:59:58.000", true);
        stamp("stamp month 13", DosStamp(2000, 13, 1, 0, 0, 0), "T0", false);
        stamp("stamp hour 25", DosStamp(2000, 1, 1, 25, 0, 0), "T0", false);
        stamp("stamp february 30", DosStamp(2001, 2, 30, 0, 0, 0), "T0", false);
        stamp("stamp all bits", 0xFFFFFFFF, "T0", false);
        auto memo = [&](const char *name, const QByteArray &stored, const QString &text, const QByteArray &written) {
            QTest::newRow(name) << h + RecordBytes(160).text(39, stored).bytes << "{" + text + "}"
                                << h + RecordBytes(160).text(39, written).bytes;
        };
        memo("memo LF", "a\nb", "a\r\nb", "a\nb");
        memo("memo CR LF", "a\r\nb", "a\r\nb", "a\nb");
        memo("memo lone CR", "a\rb\r", "a\r\nb\r\n", "a\nb\n");
        memo("memo LF CR", "\n\r", "\r\n\r\n", "\n\n");
        memo("memo 64 bytes, no NUL", QByteArray(64, 'x'), QString(64, u'x'), QByteArray(64, 'x'));

        // An older version is written as the current one; header bytes 9..31 kept.
        RecordBytes v1(80);
        v1.u8(0, 2).u8(1, 9).text(6, "v1").u8(39, 3).date(40, 2001, 2, 3).u8(60, 4).u8(61, 5).u16(64, 77);
        RecordBytes v0(160);
        v0.u8(0, 2).u8(1, 9).text(6, "v1").u8(104, 3).date(106, 2001, 2, 3).u8(126, 4).u8(127, 5).u16(130, 77);
        QTest::newRow("version 1") << HeaderBytes(Sig1, char(0xA5)) + v1.bytes << QString()
                                   << HeaderBytes(Sig0, char(0xA5)) + v0.bytes;

        // A current file keeps every byte, also text bytes that are not valid code
        // page 932 and values out of range.
        RecordBytes a = fullRecord0(), b = fullRecord0(), c = fullRecord0();
        a.text(6, QByteArray(33, '\0')).text(6, "ab\x82"); // a lead byte cut off by the NUL
        b.u8(0, 0).u8(104, 3).text(6, QByteArray(33, '\0')).text(39, "\xfd\xfex\n\x82");
        b.text(6, "\x85\x40\xff\xa0\x81\x7f");
        c.u8(104, 2).u8(123, 9).u8(128, 200).u8(120, 250);
        const QByteArray same = HeaderBytes(Sig0, char(0xC3)) + a.bytes + b.bytes + c.bytes;
        QTest::newRow("current file unchanged") << same << QString() << same;
    }

    void loadAndSave()
    {
        QFETCH(QByteArray, in);
        QFETCH(QString, token);
        QFETCH(QByteArray, out);
        TData data(Settings());
        data.LoadFromFile(file("in.tmd", in));
        if (!token.isEmpty()) {
            const QStringList fields = DumpFields(*data.at(0));
            QCOMPARE(fields[token.startsWith(u'T') ? 3 : 5], token);
        }
        const quint8 version = data.FileVersion;
        data.SaveToFile(env.path("out.tmd"));
        QCOMPARE(data.FileVersion, version);
        QCOMPARE(ReadFile(env.path("out.tmd")).toHex(' '), out.toHex(' '));
    }

    // The single-record stream calls: a short record reads its missing bytes
    // as zero; a write that fails raises.
    void streamRecords()
    {
        TData data(Settings());
        data.FileVersion = 1;
        QByteArray bytes = RecordBytes(80).text(6, "one").u8(39, 3).bytes + RecordBytes(80).u8(0, 3).bytes
            + QByteArray("\0\0\0\0\0\0tw", 8);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        for (int i = 0; i < 3; ++i)
            data.ReadItemRecord(in);
        QCOMPARE(data.count(), 2);
        QCOMPARE(data.at(0)->Kind, quint8(3));
        QCOMPARE(data.at(1)->Title, QStringLiteral("tw"));
        QBuffer closed, out;
        QVERIFY_THROWS_EXCEPTION(AppError, data.WriteItemRecord(closed, *data.at(0)));
        out.open(QIODevice::WriteOnly);
        data.WriteItemRecord(out, *data.at(0));
        QCOMPARE(out.data().size(), 160);
    }

    // The writer's bytes checked at the offsets of the layout table.
    void writerLayout()
    {
        TData data(Settings());
        data.Head.SetDefBefore(3);
        auto item = MakeItem(1,
            QStringLiteral(
                "t=あい m=x\r\ny e=2021/03/04 l=2022/05/06 mon=1,12 d=10,31 wd=6 wp=2 sh=2,h dir=1 b=-128 a=-1 "
                "opt=4 diff=-5"));
        item->DevState = 1;
        item->DevByte = 0x1FF; // low 8 bits
        item->DevStamp = QDateTimeToDateValue(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        item->HasStart = false;
        item->StartDate = EncodeDate(2020, 1, 1); // flag off: not written
        item->SetDevWordAt(1, 0x12345); // low 16 bits
        item->SetDevWordAt(4, 0xBEEF);
        data.append(std::move(item));
        data.SaveToFile(env.path("layout.tmd"));
        RecordBytes r(160);
        r.u8(0, 1).u8(1, 0xFF).u32(2, DosStamp(2001, 2, 3, 4, 5, 6)).text(6, "\x82\xa0\x82\xa2").text(39, "x\ny");
        r.u8(104, 1).date(110, 2021, 3, 4).date(114, 2022, 5, 6);
        r.u16(118, 0x0801).u8(120, 10).u8(121, 31).u8(122, 0x40).u8(123, 2).u8(124, 0x84).u8(125, 1);
        r.u8(126, 0x80).u8(127, 0xFF).u8(128, 4).u8(129, 0xFB).u16(130, 0x2345).u16(136, 0xBEEF);
        QByteArray head = HeaderBytes(Sig0);
        head[17] = 3;
        QCOMPARE(ReadFile(env.path("layout.tmd")).toHex(' '), (head + r.bytes).toHex(' '));
    }

    void longTextIsCut_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QByteArray>("titleBytes");
        QTest::addColumn<QByteArray>("memoBytes");
        QTest::newRow("33 ascii") << QString(33, u'a') << QString() << QByteArray(32, 'a') << QByteArray();
        QTest::newRow("double-byte across the limit")
            << QString(31, u'a') + QStringLiteral("あい") << QString() << QByteArray(31, 'a') << QByteArray();
        QTest::newRow("20 hiragana") << QString(20, u'あ') << QString() << QByteArray("\x82\xa0").repeated(16)
                                     << QByteArray();
        QTest::newRow("memo 70 bytes") << QString() << QString(70, u'm') << QByteArray() << QByteArray(64, 'm');
        // 32 lines of "a": 32 * 3 bytes in memory, 64 bytes once CR LF is LF.
        QTest::newRow("memo fits after LF conversion")
            << QString() << QStringLiteral("a\r\n").repeated(32) << QByteArray() << QByteArray("a\n").repeated(32);
        QTest::newRow("memo double-byte at limit")
            << QString() << QString(63, u'm') + QStringLiteral("あ") << QByteArray() << QByteArray(63, 'm');
    }

    // Text too long for its field is cut at a character boundary and never
    // spills into the fields behind.
    void longTextIsCut()
    {
        QFETCH(QString, title);
        QFETCH(QString, memo);
        QFETCH(QByteArray, titleBytes);
        QFETCH(QByteArray, memoBytes);
        TData data(Settings());
        TItemRec *item = data.append(MakeItem(0, "s=2001/02/03"));
        item->Title = title;
        item->MemoText = memo;
        data.SaveToFile(env.path("long.tmd"));
        const QByteArray expected
            = RecordBytes(160).text(6, titleBytes).text(39, memoBytes).date(106, 2001, 2, 3).bytes;
        QCOMPARE(ReadFile(env.path("long.tmd")).mid(32).toHex(' '), expected.toHex(' '));
    }

    void headDefaults_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("bytes9to31");
        QTest::newRow("none") << QString() << QByteArray(23, '\0');
        QTest::newRow("A0 x32") << QStringLiteral("A0").repeated(32) << QByteArray(23, char(0xA0));
        QTest::newRow("lower case") << QStringLiteral("ff").repeated(32) << QByteArray(23, char(0xFF));
        QTest::newRow("bad pairs give 0")
            << QString(18, u'0') + QStringLiteral("G1-1 117") << QByteArray("\0\0\0\x17", 4) + QByteArray(19, '\0');
        QTest::newRow("odd last character ignored")
            << QString(18, u'0') + QStringLiteral("123") << QByteArray("\x12", 1) + QByteArray(22, '\0');
        QTest::newRow("beyond 32 pairs ignored") << QStringLiteral("01").repeated(40) << QByteArray(23, '\x01');
    }

    void headDefaults()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, bytes9to31);
        if (!stored.isEmpty())
            Settings().writeString(QStringLiteral("Default"), QStringLiteral("Head"), stored);
        TData data(Settings());
        QCOMPARE(data.count(), 0);
        QCOMPARE(data.FileVersion, quint8(0));
        const QByteArray expected = (QByteArray("TideMk20\0", 9) + bytes9to31).toHex();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(data.Head.Bytes.data()), 32).toHex(), expected);
        // Clear puts the stored defaults back after a file's own header.
        data.LoadFromFile(file("h.tmd", HeaderBytes(Sig1, 0x33)));
        QCOMPARE(data.FileVersion, quint8(1));
        QCOMPARE(data.Head.Bytes[9], quint8(0x33));
        data.Clear();
        QCOMPARE(data.FileVersion, quint8(0));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(data.Head.Bytes.data()), 32).toHex(), expected);
    }

    void saveHeadDefaults()
    {
        TData data(Settings());
        THeadRec head = data.Head;
        head.SetDateDsp(1);
        head.SetDefAfter(-1);
        head.Bytes[31] = 0xAB;
        data.SaveHeadDefaults(head);
        QCOMPARE(Settings().readString(QStringLiteral("Default"), QStringLiteral("Head"), QString()),
            QStringLiteral("546964654D6B323000010000000000000000FF000000000000000000000000AB"));
        THeadRec back;
        data.LoadHeadDefaults(back);
        QVERIFY(back == head);
        QCOMPARE(back.DefAfter(), qint8(-1));
    }

    // A save that fails part-way leaves the previous file as it was.
    void failedSaveKeepsPreviousFile()
    {
#ifdef Q_OS_LINUX
        const QByteArray previous = HeaderBytes(Sig0) + fullRecord0().bytes;
        const QString path = file("atomic.tmd", previous);
        TData data(Settings());
        for (int i = 0; i < 5000; ++i)
            data.append(std::make_unique<TOnceItemRec>());
        // Files may grow to 64 KiB only: both saves need more.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString error = ErrorOf([&] { data.SaveToFile(path); });
        const QString csvError = ErrorOf([&] { data.SaveToFile(env.path("atomic.csv")); });
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY2(error.contains(QStringLiteral("書き込めません")), qPrintable(error));
        QVERIFY(!csvError.isEmpty());
        QCOMPARE(ReadFile(path), previous);
        // No CSV and no temporary file is left behind.
        const QStringList left = QDir(env.path(QString())).entryList({QStringLiteral("atomic*")}, QDir::Files);
        QCOMPARE(left, QStringList {QStringLiteral("atomic.tmd")});
#else
        QSKIP("needs a file size limit");
#endif
    }

    void applyCsvOption_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<char>("comma");
        QTest::addColumn<char>("quote");
        QTest::addColumn<QString>("cr");
        QTest::addColumn<bool>("spaceQuote");
        QTest::newRow("missing section") << QString() << ',' << '"' << QStringLiteral("\n") << true;
        QTest::newRow("one byte of larger codes")
            << QStringLiteral("[CSVOption]\nCommaChar=300\nQuoteChar=0\nCRChar=lf\n") << ',' << '\0'
            << QStringLiteral("lf") << true;
        QTest::newRow("garbage") << QStringLiteral("[CSVOption]\nCommaChar=x\nQuoteChar=\nSpaceQuote=abc\nCRChar=\n")
                                 << ',' << '"' << QStringLiteral("\n") << true;
        // One character cannot both separate and quote: both fall back.
        QTest::newRow("quote is the separator")
            << QStringLiteral("[CSVOption]\nCommaChar=59\nQuoteChar=59\nSpaceQuote=0\n") << ',' << '"'
            << QStringLiteral("\n") << false;
        QTest::newRow("both tab") << QStringLiteral("[CSVOption]\nCommaChar=9\nQuoteChar=9\n") << ',' << '"'
                                  << QStringLiteral("\n") << true;
    }

    void applyCsvOption()
    {
        QFETCH(QString, ini);
        QFETCH(char, comma);
        QFETCH(char, quote);
        QFETCH(QString, cr);
        QFETCH(bool, spaceQuote);
        SettingsFile settings(file("csvopt.ini", ini.toUtf8()));
        TData data(settings);
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
    void damagedFilesLoad()
    {
        ScriptedNotifier notifier;
        QRandomGenerator rng(4711);
        for (int round = 0; round < 150; ++round) {
            const int v = round % 3, size = ItemRecordSizes[v];
            QByteArray bytes = HeaderBytes(FileSignatures[v]);
            const int length = int(rng.bounded(size * 6));
            for (int i = 0; i < length; ++i)
                bytes.append(char(rng.bounded(256)));
            TData data(Settings());
            data.LoadFromFile(file(QStringLiteral("damaged%1.tmd").arg(round), bytes));
            QVERIFY(data.count() <= (length + size - 1) / size);
            ListRow row;
            for (int i = 0; i < data.count(); ++i) {
                data.at(i)->FillListItem(row);
                (void)data.at(i)->StartStr();
            }
            data.SaveToFile(env.path(QStringLiteral("damaged%1.csv").arg(round)));
            data.SaveToFile(env.path(QStringLiteral("damaged%1b.tmd").arg(round)));
            TData again(Settings());
            again.LoadFromFile(env.path(QStringLiteral("damaged%1b.tmd").arg(round)));
            QCOMPARE(again.count(), data.count());
        }
    }

    // A device that stops taking bytes at any point of the file: the save
    // fails with the file's name, whether the header or a record is cut.
    void writeFailsAfterBytes_data()
    {
        QTest::addColumn<int>("limit");
        QTest::newRow("nothing") << 0;
        QTest::newRow("inside header") << HeadSize - 1;
        QTest::newRow("before first record") << HeadSize;
        QTest::newRow("inside second record") << HeadSize + R0Size + 10;
        QTest::newRow("before last record") << HeadSize + 2 * R0Size;
    }
    void writeFailsAfterBytes()
    {
        QFETCH(int, limit);
        TData data(Settings());
        for (int i = 0; i < 3; ++i)
            data.append(MakeItem(i, "t=item" + QString::number(i)));
        FailDevice device(limit);
        QVERIFY(device.open(QIODevice::WriteOnly));
        QCOMPARE(ErrorOf([&] { ItemFile::Write(data, device, QStringLiteral("out.tmd")); }),
            QStringLiteral("ファイル out.tmd に書き込めません"));

        FailDevice roomy(HeadSize + 3 * R0Size);
        QVERIFY(roomy.open(QIODevice::WriteOnly));
        ItemFile::Write(data, roomy, QStringLiteral("out.tmd"));
        QCOMPARE(roomy.data().size(), HeadSize + 3 * R0Size);
    }

    // A read that fails between records ends the load with the file's name;
    // the records before it were read.
    void readFailsAfterBytes()
    {
        QByteArray bytes = HeaderBytes(Sig0);
        for (const char *title : {"one", "two"})
            bytes += RecordBytes(R0Size).text(R0Title, title).u8(R0Kind, 1).bytes;
        FailDevice device(HeadSize + R0Size);
        device.setData(bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        TData data(Settings());
        QStringList notices;
        const QString error = ErrorOf(
            [&] { ItemFile::Read(data, device, QStringLiteral("in.tmd"), [&](const QString &n) { notices << n; }); });
        QCOMPARE(error, QStringLiteral("ファイル in.tmd を読み込めません"));
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.at(0)->Title, QStringLiteral("one"));
        QVERIFY(notices.isEmpty());
    }

    // Notices about single records go to the caller, not to the notifier.
    void noticesGoToCaller()
    {
        ScriptedNotifier notifier;
        QByteArray bytes = HeaderBytes(Sig0) + RecordBytes(R0Size).text(R0Title, "bad").u8(R0Kind, 9).bytes
            + RecordBytes(R0Size).text(R0Title, "good").u8(R0Kind, 2).bytes + QByteArray(5, '\1');
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        TData data(Settings());
        QStringList notices;
        ItemFile::Read(data, device, QStringLiteral("in.tmd"), [&](const QString &n) { notices << n; });
        QCOMPARE(notices,
            QStringList({QStringLiteral("おかしなデータがあるようです\rType = 9"),
                QStringLiteral("ファイルの最後のデータが途中で切れているため、その1件は読み込みませんでした")}));
        QVERIFY(notifier.messages.isEmpty());
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.at(0)->Kind, KindDay);
    }
};

QTEST_GUILESS_MAIN(TestItemFile)
#include "tst_itemfile.moc"
