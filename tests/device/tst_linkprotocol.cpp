#include "device/LinkProtocol.h"

#include <QtTest>

using namespace LinkProtocol;

// Frames as the device-link document lays them out, written byte by byte.
class TestLinkProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void crcCheckValue() { QCOMPARE(crc16("123456789"), quint16(0x29B1)); }

    void frameLayout_data()
    {
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("seq");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("negotiate") << 'N' << 7 << QByteArray("\x01\x04", 2)
                                   << QByteArray::fromHex("014E0702000104AA1D");
        QTest::newRow("ack") << 'A' << 7 << QByteArray("\x01", 1) << QByteArray::fromHex("01410701000109DC");
    }
    void frameLayout()
    {
        QFETCH(char, type);
        QFETCH(int, seq);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, bytes);
        QCOMPARE(makeFrame(type, quint8(seq), payload), bytes);
    }

    void lengthAndCrcAreLittleEndian()
    {
        const QByteArray payload(600, 'z');
        const QByteArray frame = makeFrame(Data, 3, payload);
        QCOMPARE(frame.size(), 5 + 600 + 2);
        QCOMPARE(quint8(frame[3]), quint8(600 & 0xFF));
        QCOMPARE(quint8(frame[4]), quint8(600 >> 8));
        const quint16 crc = crc16(QByteArrayView(frame).sliced(1, 4 + 600));
        QCOMPARE(quint8(frame[605]), quint8(crc & 0xFF));
        QCOMPARE(quint8(frame[606]), quint8(crc >> 8));
        QCOMPARE(readLe32(le32(0x12345678)), 0x12345678u);
        QCOMPARE(le32(0x12345678), QByteArray::fromHex("78563412"));
    }

    void parserSkipsNoiseAndWaitsForWholeFrames()
    {
        FrameParser parser;
        Frame frame;
        const QByteArray good = makeFrame(Size, 9, le32(32032));
        // noise, an SOH with an impossible length, then a frame fed in pieces
        parser.feed(QByteArray::fromHex("FF0002") + QByteArray::fromHex("0144000FFF"));
        parser.feed(good.left(4));
        QCOMPARE(parser.next(frame), FrameParser::NeedMore);
        parser.feed(good.mid(4));
        QCOMPARE(parser.next(frame), FrameParser::Good);
        QCOMPARE(frame.type, Size);
        QCOMPARE(frame.seq, quint8(9));
        QCOMPARE(readLe32(frame.payload), 32032u);
        QCOMPARE(parser.next(frame), FrameParser::NeedMore);
    }

    void damagedFrameIsReportedAndPassed()
    {
        FrameParser parser;
        Frame frame;
        QByteArray bad = makeFrame(Data, 2, "block");
        bad[6] = char(bad[6] ^ 0x40);
        parser.feed(bad + makeFrame(End, 3));
        QCOMPARE(parser.next(frame), FrameParser::Damaged);
        QCOMPARE(frame.type, Data);
        QCOMPARE(frame.seq, quint8(2));
        QCOMPARE(parser.next(frame), FrameParser::Good);
        QCOMPARE(frame.type, End);
    }
};

QTEST_GUILESS_MAIN(TestLinkProtocol)
#include "tst_linkprotocol.moc"
