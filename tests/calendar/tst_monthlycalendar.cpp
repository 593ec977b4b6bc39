#include "calendar/HolidaySettings.h"
#include "calendar/Julius.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "ui/controls/Fonts.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeySequence>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace {

int julius(QDate d)
{
    return YmdToJulius(d.year(), d.month(), d.day());
}

QDate date(const TMonthlyCalendarEx &cal)
{
    return DateValueToQDate(cal.Date());
}

QRect cell(const TMonthlyCalendar &cal, QDate d)
{
    const int offset = julius(d) - cal.FirstCellJulius();
    return cal.CellRect(offset % 7, offset / 7 + 1);
}

QPoint cellCentre(const TMonthlyCalendar &cal, QDate d)
{
    return cell(cal, d).center() + cal.contentsRect().topLeft();
}

bool cellHas(const TMonthlyCalendar &cal, QDate d, const QColor &color)
{
    const QRect r = cell(cal, d);
    const QImage img = cal.picture().toImage();
    const qreal ratio = cal.picture().devicePixelRatio();
    for (int y = int(r.top() * ratio); y <= int(r.bottom() * ratio); ++y)
        for (int x = int(r.left() * ratio); x <= int(r.right() * ratio); ++x)
            if (img.pixelColor(x, y).rgb() == color.rgb())
                return true;
    return false;
}

bool shown(QWidget &w)
{
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

} // namespace

// The month grid: geometry, navigation, year range, keys, mouse, colours.
class TestMonthlyCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0))); }
    void cleanupTestCase() { Clock::clearFixed(); }

    void defaults()
    {
        TMonthlyCalendarEx cal;
        QCOMPARE(cal.HolidayList(), DefaultHolidayLines());
        QCOMPARE(cal.JuliusDay(), YmdToJulius(2026, 12, 8));
        QCOMPARE(cal.Date(), Clock::todayValue());
        QCOMPARE(cal.size(), QSize(153, 101));
    }

    void february2015Grid_data()
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
    void february2015Grid()
    {
        QFETCH(bool, firstRowFirstDay);
        QFETCH(bool, lastRowLastDay);
        QFETCH(QDate, firstCell);
        TMonthlyCalendar cal;
        cal.SelectDate(2015, 2, 10);
        cal.setFirstRowFirstDay(firstRowFirstDay);
        cal.setLastRowLastDay(lastRowLastDay);
        QCOMPARE(cal.FirstCellJulius(), julius(firstCell));
        QTEST(cal.RowCount(), "rows");
        // Monday first: Sunday 2015-02-01 moves from column 0 to column 6.
        cal.setFirstDayOfWeek(dowMon);
        QCOMPARE(cal.FirstCellJulius(), julius(firstCell) + (firstRowFirstDay ? -6 : 1));
    }

    void sixWeekRowsWithoutAutoResize()
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

    void steps_data()
    {
        QTest::addColumn<bool>("ranged"); // the picker's calendar, 1901..2099
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QDate>("to");
        const auto row = [](bool ranged, QDate from, const char *step, QDate to) {
            QTest::addRow("%s from %s", step, qPrintable(from.toString(Qt::ISODate))) << ranged << from << step << to;
        };
        // Keys, as steps: the modifiers change nothing; other keys do nothing.
        row(true, {2000, 1, 15}, "Right", {2000, 1, 16});
        row(true, {2000, 1, 15}, "Left", {2000, 1, 14});
        row(true, {2000, 1, 15}, "Up", {2000, 1, 8});
        row(true, {2000, 1, 15}, "Down", {2000, 1, 22});
        row(true, {2000, 1, 15}, "PgUp", {1999, 12, 15});
        row(true, {2000, 1, 15}, "PgDown", {2000, 2, 15});
        row(true, {2000, 1, 15}, "Shift+Right", {2000, 1, 16});
        row(true, {2000, 1, 15}, "Ctrl+PgDown", {2000, 2, 15});
        row(true, {2000, 1, 15}, "A", {2000, 1, 15});
        row(false, {2000, 1, 31}, "NextMonth", {2000, 2, 29});
        row(false, {2000, 2, 29}, "NextYear", {2001, 2, 28});
        row(false, {2000, 12, 31}, "NextMonth", {2001, 1, 31});
        row(false, {2000, 3, 31}, "PrevMonth", {2000, 2, 29});
        row(false, {2000, 2, 29}, "PrevYear", {1999, 2, 28});
        row(false, {2000, 2, 29}, "GoToday", {2026, 12, 8});
        row(false, {1582, 9, 10}, "NextMonth", {1582, 10, 15});
        row(false, {1582, 11, 10}, "PrevMonth", {1582, 10, 4});
        row(false, {1583, 10, 12}, "PrevYear", {1582, 10, 4});
        row(true, {2099, 12, 25}, "NextWeek", {2099, 12, 25});
        row(true, {2099, 12, 24}, "NextWeek", {2099, 12, 31});
        row(true, {2099, 12, 31}, "NextDay", {2099, 12, 31});
        row(true, {1901, 1, 1}, "PrevDay", {1901, 1, 1});
        row(true, {1901, 1, 7}, "PrevWeek", {1901, 1, 7});
        row(true, {1901, 1, 8}, "PrevWeek", {1901, 1, 1});
        row(true, {2099, 12, 1}, "NextMonth", {2099, 12, 1});
        row(true, {2099, 11, 30}, "NextMonth", {2099, 12, 30});
        row(true, {1901, 1, 31}, "PrevMonth", {1901, 1, 31});
        row(true, {2099, 1, 1}, "NextYear", {2099, 1, 1});
        row(true, {1901, 6, 1}, "PrevYear", {1901, 6, 1});
        row(true, {2150, 1, 1}, "NextDay", {2150, 1, 1});
        row(true, {1850, 1, 1}, "PrevYear", {1850, 1, 1});
    }
    void steps()
    {
        QFETCH(bool, ranged);
        QFETCH(QDate, from);
        QFETCH(QString, step);
        QFETCH(QDate, to);
        using Step = void (TCustomCalendarEx::*)();
        const QHash<QString, Step> steps = {{"NextDay", &TCustomCalendarEx::NextDay},
            {"PrevDay", &TCustomCalendarEx::PrevDay}, {"NextWeek", &TCustomCalendarEx::NextWeek},
            {"PrevWeek", &TCustomCalendarEx::PrevWeek}, {"NextMonth", &TCustomCalendarEx::NextMonth},
            {"PrevMonth", &TCustomCalendarEx::PrevMonth}, {"NextYear", &TCustomCalendarEx::NextYear},
            {"PrevYear", &TCustomCalendarEx::PrevYear}, {"GoToday", &TCustomCalendarEx::GoToday}};
        std::unique_ptr<TMonthlyCalendar> cal(ranged ? new TMonthlyCalendarEx : new TMonthlyCalendar);
        cal->setJuliusDay(julius(from));
        QSignalSpy spy(cal.get(), &TCustomCalendarEx::DayChange);
        if (steps.contains(step)) {
            (cal.get()->*steps.value(step))();
        } else {
            const QKeyCombination key = QKeySequence::fromString(step)[0];
            QVERIFY(key.key() != Qt::Key_unknown);
            QCOMPARE(cal->focusPolicy(), Qt::StrongFocus);
            cal->show();
            QSignalSpy keySpy(cal.get(), &TCustomCalendarEx::KeyDown);
            QTest::keyClick(cal.get(), key.key(), key.keyboardModifiers());
            // The key goes on to the key-down handlers too (modifier keys report their own).
            QVERIFY(!keySpy.isEmpty());
            QCOMPARE(keySpy.last().first().toInt(), int(key.key()));
        }
        QCOMPARE(cal->JuliusDay(), julius(to));
        QCOMPARE(spy.count(), from == to ? 0 : 1);
        if (from != to)
            QCOMPARE(spy.first(), QVariantList({to.year(), to.month(), to.day()}));
    }

    void setters()
    {
        TMonthlyCalendarEx cal;
        cal.SelectDate(2000, 1, 31);
        cal.setMonth(2); // no 2000-02-31: ignored
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
        // Setting the range pulls the current day into it; nothing else does.
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

    void mouse()
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

    void neighbourClick_data()
    {
        QTest::addColumn<bool>("jump");
        QTest::addColumn<QDate>("to");
        QTest::newRow("jump on (the default)") << true << QDate(2000, 2, 1);
        QTest::newRow("jump off") << false << QDate(2000, 1, 15);
    }
    void neighbourClick()
    {
        QFETCH(bool, jump);
        TMonthlyCalendarEx cal;
        if (!jump)
            cal.setNeighborJump(false);
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

    // A double click as the window system sends it (press, release, double
    // click) on a neighbour day reports that day, though the jump of the first
    // press redrew the grid under the pointer.
    void doubleClickOnNeighbourDay()
    {
        TMonthlyCalendarEx cal;
        cal.SelectDate(2026, 12, 8);
        QVERIFY(shown(cal));
        QDate atDoubleClick;
        connect(&cal, &TCustomCalendarEx::DblClick, this, [&] { atDoubleClick = date(cal); });
        QTest::mouseDClick(cal.windowHandle(), Qt::LeftButton, {}, cellCentre(cal, QDate(2027, 1, 2)));
        QCOMPARE(atDoubleClick, QDate(2027, 1, 2));
        QCOMPARE(date(cal), QDate(2027, 1, 2));
    }

    void colours()
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
        const QRect r = cell(cal, QDate(2000, 1, 9));
        const QImage img = cal.picture().toImage();
        QCOMPARE(img.pixelColor(QPoint(r.left() + 1, r.top() + 1) * cal.picture().devicePixelRatio()).rgb(),
            QColor(Qt::red).rgb());
        QVERIFY(cellHas(cal, QDate(2000, 1, 9), cal.Color()));
    }

    void rulesRedraw()
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
        cal.setHolidayList(
            {QStringLiteral("1,x,壊れた行"), QStringLiteral("一,1,元旦"), QStringLiteral("1,10,成人の日")});
        QVERIFY(shown(cal));
        QVERIFY(!cal.grab().isNull());
        QVERIFY(cellHas(cal, QDate(2000, 1, 10), Qt::red));
        QVERIFY(!cellHas(cal, QDate(2000, 1, 11), Qt::red));
    }

    // Resting the pointer on a holiday or special day names it.
    void dayToolTips_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("showNeighbor");
        QTest::addColumn<QString>("tip"); // empty: none
        QTest::newRow("holiday") << QDate(2026, 9, 21) << true << QStringLiteral("敬老の日");
        QTest::newRow("between two holidays") << QDate(2026, 9, 22) << true << QStringLiteral("国民の休日");
        QTest::newRow("special day") << QDate(2026, 9, 8) << true << QStringLiteral("創立記念日");
        QTest::newRow("plain day") << QDate(2026, 9, 24) << true << QString();
        QTest::newRow("Sunday") << QDate(2026, 9, 27) << true << QString();
        QTest::newRow("neighbour shown") << QDate(2026, 8, 31) << true << QStringLiteral("月末");
        QTest::newRow("neighbour hidden") << QDate(2026, 8, 31) << false << QString();
    }
    void dayToolTips()
    {
        QFETCH(QDate, day);
        QFETCH(bool, showNeighbor);
        QFETCH(QString, tip);
        TMonthlyCalendarEx cal;
        ApplyHolidaySet(*cal.Rules(), HolidaySet::Law);
        cal.setSpecialDayList({QStringLiteral("9,8,創立記念日"), QStringLiteral("8,31,月末")});
        cal.setShowNeighbor(showNeighbor);
        cal.resize(300, 200);
        QVERIFY(shown(cal));
        cal.SelectDate(2026, 9, 15);
        QToolTip::hideText();
        const QPoint pos = cellCentre(cal, day);
        QHelpEvent event(QEvent::ToolTip, pos, cal.mapToGlobal(pos));
        QApplication::sendEvent(&cal, &event);
        if (tip.isEmpty()) {
            QVERIFY(!QToolTip::isVisible());
        } else {
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), tip);
        }
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestMonthlyCalendar)
#include "tst_monthlycalendar.moc"
