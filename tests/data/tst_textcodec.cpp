#include "data/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestTextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesKnownCharacters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("abc 123\r\n") << QStringLiteral("abc 123\r\n");
        QTest::newRow("hiragana") << QByteArray("\x82\xa0\x82\xa2") << QStringLiteral("あい");
        QTest::newRow("kanji and ascii") << QByteArray("\x8e\xa9\x93\xae"
                                                       "ToDo")
                                         << QStringLiteral("自動ToDo");
        QTest::newRow("halfwidth katakana") << QByteArray("\xc4\xcb\xdf") << QStringLiteral("ﾄﾋﾟ");
        QTest::newRow("wave dash") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
        QTest::newRow("minus") << QByteArray("\x81\x7c") << QStringLiteral("\uFF0D");
        QTest::newRow("nec circled one") << QByteArray("\x87\x40") << QStringLiteral("①");
        QTest::newRow("trail byte 0x5c") << QByteArray("\x95\x5c") << QStringLiteral("表");
    }

    void decodesKnownCharacters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp932::decode(bytes), text);
        QCOMPARE(Cp932::encode(text), bytes);
        QCOMPARE(Cp932::byteLength(text), bytes.size());
        QVERIFY(Cp932::canEncode(text));
    }

    // The built-in tables say what the platform's converter says, for every
    // double-byte code it assigns.
    void agreesWithPlatformConverter()
    {
        QStringDecoder dec("windows-31j", QStringDecoder::Flag::Stateless);
        QStringEncoder enc("windows-31j", QStringEncoder::Flag::Stateless);
        QVERIFY(dec.isValid() && enc.isValid());
        int assigned = 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC && Cp932::isLeadByte(lead); ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                const QString expected = dec.decode(QByteArrayView(pair, 2));
                if (trail == 0x7F || expected.size() != 1 || expected.at(0) == QChar::ReplacementCharacter)
                    continue;
                ++assigned;
                const QByteArray back = enc.encode(expected);
                if (Cp932::decode(QByteArrayView(pair, 2)) != expected || Cp932::encode(expected) != back)
                    QFAIL(qPrintable(QStringLiteral("code %1").arg(lead << 8 | trail, 4, 16)));
            }
        }
        QVERIFY(assigned > 7000);
    }

    // Bytes that are not valid code page 932 decode to characters that
    // encode back to the same bytes.
    void invalidBytesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("lead byte cut off") << QByteArray("ab\x82");
        QTest::newRow("lead before ascii control") << QByteArray("\x82\x0a"
                                                                 "x");
        QTest::newRow("undefined single bytes") << QByteArray("\x80\xa0\xfd\xfe\xff");
        QTest::newRow("unassigned double byte") << QByteArray("\x85\x40\x85\x9f");
        QTest::newRow("mixed") << QByteArray("\x82\xa0\xff\x82\xa2\x81");
    }

    void invalidBytesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        const QString text = Cp932::decode(bytes);
        QCOMPARE(Cp932::encode(text), bytes);
        QCOMPARE(Cp932::byteLength(text), bytes.size());
        QVERIFY(Cp932::canEncode(text));
    }

    void truncateNeverSplitsCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << QStringLiteral("abc") << 3 << QStringLiteral("abc");
        QTest::newRow("ascii cut") << QStringLiteral("abcdef") << 4 << QStringLiteral("abcd");
        QTest::newRow("double byte on the edge") << QStringLiteral("aあい") << 4 << QStringLiteral("aあ");
        QTest::newRow("double byte would split") << QStringLiteral("あいう") << 5 << QStringLiteral("あい");
        QTest::newRow("zero") << QStringLiteral("あ") << 0 << QString();
    }

    void truncateNeverSplitsCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QCOMPARE(Cp932::truncate(text, limit), expected);
        QCOMPARE(Cp932::truncateBytes(Cp932::encode(text), limit), Cp932::encode(expected));
    }

    // What input methods here type for "～", "∥", "－", "￠", "￡", "￢" and
    // "―" is stored as the Windows code of the same JIS character.
    void jisVariantsStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        auto row = [](char16_t typed, const char *bytes, char16_t readBack) {
            QTest::addRow("U+%04X", unsigned(typed))
                << QString(QChar(typed)) << QByteArray(bytes) << QString(QChar(readBack));
        };
        row(0x301C, "\x81\x60", 0xFF5E);
        row(0x2016, "\x81\x61", 0x2225);
        row(0x2212, "\x81\x7C", 0xFF0D);
        row(0x00A2, "\x81\x91", 0xFFE0);
        row(0x00A3, "\x81\x92", 0xFFE1);
        row(0x00AC, "\x81\xCA", 0xFFE2);
        row(0x2014, "\x81\x5C", 0x2015);
    }
    void jisVariantsStored()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, readBack);
        QVERIFY(Cp932::canEncode(typed));
        QCOMPARE(Cp932::byteLength(typed), 2);
        QCOMPARE(Cp932::encode(QStringLiteral("10時") + typed), "10\x8E\x9E" + bytes);
        QCOMPARE(Cp932::decode(bytes), readBack);
        QCOMPARE(Cp932::encode(readBack), bytes);
    }

    void unencodableCharacters()
    {
        QVERIFY(!Cp932::canEncode(u"😀"));
        QVERIFY(!Cp932::canEncode(u"한국"));
        QCOMPARE(Cp932::encode(u"a한b"), QByteArray("a?b"));
    }
};

QTEST_APPLESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
