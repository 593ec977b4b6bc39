#include "calendar/Julius.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "ui/controls/Fonts.h"

#include <QSignalSpy>
#include <QTest>

// The month grid: geometry, navigation, year range, keys, mouse, colours.
class TestMonthlyCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void defaults();
    void february2015Grid_data();
    void february2015Grid();
    void sixWeekRowsWithoutAutoResize();
    void mondayFirst();
    void monthAndYearSteps();
    void partSetters();
    void steps_data();
    void steps();
    void rangePullsCurrentDay();
    void keys_data();
    void keys();
    void mouse();
    void neighbourClick_data();
    void neighbourClick();
    void colours();
    void rulesRedraw();

private:
    static QDate date(const TMonthlyCalendarEx &cal) { return DateValueToQDate(cal.Date()); }
    static QRect cell(const TMonthlyCalendar &cal, int julius);
    static QPoint cellCentre(const TMonthlyCalendar &cal, QDate d);
    static bool cellHas(const TMonthlyCalendar &cal, QDate d, const QColor &color);
    static bool shown(QWidget &w)
    {
        w.show();
        return QTest::qWaitForWindowExposed(&w);
    }
};

void TestMonthlyCalendar::initTestCase()
{
    InstallFontSubstitutes();
}

void TestMonthlyCalendar::init()
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
}

void TestMonthlyCalendar::cleanupTestCase()
{
    Clock::clearFixed();
}

QRect TestMonthlyCalendar::cell(const TMonthlyCalendar &cal, int julius)
{
    const int offset = julius - cal.FirstCellJulius();
    return cal.CellRect(offset % 7, offset / 7 + 1);
}

QPoint TestMonthlyCalendar::cellCentre(const TMonthlyCalendar &cal, QDate d)
{
    return cell(cal, YmdToJulius(d.year(), d.month(), d.day())).center() + cal.contentsRect().topLeft();
}

bool TestMonthlyCalendar::cellHas(const TMonthlyCalendar &cal, QDate d, const QColor &color)
{
    const QRect r = cell(cal, YmdToJulius(d.year(), d.month(), d.day()));
    const QImage img = cal.picture().toImage();
    const qreal ratio = cal.picture().devicePixelRatio();
    for (int y = int(r.top() * ratio); y <= int(r.bottom() * ratio); ++y)
        for (int x = int(r.left() * ratio); x <= int(r.right() * ratio); ++x)
            if (img.pixelColor(x, y).rgb() == color.rgb())
                return true;
    return false;
}

void TestMonthlyCalendar::defaults()
{
    TMonthlyCalendarEx cal;
    QCOMPARE(cal.size(), QSize(153, 101));
    QVERIFY(cal.NeighborJump());
    QCOMPARE(cal.HolidayList(), DefaultHolidayLines());
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2026, 12, 8));
    QCOMPARE(cal.Date(), Clock::todayValue());
    QCOMPARE(cal.focusPolicy(), Qt::StrongFocus);
    TMonthlyCalendar plain;
    QVERIFY(plain.HolidayList().isEmpty());
    QVERIFY(!plain.ShowNeighbor());
    QCOMPARE(plain.DayOfWeekBkColor(), QColor(0x00, 0x00, 0x80));
}

void TestMonthlyCalendar::february2015Grid_data()
{
    QTest::addColumn<bool>("firstRowFirstDay");
    QTest::addColumn<bool>("lastRowLastDay");
    QTest::addColumn<QDate>("firstCell");
    QTest::addColumn<int>("rows");
    QTest::newRow("both off") << false << false << QDate(2015, 1, 25) << 7;
    QTest::newRow("both on") << true << true << QDate(2015, 2, 1) << 5;
    QTest::newRow("first row only") << true << false << QDate(2015, 2, 1) << 6;
    QTest::newRow("last row only") << false << true << QDate(2015, 1, 25) << 6;
}

void TestMonthlyCalendar::february2015Grid()
{
    QFETCH(bool, firstRowFirstDay);
    QFETCH(bool, lastRowLastDay);
    QFETCH(QDate, firstCell);
    TMonthlyCalendar cal;
    cal.SelectDate(2015, 2, 10);
    cal.setFirstRowFirstDay(firstRowFirstDay);
    cal.setLastRowLastDay(lastRowLastDay);
    QCOMPARE(cal.FirstCellJulius(), YmdToJulius(firstCell.year(), firstCell.month(), firstCell.day()));
    QTEST(cal.RowCount(), "rows");
}

void TestMonthlyCalendar::sixWeekRowsWithoutAutoResize()
{
    TMonthlyCalendarEx cal;
    for (bool firstRowFirstDay : {false, true}) {
        cal.setFirstRowFirstDay(firstRowFirstDay);
        for (int month = 1; month <= 12; ++month) {
            cal.SelectDate(2015, month, 1);
            QCOMPARE(cal.RowCount(), 7);
            const int day1 = YmdToJulius(2015, month, 1);
            QVERIFY(firstRowFirstDay ? cal.FirstCellJulius() <= day1 : cal.FirstCellJulius() < day1);
            // The six week rows always reach the month's last day.
            QVERIFY(cal.FirstCellJulius() + 41 >= YmdToJulius(2015, month, JuliusMonthDays(2015, month)));
        }
    }
}

void TestMonthlyCalendar::mondayFirst()
{
    TMonthlyCalendar cal;
    cal.SelectDate(2015, 2, 10);
    const int sundayFirst = cal.FirstCellJulius();
    cal.setFirstDayOfWeek(dowMon);
    // Sunday 2015-02-01 moves from column 0 to column 6 of the first full week.
    QCOMPARE(cal.FirstCellJulius(), sundayFirst + 1);
    QCOMPARE((YmdToJulius(2015, 2, 1) - cal.FirstCellJulius()) % 7, 6);
}

void TestMonthlyCalendar::monthAndYearSteps()
{
    TMonthlyCalendar cal;
    QSignalSpy spy(&cal, &TCustomCalendarEx::DayChange);
    cal.SelectDate(2000, 1, 31);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst(), QVariantList({2000, 1, 31}));
    cal.SelectDate(2000, 1, 31);
    QCOMPARE(spy.count(), 0);
    cal.NextMonth();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2000, 2, 29));
    cal.NextYear();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2001, 2, 28));
    cal.SelectDate(2000, 12, 31);
    cal.NextMonth();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2001, 1, 31));
    cal.SelectDate(2000, 3, 31);
    cal.PrevMonth();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2000, 2, 29));
    cal.PrevYear();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(1999, 2, 28));
    cal.GoToday();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2026, 12, 8));
    // The ten missing days of 1582 are passed over in the direction of the step.
    cal.SelectDate(1582, 9, 10);
    cal.NextMonth();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(1582, 10, 15));
    cal.SelectDate(1582, 11, 10);
    cal.PrevMonth();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(1582, 10, 4));
    cal.SelectDate(1583, 10, 12);
    cal.PrevYear();
    QCOMPARE(cal.JuliusDay(), YmdToJulius(1582, 10, 4));
}

void TestMonthlyCalendar::partSetters()
{
    TMonthlyCalendarEx cal;
    cal.SelectDate(2000, 1, 31);
    cal.setMonth(2);
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2000, 1, 31));
    cal.setDay(30);
    QCOMPARE(cal.Day(), 30);
    // Date ignores the year range.
    cal.setDate(EncodeDate(1850, 6, 1));
    QCOMPARE(cal.Year(), 1850);
    // A part that lands on a missing day of 1582 is ignored, not raised.
    cal.SelectDate(2000, 10, 10);
    cal.setYear(1582);
    QCOMPARE(cal.JuliusDay(), YmdToJulius(2000, 10, 10));
}

void TestMonthlyCalendar::steps_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QDate>("to");
    QTest::newRow("NextWeek on 12-25 of MaxYear") << QDate(2099, 12, 25) << "NextWeek" << QDate(2099, 12, 25);
    QTest::newRow("NextWeek on 12-24 of MaxYear") << QDate(2099, 12, 24) << "NextWeek" << QDate(2099, 12, 31);
    QTest::newRow("NextDay on 12-31 of MaxYear") << QDate(2099, 12, 31) << "NextDay" << QDate(2099, 12, 31);
    QTest::newRow("PrevDay on 01-01 of MinYear") << QDate(1901, 1, 1) << "PrevDay" << QDate(1901, 1, 1);
    QTest::newRow("PrevWeek on 01-07 of MinYear") << QDate(1901, 1, 7) << "PrevWeek" << QDate(1901, 1, 7);
    QTest::newRow("PrevWeek on 01-08 of MinYear") << QDate(1901, 1, 8) << "PrevWeek" << QDate(1901, 1, 1);
    QTest::newRow("NextMonth in December of MaxYear") << QDate(2099, 12, 1) << "NextMonth" << QDate(2099, 12, 1);
    QTest::newRow("NextMonth in November of MaxYear") << QDate(2099, 11, 30) << "NextMonth" << QDate(2099, 12, 30);
    QTest::newRow("PrevMonth in January of MinYear") << QDate(1901, 1, 31) << "PrevMonth" << QDate(1901, 1, 31);
    QTest::newRow("NextYear in MaxYear") << QDate(2099, 1, 1) << "NextYear" << QDate(2099, 1, 1);
    QTest::newRow("PrevYear in MinYear") << QDate(1901, 6, 1) << "PrevYear" << QDate(1901, 6, 1);
    QTest::newRow("NextDay beyond MaxYear") << QDate(2150, 1, 1) << "NextDay" << QDate(2150, 1, 1);
    QTest::newRow("PrevYear below MinYear") << QDate(1850, 1, 1) << "PrevYear" << QDate(1850, 1, 1);
}

void TestMonthlyCalendar::steps()
{
    QFETCH(QDate, from);
    QFETCH(QString, step);
    using Step = void (TCustomCalendarEx::*)();
    const QHash<QString, Step> steps
        = {{"NextDay", &TCustomCalendarEx::NextDay}, {"PrevDay", &TCustomCalendarEx::PrevDay},
            {"NextWeek", &TCustomCalendarEx::NextWeek}, {"PrevWeek", &TCustomCalendarEx::PrevWeek},
            {"NextMonth", &TCustomCalendarEx::NextMonth}, {"PrevMonth", &TCustomCalendarEx::PrevMonth},
            {"NextYear", &TCustomCalendarEx::NextYear}, {"PrevYear", &TCustomCalendarEx::PrevYear}};
    TMonthlyCalendarEx cal;
    cal.setDate(QDateToDateValue(from));
    (cal.*steps.value(step))();
    QTEST(date(cal), "to");
}

void TestMonthlyCalendar::rangePullsCurrentDay()
{
    TMonthlyCalendarEx cal;
    cal.SelectDate(2050, 5, 5);
    cal.setMaxYear(2040);
    QCOMPARE(cal.Year(), 2040);
    cal.setMinYear(2045);
    QCOMPARE(cal.Year(), 2045);
    cal.SelectDate(2030, 1, 1); // outside the range: refused
    QCOMPARE(cal.Year(), 2045);
    cal.setMinYear(1901);
    cal.setMaxYear(2020);
    cal.GoToday(); // today (2026) lies outside the range
    QCOMPARE(cal.Year(), 2020);
}

void TestMonthlyCalendar::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QDate>("to");
    QTest::newRow("Right") << int(Qt::Key_Right) << 0 << QDate(2000, 1, 16);
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << QDate(2000, 1, 14);
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << QDate(2000, 1, 8);
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << QDate(2000, 1, 22);
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 0 << QDate(1999, 12, 15);
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0 << QDate(2000, 2, 15);
    QTest::newRow("Shift+Right") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << QDate(2000, 1, 16);
    QTest::newRow("Ctrl+PageDown") << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << QDate(2000, 2, 15);
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << QDate(2000, 1, 15);
}

void TestMonthlyCalendar::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    TMonthlyCalendarEx cal;
    cal.SelectDate(2000, 1, 15);
    cal.show();
    QSignalSpy keySpy(&cal, &TCustomCalendarEx::KeyDown);
    QTest::keyClick(&cal, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTEST(date(cal), "to");
    // The key goes on to the key-down handlers too (modifier keys report their own).
    QVERIFY(!keySpy.isEmpty());
    QCOMPARE(keySpy.last().first().toInt(), key);
}

void TestMonthlyCalendar::mouse()
{
    TMonthlyCalendarEx cal;
    cal.SelectDate(2000, 1, 15);
    QVERIFY(shown(cal));
    QTest::mouseClick(&cal, Qt::LeftButton, {}, cellCentre(cal, QDate(2000, 1, 20)));
    QCOMPARE(date(cal), QDate(2000, 1, 20));
    // Right button selects too; the weekday row does nothing.
    QTest::mouseClick(&cal, Qt::RightButton, {}, cellCentre(cal, QDate(2000, 1, 4)));
    QCOMPARE(date(cal), QDate(2000, 1, 4));
    QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.CellRect(3, 0).center() + cal.contentsRect().topLeft());
    QCOMPARE(date(cal), QDate(2000, 1, 4));
    // A double click selects its day before it is reported.
    QDate atDoubleClick;
    connect(&cal, &TCustomCalendarEx::DblClick, this, [&] { atDoubleClick = date(cal); });
    QTest::mouseDClick(&cal, Qt::LeftButton, {}, cellCentre(cal, QDate(1999, 12, 31)));
    QCOMPARE(atDoubleClick, QDate(1999, 12, 31));
}

void TestMonthlyCalendar::neighbourClick_data()
{
    QTest::addColumn<bool>("jump");
    QTest::addColumn<QDate>("to");
    QTest::newRow("jump on") << true << QDate(2000, 2, 1);
    QTest::newRow("jump off") << false << QDate(2000, 1, 15);
}

void TestMonthlyCalendar::neighbourClick()
{
    QFETCH(bool, jump);
    TMonthlyCalendarEx cal;
    cal.setNeighborJump(jump);
    cal.setMaxYear(2000);
    cal.SelectDate(2000, 1, 15);
    QVERIFY(shown(cal));
    QTest::mouseClick(&cal, Qt::LeftButton, {}, cellCentre(cal, QDate(2000, 2, 1)));
    QTEST(date(cal), "to");
    if (jump) {
        // A click on 2001-01-xx leaves the range and is still taken (clicks are not limited by it).
        cal.SelectDate(2000, 12, 15);
        QTest::mouseClick(&cal, Qt::LeftButton, {}, cellCentre(cal, QDate(2001, 1, 2)));
        QCOMPARE(date(cal), QDate(2001, 1, 2));
    }
}

void TestMonthlyCalendar::colours()
{
    TMonthlyCalendarEx cal;
    cal.resize(300, 200);
    cal.SelectDate(2000, 1, 15);
    const QColor lightRed(0xFF, 0xC0, 0xC0), lightBlue(0xC0, 0xC0, 0xFF), grey(0xC0, 0xC0, 0xC0);
    QVERIFY(cellHas(cal, QDate(2000, 1, 10), Qt::red)); // holiday Monday
    QVERIFY(cellHas(cal, QDate(2000, 1, 9), Qt::red)); // Sunday
    QVERIFY(cellHas(cal, QDate(2000, 1, 8), Qt::blue)); // Saturday
    QVERIFY(cellHas(cal, QDate(2000, 1, 11), Qt::black));
    QVERIFY(!cellHas(cal, QDate(2000, 1, 11), Qt::red));
    QVERIFY(cellHas(cal, QDate(1999, 12, 26), lightRed)); // neighbour Sunday
    QVERIFY(cellHas(cal, QDate(2000, 2, 5), lightBlue)); // neighbour Saturday
    QVERIFY(cellHas(cal, QDate(2000, 2, 1), grey)); // neighbour weekday
    cal.setSpecialDayList({QStringLiteral("1,11,記念日")});
    QVERIFY(cellHas(cal, QDate(2000, 1, 11), QColor(0x00, 0x80, 0x00)));
    cal.setShowNeighbor(false);
    QVERIFY(!cellHas(cal, QDate(1999, 12, 26), lightRed));
    QVERIFY(!cellHas(cal, QDate(2000, 2, 1), grey));

    // The current day is inverted: its background takes the day's colour.
    cal.SelectDate(2000, 1, 9); // a Sunday
    const QRect r = cell(cal, cal.JuliusDay());
    const QImage img = cal.picture().toImage();
    QCOMPARE(img.pixelColor(QPoint(r.left() + 1, r.top() + 1) * cal.picture().devicePixelRatio()).rgb(),
        QColor(Qt::red).rgb());
    QVERIFY(cellHas(cal, QDate(2000, 1, 9), cal.Color()));
}

void TestMonthlyCalendar::rulesRedraw()
{
    TMonthlyCalendarEx cal;
    cal.resize(300, 200);
    cal.SelectDate(2000, 1, 15);
    QVERIFY(!cellHas(cal, QDate(2000, 1, 12), Qt::red));
    cal.Rules()->setHolidayLine(0, QStringLiteral("1,12,元旦"));
    QVERIFY(cellHas(cal, QDate(2000, 1, 12), Qt::red));
    cal.setAutoEquinox(false);
    cal.SelectDate(2000, 3, 15);
    QVERIFY(!cellHas(cal, QDate(2000, 3, 20), Qt::red));
    cal.setAutoEquinox(true);
    QVERIFY(cellHas(cal, QDate(2000, 3, 20), Qt::red));

    // A malformed line gives no day and never breaks painting.
    cal.SelectDate(2000, 1, 15);
    cal.setHolidayList({QStringLiteral("1,x,壊れた行"), QStringLiteral("一,1,元旦"), QStringLiteral("1,10,成人の日")});
    QVERIFY(shown(cal));
    QVERIFY(!cal.grab().isNull());
    QVERIFY(cellHas(cal, QDate(2000, 1, 10), Qt::red));
    QVERIFY(!cellHas(cal, QDate(2000, 1, 11), Qt::red));
}

QTEST_MAIN(TestMonthlyCalendar)
#include "tst_monthlycalendar.moc"
