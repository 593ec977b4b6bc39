// Writes the seed corpus of every fuzz target into FOLDER/<target>/.
#include "calendar/HolidayRules.h"
#include "data/Data.h"
#include "data/TextCodec.h"
#include "device/LinkProtocol.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

QString folder;
int written = 0;

void seed(const char *target, const QString &name, const QByteArray &bytes)
{
    const QString dir = folder + u'/' + QString::fromLatin1(target);
    QDir().mkpath(dir);
    QFile f(dir + u'/' + name);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
        ++written;
}

QByteArray le16(int v)
{
    return QByteArray {char(v & 0xFF), char((v >> 8) & 0xFF)};
}

// A record of `size` bytes laid out as the current version's: title at 6,
// kind at 104, dates (16-bit year, month, day) from 106.
QByteArray record(int size, int kind, const QString &title, int seed)
{
    QByteArray r(size, '\0');
    const QByteArray t = Cp932::encode(title).left(32);
    r.replace(6, t.size(), t);
    if (size > 120) {
        r[104] = char(kind);
        r.replace(106, 4, le16(2026) + char(1 + seed % 12) + char(1 + seed % 28));
        r.replace(110, 4, le16(2027) + char(12) + char(31));
        r[120] = char(seed % 31 + 1);
        r[126] = char(seed % 5);
    } else {
        for (int i = 40; i < size; ++i)
            r[i] = char((i * 7 + seed) % (kind + 3));
    }
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds FOLDER\n", stderr);
        return 2;
    }
    folder = QString::fromLocal8Bit(argv[1]);
    const QStringList titles {QStringLiteral("会議"), QStringLiteral("家賃の支払い"), QStringLiteral("ｺﾞﾐ出し"), "abc"};

    // Item files of the three versions; the first byte 0 keeps the rest as is.
    for (int version = 0; version < 3; ++version) {
        QByteArray file(1, '\0');
        QByteArray head(FileSignatures[version]);
        head.resize(32, '\0');
        head[9] = 1;
        file += head;
        for (int i = 0; i < 4; ++i)
            file += record(ItemRecordSizes[version], i, titles[i], i + version);
        seed("itemfile", QStringLiteral("v%1").arg(version), file);
        seed("itemfile", QStringLiteral("v%1-head").arg(version), file.left(33));
    }

    // CSV under each settings variant (the first byte picks it).
    const QByteArray rows = Cp932::encode(
        QStringLiteral("\"会議 A\",月差,+3,\"x\ny\",一度・期間,2026/12/24,2026/12/31,,,,,,,2,済まで,\r\n"
                       "家賃,,,,月日指定,,,毎月,25日,,,祝,後,0,0,2026/11/25\r\n"
                       "irr,,,,不定期,,,,,,,,,,,\r\n"
                       "w,,,,曜日指定,,,,,毎週,月火,,,1,1,\r\n"));
    TData data;
    for (int variant = 0; variant < 8; ++variant) {
        QByteArray csv(1, char(variant));
        csv += data.CsvHeaderLine() + "\r\n" + rows;
        seed("csv", QStringLiteral("variant%1").arg(variant), csv);
    }

    seed("settingsfile", "options",
        "; Tidemark\r\n[Option]\r\nDock=1\r\nIrDA=2\r\nSpeed=4\r\nRupAutoOpen=1\r\n\r\n[CSVOption]\r\nCommaChar=44\r\n"
        "QuoteChar=34\r\nCRChar=\\n\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n[WindowPos]\r\nListForm=1,2,3,4,0\r\n");
    seed("settingsfile", "duplicates", "[option]\nspeed = 3\n[Option]\nSpeed=5\n[]\n=x\nkey\n[Default]\nHead=00\x81");

    QByteArray holidays = le16(2026) + char(4);
    holidays += Cp932::encode(DefaultHolidayLines().join(u'\n'));
    seed("holidays", "default", holidays);
    seed("holidays", "old-years", le16(1582) + char(10) + "10,5,Name\n0,1,2,3\n-1,2,3\n1,2,1,W\n2000,1,1,X\n");

    using namespace LinkProtocol;
    QByteArray stream(1, '\0');
    const QByteArray frames[] = {makeFrame(Negotiate, 7, QByteArray("\x01\x04", 2)), makeFrame(Ack, 7, "\x01"),
        makeFrame(Get, 8, "TODO.TMD"), makeFrame(Size, 8, le32(600)), makeFrame(Data, 0, QByteArray(512, 'd')),
        makeFrame(Nak, 0), makeFrame(Put, 9, le32(3) + "A"), makeFrame(Refuse, 9, "\x03"), makeFrame(End, 10)};
    for (const QByteArray &frame : frames) {
        for (qsizetype at = 0; at < frame.size(); at += 200) {
            const QByteArray piece = frame.mid(at, 200);
            stream += char(piece.size()) + char(at ? 80 : 1) + piece; // a long pause now and then
        }
    }
    seed("frames", "exchange", stream);

    seed("cp932", "text", Cp932::encode(QStringLiteral("自動ToDo ｶﾅ ①Ⅻ ∵≒ 髙﨑")));
    seed("cp932", "broken", QByteArray("\x05\x81\x20\xA0\x85\x40\xFC\xFC\x82", 9));

    std::printf("%d seed files in %s\n", written, qPrintable(folder));
    return 0;
}
