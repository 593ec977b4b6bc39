#include "DataFixtures.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"

#include <QTest>

class TestItemRec : public QObject
{
    Q_OBJECT

    TestEnvironment env;

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("className");
        QTest::addColumn<QString>("fresh");
        const QString rest
            = QStringLiteral(" e-1899/12/30 l-1980/01/01 M000000000000 D0,0 W0000000 P0 X0000000- R0 b0 a0 o0 "
                             "d0 v0,0,0,0");
        QTest::newRow("once") << 0 << QByteArray("TOnceItemRec") << "K0 S0 B0 T0 [] {} s-1899/12/30" + rest;
        QTest::newRow("date") << 1 << QByteArray("TDateItemRec") << "K1 S0 B0 T0 [] {} s+1899/12/30" + rest;
        QTest::newRow("day") << 2 << QByteArray("TDayItemRec") << "K2 S0 B0 T0 [] {} s-1899/12/30" + rest;
        QTest::newRow("irregular") << 3 << QByteArray("TIrregularItemRec") << "K3 S0 B0 T0 [] {} s-1899/12/30" + rest;
    }

    // Each kind's defaults; DupObject makes a fresh item of the same class.
    void kinds()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, className);
        QFETCH(QString, fresh);
        auto item = NewItemOfKind(kind);
        QCOMPARE(QByteArray(item->className()), className);
        QCOMPARE(Dump(*item), fresh);
        item->Title = QStringLiteral("x");
        auto dup = DupObject(*item);
        QVERIFY(dup);
        QCOMPARE(QByteArray(dup->className()), className);
        QCOMPARE(Dump(*dup), fresh);
    }

    void dupObjectRejectsScratchItem()
    {
        ScriptedNotifier notifier;
        TItemRec scratch;
        QVERIFY(!DupObject(scratch));
        QCOMPARE(notifier.messages, QStringList {QStringLiteral("DupObject Error \rType = TItemRec")});
    }

    void assignCopiesAllButKind()
    {
        auto src = MakeItem(0,
            QStringLiteral(
                "t=件名 m=a\r\nb opt=2 diff=-7 s=2026/01/02 e=2026/01/09 l=2025/05/05 mon=3 d=5,31 wd=6 wp=2 "
                "sh=0,h dir=1 b=5 a=-1"));
        src->DevState = 2;
        src->DevByte = 200;
        src->DevStamp = 45000.5;
        src->SetDevWordAt(4, 65535);
        TDayItemRec dst;
        dst.Assign(*src);
        QStringList copied = DumpFields(dst), original = DumpFields(*src);
        QCOMPARE(copied.takeFirst(), QStringLiteral("K2"));
        original.removeFirst();
        QCOMPARE(copied, original);
    }

    void startOrTodayUsesClock()
    {
        TOnceItemRec item;
        QCOMPARE(item.StartOrToday(), EncodeDate(2026, 12, 8));
        item.StartDate = EncodeDate(2020, 2, 2);
        QCOMPARE(item.EndOrStart(), EncodeDate(2020, 2, 2));
        item.HasStart = true;
        QCOMPARE(item.StartOrToday(), EncodeDate(2020, 2, 2));
        item.HasEnd = true;
        item.EndDate = EncodeDate(2020, 3, 3);
        QCOMPARE(item.EndOrStart(), EncodeDate(2020, 3, 3));
    }

    void listRow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("texts"); // caption and six sub-texts
        auto row = [](const char *name, int kind, const char *fields, const char *expected) {
            QTest::newRow(name) << kind << QString::fromUtf8(fields) << QString::fromUtf8(expected);
        };
        row("once, no end", 0, "s=2001/02/03", "T| |一度・期間|2001年02月03日|0|0| ");
        row("once with end, month diff 0", 0, "s=2001/02/03 e=2001/02/10 opt=1 b=1 a=-1 l=2001/02/03",
            "T|0月|一度・期間|2001年02月03日-2001年02月10日|1|済まで|2001年02月03日");
        row("once without start shows today", 0, "", "T| |一度・期間|2026年12月08日|0|0| ");
        row("date: odd months, 1 and end", 1, "mon=1,3,5,7,9,11 d=1,31 opt=1 diff=3",
            "T|+3月|月日指定|奇数月1,末日|0|0| ");
        row("date: no months, no days", 1, "", "T| |月日指定|月日|0|0| ");
        row("day: every week mon wed", 2, "wd=0,2 opt=2 diff=-2", "T|-2日|曜日指定|毎週月,水曜日|0|0| ");
        row("day: parity out of range", 2, "wp=7 opt=3", "T|/Vmag|曜日指定|？？曜日|0|0| ");
        row("irregular without start", 3, "", "T| |不定期| ||| ");
        row("irregular with start, volume", 3, "s=2001/02/03 opt=4 diff=5 b=2 a=3",
            "T|5巻|不定期|2001年02月03日|2|3| ");
        row("option above 4", 0, "s=2001/02/03 opt=9", "T| |一度・期間|2001年02月03日|0|0| ");
    }

    void listRow()
    {
        QFETCH(int, kind);
        QFETCH(QString, fields);
        QFETCH(QString, texts);
        auto item = MakeItem(kind, "t=T " + fields);
        ListRow row;
        row.subItems[2] = QStringLiteral("stale");
        item->FillListItem(row);
        QStringList got {row.caption};
        for (const QString &s : row.subItems)
            got.append(s);
        QCOMPARE(got.join(u'|'), texts);
    }

    // The 16 column texts, in CSV order.
    void getters_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("columns");
        auto row = [](const char *name, int kind, const char *fields, const char *expected) {
            QTest::newRow(name) << kind << QString::fromUtf8(fields) << QString::fromUtf8(expected);
        };
        // Kind 0 never shows move targets.
        row("once period", 0, "opt=1 m=m1\r\nm2 s=2001/02/03 e=2001/02/10 b=1 a=-1 l=2026/01/31 sh=h",
            "T|月差|+0|m1\r\nm2|一度・期間|2001/02/03|2001/02/10|||||||1|済まで|2026/01/31");
        row("date", 1, "opt=2 diff=-4 mon=1,2 d=5,40 sh=0,6,h dir=1",
            "T|日差|-4||月日指定|||1,2月|5,末日|||月,日,祝|後|0|0|");
        row("date all months, no holiday", 1, "opt=4 diff=3 mon=1,2,3,4,5,6,7,8,9,10,11,12",
            "T|巻|3||月日指定|||毎月|日||||前|0|0|");
        // Kind 2 shows only the holiday as move target.
        row("day", 2, "opt=3 wp=2 wd=5,6 sh=1,h", "T|/Vmag|||曜日指定|||||偶数週|土,日曜日|祝|前|0|0|");
        row("irregular no start", 3, "", "T||||不定期|||||||||||");
        row("irregular with start, option 7", 3, "opt=7 s=2001/02/03", "T||||不定期|2001/02/03||||||||0|0|");
    }

    void getters()
    {
        QFETCH(int, kind);
        QFETCH(QString, fields);
        QFETCH(QString, columns);
        auto it = MakeItem(kind, "t=T " + fields);
        const QStringList got {it->TitleStr(), it->TitleOptStr(), it->TitleDiffStr(), it->MemoStr(), it->KindStr(),
            it->StartStr(), it->EndStr(), it->MonthsStr(), it->DaysStr(), it->WeekStr(), it->WeekdaysStr(),
            it->ShiftStr(), it->ShiftDirStr(), it->BeforeStr(), it->AfterStr(), it->LastStr()};
        QCOMPARE(got.join(u'|'), columns);
    }

    // One setter on a month-day item; `changed` lists the dump fields that differ
    // afterwards, so a setter that touches anything else fails too.
    void setters_data()
    {
        QTest::addColumn<QString>("setter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("changed");
        auto row = [](const char *name, const char *setter, const char *text, const char *changed) {
            QTest::newRow(name) << QString::fromUtf8(setter) << QString::fromUtf8(text) << QString::fromUtf8(changed);
        };
        row("opt month", "TitleOpt", "月差", "o1");
        row("opt day", "TitleOpt", "日差", "o2");
        row("opt month wins over day", "TitleOpt", "月日", "o1");
        row("opt vmag any case", "TitleOpt", "/VMAG", "");
        row("opt volume", "TitleOpt", "巻", "o4");
        row("opt unknown", "TitleOpt", "xyz", "o0");
        row("diff signed", "TitleDiff", "+12", "d12");
        row("diff negative", "TitleDiff", "-99", "d-99");
        row("diff junk", "TitleDiff", "3a", "d0");
        row("diff empty", "TitleDiff", "", "d0");
        row("start", "Start", "2001/02/03", "s+2001/02/03");
        row("start other separator", "Start", "2001-2-3", "s+2001/02/03");
        row("start empty", "Start", "", "s-1999/09/09");
        row("start bad", "Start", "2001/02/30", "s-1999/09/09");
        row("start two-digit year, late", "Start", "75/01/01", "s+2075/01/01"); // the clock stands at 2026
        row("start two-digit year, early", "Start", "76/1/1", "s+1976/01/01");
        row("start month and day", "Start", "3/4", "s+2026/03/04");
        row("end", "End", "2030/12/31", "e+2030/12/31");
        row("last bad", "Last", "tomorrow", "l-1980/01/01");
        row("months every", "Months", "毎月", "M111111111111");
        row("months odd", "Months", "奇数月", "M101010101010");
        row("months even", "Months", "偶数", "M010101010101");
        row("months list", "Months", "1,12月", "M100000000001");
        row("months spaces and quotes", "Months", "3 \"4,5\" 13 0 x", "M001000000000");
        row("months spaced commas", "Months", " 3 , 4 ,5月", "M001110000000");
        row("months none", "Months", "月", "M000000000000");
        row("days two of three", "Days", "5,10,20日", "D5,10");
        row("days end", "Days", "1,末日", "D1,31");
        row("days end first", "Days", "末,0,15", "D31,15");
        row("days ignore junk", "Days", "x,32,7", "D7,0");
        row("week odd", "Week", "奇数週", "");
        row("week even", "Week", "偶数週", "P2");
        row("week every", "Week", "毎週", "P0");
        row("weekdays sunday only", "Weekdays", "日曜日", "W0000001");
        row("weekdays list", "Weekdays", "月,水,金曜日", "W1010100");
        row("shift monday keeps sunday", "Shift", "月曜日", "X1000001-");
        row("shift holiday", "Shift", "土,祝", "X0000010h");
        row("shift festival", "Shift", "祭日", "X0000001h");
        row("dir after", "ShiftDir", "後", "R1");
        row("dir other", "ShiftDir", "あと", "");
        row("before", "Before", "7", "b7");
        row("after done", "After", "済", "a-1");
        row("after done text", "After", "未済まで", "a-1");
        row("after number", "After", "12", "a12");
    }

    void setters()
    {
        QFETCH(QString, setter);
        QFETCH(QString, text);
        QFETCH(QString, changed);
        using Setter = void (TItemRec::*)(const QString &);
        const QHash<QString, Setter> setters {{"TitleOpt", &TItemRec::SetTitleOptStr},
            {"TitleDiff", &TItemRec::SetTitleDiffStr}, {"Start", &TItemRec::SetStartStr}, {"End", &TItemRec::SetEndStr},
            {"Last", &TItemRec::SetLastStr}, {"Months", &TItemRec::SetMonthsStr}, {"Days", &TItemRec::SetDaysStr},
            {"Week", &TItemRec::SetWeekStr}, {"Weekdays", &TItemRec::SetWeekdaysStr}, {"Shift", &TItemRec::SetShiftStr},
            {"ShiftDir", &TItemRec::SetShiftDirStr}, {"Before", &TItemRec::SetBeforeStr},
            {"After", &TItemRec::SetAfterStr}};
        auto it = MakeItem(1, QStringLiteral("opt=3 diff=5 s=1999/09/09 l=1980/01/01 mon=6 d=9,9 wp=1"));
        const QStringList before = DumpFields(*it);
        (it.get()->*setters.value(setter))(text);
        const QStringList after = DumpFields(*it);
        QStringList got;
        for (int i = 0; i < after.size(); ++i)
            if (after[i] != before[i])
                got.append(after[i]);
        QCOMPARE(got.join(u' '), changed);
    }

    void monthsRoundTrip()
    {
        // Every subset of months reads back as written.
        for (int mask = 0; mask < (1 << 12); mask += 7) {
            TDateItemRec a, b;
            for (int m = 1; m <= 12; ++m)
                a.SetMonth(m, mask >> (m - 1) & 1);
            b.SetMonthsStr(a.MonthsStr());
            QVERIFY2(a.Months == b.Months, qPrintable(a.MonthsStr()));
        }
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("plus") << "+42" << 42;
        QTest::newRow("minus") << "-42" << -42;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("space") << " 4" << 0;
        QTest::newRow("max") << "2147483647" << 2147483647;
        QTest::newRow("min") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("overflow") << "2147483648" << 0;
        QTest::newRow("huge") << "99999999999999999999999" << 0;
        QTest::newRow("full-width digit") << "４" << 0;
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(StrToIntDef0(text), value);
    }
};

QTEST_GUILESS_MAIN(TestItemRec)
#include "tst_itemrec.moc"
