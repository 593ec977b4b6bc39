#include "../data/DataFixtures.h"
#include "calendar/HolidayRules.h"
#include "data/Data.h"
#include "schedule/ICalendarWriter.h"
#include "schedule/Schedule.h"
#include "settings/AppSettings.h"

#include <QtTest>

namespace {

int dayOf(const QString &isoDate)
{
    return int(QDateToDateValue(QDate::fromString(isoDate, Qt::ISODate)));
}

// The content lines of a file, unfolded.
QStringList unfold(const QByteArray &bytes)
{
    QByteArray joined = bytes;
    joined.replace("\r\n ", "");
    QStringList lines = QString::fromUtf8(joined).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestICalendarWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapeText_data();
    void escapeText();
    void foldLine_data();
    void foldLine();
    void fileFrame();
    void stableUids();
    void seriesLines();

private:
    QByteArray exportOf(TData &data, const QString &from, const QString &to)
    {
        ScheduleEvaluator evaluator(rules);
        ICalendarWriter writer(evaluator);
        writer.setStamp(QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3), Qt::UTC));
        return writer.write(data, dayOf(from), dayOf(to));
    }

    HolidayRules rules;
};

void TestICalendarWriter::escapeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");

    QTest::newRow("plain") << "会議 at 10"
                           << "会議 at 10";
    QTest::newRow("comma") << "a,b"
                           << "a\\,b";
    QTest::newRow("semicolon") << "a;b"
                               << "a\\;b";
    QTest::newRow("backslash") << "C:\\x\\"
                               << "C:\\\\x\\\\";
    QTest::newRow("backslash n stays two characters") << "\\n"
                                                      << "\\\\n";
    QTest::newRow("CR LF") << "1\r\n2"
                           << "1\\n2";
    QTest::newRow("LF") << "1\n2"
                        << "1\\n2";
    QTest::newRow("lone CR") << "1\r2"
                             << "1\\n2";
    QTest::newRow("empty lines kept") << "1\r\n\r\n2\r\n"
                                      << "1\\n\\n2\\n";
    QTest::newRow("tab kept") << "a\tb"
                              << "a\tb";
    QTest::newRow("other control characters left out") << QString("a\x01\x1b"
                                                                  "b\x7f")
                                                       << "ab";
    QTest::newRow("colon and quote need nothing") << "a:\"b\""
                                                  << "a:\"b\"";
}

void TestICalendarWriter::escapeText()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(ICalendarWriter::escapeText(text), escaped);
}

void TestICalendarWriter::foldLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("physicalLines");

    QTest::newRow("short") << "SUMMARY:x" << 1;
    QTest::newRow("75 octets") << "X:" + QString(73, u'a') << 1;
    QTest::newRow("76 octets") << "X:" + QString(74, u'a') << 2;
    // 2 + 24 * 3 = 74: the 25th character would end at 77.
    QTest::newRow("three-byte characters") << "X:" + QString(30, QChar(0x3042)) << 2;
    QTest::newRow("two-byte characters") << "X:" + QString(80, QChar(0x00E9)) << 3;
    QTest::newRow("four-byte characters") << "X:" + QString("🌊").repeated(40) << 3;
    QTest::newRow("mixed at the boundary") << "X:a" + QString("あé🌊").repeated(30) << 4;
    QTest::newRow("long") << "DESCRIPTION:" + QString(1000, u'z') << 14;
}

void TestICalendarWriter::foldLine()
{
    QFETCH(QString, line);
    QFETCH(int, physicalLines);

    const QByteArray folded = ICalendarWriter::foldLine(line);
    QVERIFY(folded.endsWith("\r\n"));
    const QList<QByteArray> parts = folded.chopped(2).split('\n');
    QCOMPARE(parts.size(), physicalLines);
    QByteArray joined;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QByteArray part = parts[i];
        if (i + 1 < parts.size()) {
            QVERIFY(part.endsWith('\r'));
            part.chop(1);
        }
        QVERIFY2(part.size() <= 75, part.constData());
        if (i > 0) {
            QVERIFY(part.startsWith(' '));
            part.remove(0, 1);
            // No character is cut: a continuation never starts with a
            // UTF-8 trailing byte, and each part is valid UTF-8 on its own.
            QVERIFY((static_cast<unsigned char>(part[0]) & 0xC0) != 0x80);
        }
        QVERIFY(QString::fromUtf8(part).toUtf8() == part);
        // Folding only where the next character would not fit.
        if (i + 1 < parts.size()) {
            const QByteArray next = parts[i + 1].mid(1);
            const auto lead = static_cast<unsigned char>(next[0]);
            const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            QVERIFY(part.size() + (i > 0 ? 1 : 0) + length > 75);
        }
        joined += part;
    }
    QCOMPARE(QString::fromUtf8(joined), line);
}

void TestICalendarWriter::fileFrame()
{
    TData data(Settings());
    data.append(MakeItem(0, QStringLiteral("t=a s=2026/03/10")));
    const QByteArray bytes = exportOf(data, "2026-01-01", "2026-12-31");
    QVERIFY(!bytes.contains("\r\r"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    const QStringList lines = unfold(bytes);
    QCOMPARE(lines.first(), QStringLiteral("BEGIN:VCALENDAR"));
    QCOMPARE(lines.last(), QStringLiteral("END:VCALENDAR"));
    QVERIFY(lines.contains(QStringLiteral("VERSION:2.0")));
    QVERIFY(lines.filter(QRegularExpression("^PRODID:-//Tidemark//")).size() == 1);
    QVERIFY(lines.contains(QStringLiteral("BEGIN:VEVENT")));
    QVERIFY(lines.contains(QStringLiteral("DTSTAMP:20261208T010203Z")));
    QVERIFY(lines.contains(QStringLiteral("DTSTART;VALUE=DATE:20260310")));
    QVERIFY(lines.contains(QStringLiteral("DTEND;VALUE=DATE:20260311")));
    QVERIFY(lines.contains(QStringLiteral("SUMMARY:a")));
    // Only days: no time zone is needed.
    QVERIFY(!bytes.contains("VTIMEZONE"));

    // A period that runs to the last day a date can have still ends in a
    // four-digit year.
    TData endless(Settings());
    endless.append(MakeItem(0, QStringLiteral("t=a s=2026/03/10 e=9999/12/31")));
    QVERIFY(
        unfold(exportOf(endless, "2026-01-01", "2026-12-31")).contains(QStringLiteral("DTEND;VALUE=DATE:99991231")));

    TData empty(Settings());
    QCOMPARE(unfold(exportOf(empty, "2026-01-01", "2026-12-31")),
        QStringList({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Tidemark//Tidemark//JA", "CALSCALE:GREGORIAN",
            "END:VCALENDAR"}));
}

void TestICalendarWriter::stableUids()
{
    const auto uidOf = [](const TItemRec &item, int index) { return ICalendarWriter::itemUid(item, index); };
    const auto a = MakeItem(1, QStringLiteral("t=rent mon=1,2,3 d=25,0 m=memo b=3"));
    const auto same = MakeItem(1, QStringLiteral("t=rent mon=1,2,3 d=25,0 m=memo b=3"));
    QCOMPARE(uidOf(*a, 0), uidOf(*same, 0));
    QVERIFY(uidOf(*a, 0).endsWith(QStringLiteral("@tidemark")));
    QVERIFY(uidOf(*a, 0) != uidOf(*a, 1));

    // A new memo, other shown days or what the device records keep the event.
    auto edited = MakeItem(1, QStringLiteral("t=rent mon=1,2,3 d=25,0 m=other b=5 a=-1 l=2026/01/25"));
    edited->DevState = 2;
    edited->DevWord[1] = 7;
    QCOMPARE(uidOf(*edited, 0), uidOf(*a, 0));
    // Another title or rule is another event.
    QVERIFY(uidOf(*MakeItem(1, QStringLiteral("t=Rent mon=1,2,3 d=25,0")), 0) != uidOf(*a, 0));
    QVERIFY(uidOf(*MakeItem(1, QStringLiteral("t=rent mon=1,2,3 d=26,0")), 0) != uidOf(*a, 0));
    QVERIFY(uidOf(*MakeItem(1, QStringLiteral("t=rent mon=1,2,3 d=25,0 sh=h")), 0) != uidOf(*a, 0));

    // The whole file twice: the same UIDs.
    TData data(Settings());
    data.append(MakeItem(2, QStringLiteral("t=x wd=0,3 wp=2")));
    const QStringList first = unfold(exportOf(data, "2026-01-01", "2026-03-31")).filter(QRegularExpression("^UID:"));
    const QStringList second = unfold(exportOf(data, "2026-02-01", "2026-04-30")).filter(QRegularExpression("^UID:"));
    QCOMPARE(first.size(), 2);
    QCOMPARE(first, second);
    QVERIFY(first[0] != first[1]);
}

void TestICalendarWriter::seriesLines()
{
    TData data(Settings());
    data.append(MakeItem(1, QStringLiteral("t=a mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,10")));
    data.append(MakeItem(1, QStringLiteral("t=b mon=2 d=30,0")));
    data.append(MakeItem(2, QStringLiteral("t=c wd=0,6")));
    data.append(MakeItem(2, QStringLiteral("t=d wd=6 wp=1")));
    const QStringList lines = unfold(exportOf(data, "2026-01-01", "2026-12-31"));
    QVERIFY(lines.contains(QStringLiteral("RRULE:FREQ=MONTHLY;BYMONTHDAY=-1,10;UNTIL=20261231")));
    // RRULE names no 30 February: the day is added by hand.
    QVERIFY(lines.contains(QStringLiteral("DTSTART;VALUE=DATE:20260228")));
    QCOMPARE(lines.filter(QStringLiteral("BYMONTHDAY=30")).size(), 0);
    QVERIFY(lines.contains(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,SU;UNTIL=20261231")));
    QVERIFY(lines.contains(QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=SU;WKST=SU;UNTIL=20261231")));
    // 2026-01-04 is the Sunday of an odd week.
    QVERIFY(lines.contains(QStringLiteral("DTSTART;VALUE=DATE:20260104")));
}

QTEST_GUILESS_MAIN(TestICalendarWriter)
#include "tst_icalendarwriter.moc"
