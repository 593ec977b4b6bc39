#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/ItemRec.h"

#include <QTest>

namespace {
DateValue ymd(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

std::unique_ptr<TItemRec> makeKind(int kind)
{
    return NewItemOfKind(kind);
}
} // namespace

class TestItemRec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorDefaults();
    void assignCopiesAllButKind();
    void dupObjectKeepsClass();
    void dupObjectRejectsScratchItem();
    void startOrTodayUsesClock();
    void listRow_data();
    void listRow();
    void getters_data();
    void getters();
    void setters_data();
    void setters();
    void monthsRoundTrip();
    void twoDigitYearWindow_data();
    void twoDigitYearWindow();
    void numbers_data();
    void numbers();

private:
    TestEnvironment env;
};

void TestItemRec::constructorDefaults()
{
    TDateItemRec date;
    QCOMPARE(date.Kind, quint8(1));
    QVERIFY(date.HasStart);
    QVERIFY(!date.HasLast);
    QCOMPARE(date.LastDate, ymd(1980, 1, 1));
    QCOMPARE(TOnceItemRec().Kind, quint8(0));
    QVERIFY(!TOnceItemRec().HasStart);
    QCOMPARE(TDayItemRec().Kind, quint8(2));
    QCOMPARE(TIrregularItemRec().Kind, quint8(3));
    TIrregularItemRec irr;
    QCOMPARE(irr.Days[1] + irr.Days[2] + irr.BeforeDays + irr.AfterDays, 0);
    QVERIFY(irr.Title.isEmpty() && irr.MemoText.isEmpty());
}

void TestItemRec::assignCopiesAllButKind()
{
    TOnceItemRec src;
    src.DevState = 2;
    src.DevByte = 200;
    src.DevStamp = 45000.5;
    src.Title = QStringLiteral("件名");
    src.TitleOpt = 2;
    src.TitleDiff = -7;
    src.MemoText = QStringLiteral("a\r\nb");
    src.HasStart = true;
    src.StartDate = ymd(2026, 1, 2);
    src.HasEnd = true;
    src.EndDate = ymd(2026, 1, 9);
    src.SetMonth(3, true);
    src.SetDay(2, 31);
    src.SetWeekday(6, true);
    src.WeekParity = 2;
    src.SetShiftDay(0, true);
    src.ShiftHoliday = true;
    src.ShiftDir = 1;
    src.BeforeDays = 5;
    src.AfterDays = -1;
    src.HasLast = true;
    src.LastDate = ymd(2025, 5, 5);
    src.SetDevWordAt(4, 65535);

    TDayItemRec dst;
    dst.Assign(src);
    QCOMPARE(dst.Kind, quint8(2));
    QCOMPARE(dst.DevState, src.DevState);
    QCOMPARE(dst.DevByte, src.DevByte);
    QCOMPARE(dst.DevStamp, src.DevStamp);
    QCOMPARE(dst.Title, src.Title);
    QCOMPARE(dst.TitleOpt, src.TitleOpt);
    QCOMPARE(dst.TitleDiff, src.TitleDiff);
    QCOMPARE(dst.MemoText, src.MemoText);
    QCOMPARE(dst.HasStart, true);
    QCOMPARE(dst.StartDate, src.StartDate);
    QCOMPARE(dst.HasEnd, true);
    QCOMPARE(dst.EndDate, src.EndDate);
    QVERIFY(dst.Months == src.Months);
    QVERIFY(dst.Days == src.Days);
    QVERIFY(dst.Weekdays == src.Weekdays);
    QCOMPARE(dst.WeekParity, 2);
    QVERIFY(dst.ShiftDays == src.ShiftDays);
    QVERIFY(dst.ShiftHoliday);
    QCOMPARE(dst.ShiftDir, 1);
    QCOMPARE(dst.BeforeDays, 5);
    QCOMPARE(dst.AfterDays, -1);
    QVERIFY(dst.HasLast);
    QCOMPARE(dst.LastDate, src.LastDate);
    QVERIFY(dst.DevWord == src.DevWord);
}

void TestItemRec::dupObjectKeepsClass()
{
    for (int kind = 0; kind <= 3; ++kind) {
        auto item = makeKind(kind);
        item->Title = QStringLiteral("x");
        auto dup = DupObject(*item);
        QVERIFY(dup);
        QCOMPARE(QByteArray(dup->className()), QByteArray(item->className()));
        QCOMPARE(dup->Kind, quint8(kind));
        QVERIFY(dup->Title.isEmpty());
    }
}

void TestItemRec::dupObjectRejectsScratchItem()
{
    ScriptedNotifier notifier;
    TItemRec scratch;
    QVERIFY(!DupObject(scratch));
    QCOMPARE(notifier.messages, QStringList {QStringLiteral("DupObject Error \rType = TItemRec")});
}

void TestItemRec::startOrTodayUsesClock()
{
    TOnceItemRec item;
    QCOMPARE(item.StartOrToday(), ymd(2026, 12, 8));
    item.StartDate = ymd(2020, 2, 2);
    QCOMPARE(item.EndOrStart(), ymd(2020, 2, 2));
    item.HasStart = true;
    QCOMPARE(item.StartOrToday(), ymd(2020, 2, 2));
    item.HasEnd = true;
    item.EndDate = ymd(2020, 3, 3);
    QCOMPARE(item.EndOrStart(), ymd(2020, 3, 3));
}

void TestItemRec::listRow_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("setup");
    QTest::addColumn<QStringList>("texts"); // caption and six sub-texts

    // setup: 0 plain, 1..n variants defined in listRow()
    QTest::newRow("once, no end, option 0")
        << 0 << 1 << QStringList {"T", " ", "一度・期間", "2001年02月03日", "0", "0", " "};
    QTest::newRow("once with end, month diff 0")
        << 0 << 2
        << QStringList {"T", "0月", "一度・期間", "2001年02月03日-2001年02月10日", "1", "済まで", "2001年02月03日"};
    QTest::newRow("once without start shows today")
        << 0 << 0 << QStringList {"T", " ", "一度・期間", "2026年12月08日", "0", "0", " "};
    QTest::newRow("date: odd months, 1 and end")
        << 1 << 3 << QStringList {"T", "+3月", "月日指定", "奇数月1,末日", "0", "0", " "};
    QTest::newRow("date: no months, no days") << 1 << 0 << QStringList {"T", " ", "月日指定", "月日", "0", "0", " "};
    QTest::newRow("day: every week mon wed")
        << 2 << 4 << QStringList {"T", "-2日", "曜日指定", "毎週月,水曜日", "0", "0", " "};
    QTest::newRow("day: parity out of range")
        << 2 << 5 << QStringList {"T", "/Vmag", "曜日指定", "？？曜日", "0", "0", " "};
    QTest::newRow("irregular without start") << 3 << 0 << QStringList {"T", " ", "不定期", " ", "", "", " "};
    QTest::newRow("irregular with start, volume")
        << 3 << 6 << QStringList {"T", "5巻", "不定期", "2001年02月03日", "2", "3", " "};
    QTest::newRow("option above 4") << 0 << 7 << QStringList {"T", " ", "一度・期間", "2001年02月03日", "0", "0", " "};
}

void TestItemRec::listRow()
{
    QFETCH(int, kind);
    QFETCH(int, setup);
    QFETCH(QStringList, texts);
    auto item = makeKind(kind);
    item->Title = QStringLiteral("T");
    switch (setup) {
    case 1:
        item->HasStart = true;
        item->StartDate = ymd(2001, 2, 3);
        break;
    case 2:
        item->HasStart = true;
        item->StartDate = ymd(2001, 2, 3);
        item->HasEnd = true;
        item->EndDate = ymd(2001, 2, 10);
        item->TitleOpt = 1;
        item->BeforeDays = 1;
        item->AfterDays = -1;
        item->HasLast = true;
        item->LastDate = ymd(2001, 2, 3);
        break;
    case 3:
        for (int m = 1; m <= 11; m += 2)
            item->SetMonth(m, true);
        item->SetDay(1, 1);
        item->SetDay(2, 31);
        item->TitleOpt = 1;
        item->TitleDiff = 3;
        break;
    case 4:
        item->SetWeekday(0, true);
        item->SetWeekday(2, true);
        item->TitleOpt = 2;
        item->TitleDiff = -2;
        break;
    case 5:
        item->WeekParity = 7;
        item->TitleOpt = 3;
        break;
    case 6:
        item->HasStart = true;
        item->StartDate = ymd(2001, 2, 3);
        item->TitleOpt = 4;
        item->TitleDiff = 5;
        item->BeforeDays = 2;
        item->AfterDays = 3;
        break;
    case 7:
        item->HasStart = true;
        item->StartDate = ymd(2001, 2, 3);
        item->TitleOpt = 9;
        break;
    }
    ListRow row;
    row.subItems[2] = QStringLiteral("stale");
    item->FillListItem(row);
    QStringList got {row.caption};
    for (const QString &s : row.subItems)
        got.append(s);
    QCOMPARE(got, texts);
}

// Getter texts: kind, a field setup, then the 16 column texts.
void TestItemRec::getters_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("setup");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("once period") << 0 << 1
                                 << QStringList {"A", "月差", "+0", "m1\r\nm2", "一度・期間", "2001/02/03",
                                        "2001/02/10", "", "", "", "", "", "", "1", "済まで", "2026/01/31"};
    QTest::newRow("date") << 1 << 2
                          << QStringList {"A", "日差", "-4", "", "月日指定", "", "", "1,2月", "5,末日", "", "",
                                 "月,日,祝", "後", "0", "0", ""};
    QTest::newRow("date all months, no holiday")
        << 1 << 3 << QStringList {"A", "巻", "3", "", "月日指定", "", "", "毎月", "日", "", "", "", "前", "0", "0", ""};
    QTest::newRow("day") << 2 << 4
                         << QStringList {"A", "/Vmag", "", "", "曜日指定", "", "", "", "", "偶数週", "土,日曜日", "祝",
                                "前", "0", "0", ""};
    QTest::newRow("irregular no start") << 3 << 0
                                        << QStringList {
                                               "A", "", "", "", "不定期", "", "", "", "", "", "", "", "", "", "", ""};
    QTest::newRow("irregular with start, option 7")
        << 3 << 5 << QStringList {"A", "", "", "", "不定期", "2001/02/03", "", "", "", "", "", "", "", "0", "0", ""};
}

void TestItemRec::getters()
{
    QFETCH(int, kind);
    QFETCH(int, setup);
    QFETCH(QStringList, columns);
    auto it = makeKind(kind);
    it->Title = QStringLiteral("A");
    switch (setup) {
    case 1:
        it->TitleOpt = 1;
        it->MemoText = QStringLiteral("m1\r\nm2");
        it->HasStart = true;
        it->StartDate = ymd(2001, 2, 3);
        it->HasEnd = true;
        it->EndDate = ymd(2001, 2, 10);
        it->BeforeDays = 1;
        it->AfterDays = -1;
        it->HasLast = true;
        it->LastDate = ymd(2026, 1, 31);
        it->ShiftHoliday = true; // kind 0 never shows move targets
        break;
    case 2:
        it->TitleOpt = 2;
        it->TitleDiff = -4;
        it->SetMonth(1, true);
        it->SetMonth(2, true);
        it->SetDay(1, 5);
        it->SetDay(2, 40);
        it->SetShiftDay(0, true);
        it->SetShiftDay(6, true);
        it->ShiftHoliday = true;
        it->ShiftDir = 1;
        break;
    case 3:
        it->TitleOpt = 4;
        it->TitleDiff = 3;
        for (int m = 1; m <= 12; ++m)
            it->SetMonth(m, true);
        break;
    case 4:
        it->TitleOpt = 3;
        it->WeekParity = 2;
        it->SetWeekday(5, true);
        it->SetWeekday(6, true);
        it->SetShiftDay(1, true); // kind 2 shows only the holiday
        it->ShiftHoliday = true;
        break;
    case 5:
        it->TitleOpt = 7;
        it->HasStart = true;
        it->StartDate = ymd(2001, 2, 3);
        break;
    }
    const QStringList got {it->TitleStr(), it->TitleOptStr(), it->TitleDiffStr(), it->MemoStr(), it->KindStr(),
        it->StartStr(), it->EndStr(), it->MonthsStr(), it->DaysStr(), it->WeekStr(), it->WeekdaysStr(), it->ShiftStr(),
        it->ShiftDirStr(), it->BeforeStr(), it->AfterStr(), it->LastStr()};
    QCOMPARE(got, columns);
}

// One setter on a fresh item of kind 1; the fields it must leave.
void TestItemRec::setters_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // a compact dump of the affected fields

    QTest::newRow("opt month") << "TitleOpt"
                               << "月差"
                               << "1";
    QTest::newRow("opt day") << "TitleOpt"
                             << "日差"
                             << "2";
    QTest::newRow("opt month wins over day") << "TitleOpt"
                                             << "月日"
                                             << "1";
    QTest::newRow("opt vmag any case") << "TitleOpt"
                                       << "/VMAG"
                                       << "3";
    QTest::newRow("opt volume") << "TitleOpt"
                                << "巻"
                                << "4";
    QTest::newRow("opt unknown") << "TitleOpt"
                                 << "xyz"
                                 << "0";
    QTest::newRow("diff signed") << "TitleDiff"
                                 << "+12"
                                 << "12";
    QTest::newRow("diff negative") << "TitleDiff"
                                   << "-99"
                                   << "-99";
    QTest::newRow("diff junk") << "TitleDiff"
                               << "3a"
                               << "0";
    QTest::newRow("diff empty") << "TitleDiff"
                                << ""
                                << "0";
    QTest::newRow("start") << "Start"
                           << "2001/02/03"
                           << "1 2001/02/03";
    QTest::newRow("start other separator") << "Start"
                                           << "2001-2-3"
                                           << "1 2001/02/03";
    QTest::newRow("start empty") << "Start"
                                 << ""
                                 << "0";
    QTest::newRow("start bad") << "Start"
                               << "2001/02/30"
                               << "0";
    QTest::newRow("end") << "End"
                         << "2030/12/31"
                         << "1 2030/12/31";
    QTest::newRow("last bad") << "Last"
                              << "tomorrow"
                              << "0";
    QTest::newRow("months every") << "Months"
                                  << "毎月"
                                  << "1,2,3,4,5,6,7,8,9,10,11,12";
    QTest::newRow("months odd") << "Months"
                                << "奇数月"
                                << "1,3,5,7,9,11";
    QTest::newRow("months even") << "Months"
                                 << "偶数"
                                 << "2,4,6,8,10,12";
    QTest::newRow("months list") << "Months"
                                 << "1,12月"
                                 << "1,12";
    QTest::newRow("months spaces and quotes") << "Months"
                                              << "3 \"4,5\" 13 0 x"
                                              << "3";
    QTest::newRow("months spaced commas") << "Months"
                                          << " 3 , 4 ,5月"
                                          << "3,4,5";
    QTest::newRow("months none") << "Months"
                                 << "月"
                                 << "";
    QTest::newRow("days two of three") << "Days"
                                       << "5,10,20日"
                                       << "5 10";
    QTest::newRow("days end") << "Days"
                              << "1,末日"
                              << "1 31";
    QTest::newRow("days end first") << "Days"
                                    << "末,0,15"
                                    << "31 15";
    QTest::newRow("days ignore junk") << "Days"
                                      << "x,32,7"
                                      << "7 0";
    QTest::newRow("week odd") << "Week"
                              << "奇数週"
                              << "1";
    QTest::newRow("week even") << "Week"
                               << "偶数週"
                               << "2";
    QTest::newRow("week every") << "Week"
                                << "毎週"
                                << "0";
    QTest::newRow("weekdays sunday only") << "Weekdays"
                                          << "日曜日"
                                          << "6";
    QTest::newRow("weekdays list") << "Weekdays"
                                   << "月,水,金曜日"
                                   << "0,2,4";
    QTest::newRow("shift monday keeps sunday") << "Shift"
                                               << "月曜日"
                                               << "0,6";
    QTest::newRow("shift holiday") << "Shift"
                                   << "土,祝"
                                   << "5,h";
    QTest::newRow("shift festival") << "Shift"
                                    << "祭日"
                                    << "6,h";
    QTest::newRow("dir after") << "ShiftDir"
                               << "後"
                               << "1";
    QTest::newRow("dir other") << "ShiftDir"
                               << "あと"
                               << "0";
    QTest::newRow("before") << "Before"
                            << "7"
                            << "7";
    QTest::newRow("after done") << "After"
                                << "済"
                                << "-1";
    QTest::newRow("after done text") << "After"
                                     << "未済まで"
                                     << "-1";
    QTest::newRow("after number") << "After"
                                  << "12"
                                  << "12";
}

void TestItemRec::setters()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    TDateItemRec it;
    it.StartDate = ymd(1999, 9, 9);
    auto flagDate = [](bool flag, DateValue d) {
        return flag ? QStringLiteral("1 ") + DateValueToQDate(d).toString(QStringLiteral("yyyy/MM/dd"))
                    : QStringLiteral("0");
    };
    QString got;
    if (column == u"TitleOpt") {
        it.SetTitleOptStr(text);
        got = QString::number(it.TitleOpt);
    } else if (column == u"TitleDiff") {
        it.SetTitleDiffStr(text);
        got = QString::number(it.TitleDiff);
    } else if (column == u"Start") {
        it.SetStartStr(text);
        got = flagDate(it.HasStart, it.StartDate);
        if (!it.HasStart)
            QCOMPARE(it.StartDate, ymd(1999, 9, 9)); // left unchanged
    } else if (column == u"End") {
        it.SetEndStr(text);
        got = flagDate(it.HasEnd, it.EndDate);
    } else if (column == u"Last") {
        it.HasLast = true;
        it.SetLastStr(text);
        got = flagDate(it.HasLast, it.LastDate);
    } else if (column == u"Months") {
        it.SetMonth(6, true);
        it.SetMonthsStr(text);
        QStringList set;
        for (int m = 1; m <= 12; ++m)
            if (it.Month(m))
                set.append(QString::number(m));
        got = set.join(u',');
    } else if (column == u"Days") {
        it.SetDay(1, 9);
        it.SetDay(2, 9);
        it.SetDaysStr(text);
        got = QStringLiteral("%1 %2").arg(it.Days[1]).arg(it.Days[2]);
    } else if (column == u"Week") {
        it.WeekParity = 1;
        it.SetWeekStr(text);
        got = QString::number(it.WeekParity);
    } else if (column == u"Weekdays" || column == u"Shift") {
        const bool shift = column == u"Shift";
        if (shift)
            it.SetShiftStr(text);
        else
            it.SetWeekdaysStr(text);
        QStringList set;
        for (int d = 0; d <= 6; ++d)
            if (shift ? it.ShiftDay(d) : it.Weekday(d))
                set.append(QString::number(d));
        if (shift && it.ShiftHoliday)
            set.append(QStringLiteral("h"));
        got = set.join(u',');
    } else if (column == u"ShiftDir") {
        it.SetShiftDirStr(text);
        got = QString::number(it.ShiftDir);
    } else if (column == u"Before") {
        it.SetBeforeStr(text);
        got = QString::number(it.BeforeDays);
    } else if (column == u"After") {
        it.SetAfterStr(text);
        got = QString::number(it.AfterDays);
    }
    QCOMPARE(got, expected);
}

void TestItemRec::monthsRoundTrip()
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

void TestItemRec::twoDigitYearWindow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    // The clock stands at 2026: two-digit years fall in 1976..2075.
    QTest::newRow("26") << "26/12/08"
                        << "2026/12/08";
    QTest::newRow("75") << "75/01/01"
                        << "2075/01/01";
    QTest::newRow("76") << "76/01/01"
                        << "1976/01/01";
    QTest::newRow("99") << "99/3/4"
                        << "1999/03/04";
    QTest::newRow("month and day only") << "3/4"
                                        << "2026/03/04";
}

void TestItemRec::twoDigitYearWindow()
{
    QFETCH(QString, text);
    QFETCH(QString, date);
    TIrregularItemRec it;
    it.SetStartStr(text);
    QVERIFY(it.HasStart);
    QCOMPARE(it.StartStr(), date);
}

void TestItemRec::numbers_data()
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

void TestItemRec::numbers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToIntDef0(text), value);
}

QTEST_GUILESS_MAIN(TestItemRec)
#include "tst_itemrec.moc"
