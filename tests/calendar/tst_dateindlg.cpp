#include "calendar/DateEdit.h"
#include "calendar/DateInDlg.h"
#include "calendar/Julius.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "ui/controls/Fonts.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// The date picker popup: captions, month buttons, the today line, accepting
// and cancelling.
class TestDateInDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void layoutAndCaptions();
    void monthButtonsKeepToRange();
    void homeGoesToday();
    void doubleClickNeighbourDayAccepts();
    void escapeCancels();
    void clickOutsideCancels();
    void todayLine_data();
    void todayLine();
    void screenshots();

private:
    TDateInDlg *openPicker(DateValue date, int minYear = 1901, int maxYear = 2099);
    QPoint cellCentre(TMonthlyCalendarEx *cal, int julius);

    QWidget *m_owner = nullptr;
};

void TestDateInDlg::initTestCase()
{
    InstallFontSubstitutes();
}

void TestDateInDlg::init()
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    m_owner = new QWidget;
    m_owner->resize(200, 100);
    m_owner->setFocusPolicy(Qt::StrongFocus);
    m_owner->show();
    m_owner->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_owner));
}

void TestDateInDlg::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
    Clock::clearFixed();
}

TDateInDlg *TestDateInDlg::openPicker(DateValue date, int minYear, int maxYear)
{
    auto *dlg = new TDateInDlg(m_owner);
    dlg->setMinYear(minYear);
    dlg->setMaxYear(maxYear);
    dlg->setDate(date);
    dlg->move(m_owner->mapToGlobal(QPoint(0, 30)));
    dlg->show();
    dlg->Calendar()->setFocus();
    return dlg;
}

QPoint TestDateInDlg::cellCentre(TMonthlyCalendarEx *cal, int julius)
{
    const int offset = julius - cal->FirstCellJulius();
    return cal->CellRect(offset % 7, offset / 7 + 1).center() + cal->contentsRect().topLeft();
}

void TestDateInDlg::layoutAndCaptions()
{
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(1999, 2, 12));
    QCOMPARE(dlg->contentsRect().size(), QSize(159, 143));
    QCOMPARE(dlg->Calendar()->size(), QSize(159, 110));
    QCOMPARE(dlg->Calendar()->BorderStyle(), TMonthlyCalendarEx::bsNone);
    QVERIFY(dlg->Calendar()->Fonts()->Synchronize());
    QCOMPARE(dlg->Calendar()->HolidayList(), DefaultHolidayLines());
    QVERIFY(dlg->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dlg->findChild<QLabel *>(QStringLiteral("PToday"))->text(), QStringLiteral("今日にする:2026/12/ 8"));
    auto *month = dlg->findChild<QLabel *>(QStringLiteral("LMonth"));
    QCOMPARE(month->text(), QStringLiteral("1999年 2月12日"));
    QTest::keyClick(dlg->Calendar(), Qt::Key_PageDown);
    QCOMPARE(month->text(), QStringLiteral("1999年 3月12日"));
    QTest::keyClick(dlg->Calendar(), Qt::Key_Down);
    QCOMPARE(month->text(), QStringLiteral("1999年 3月19日"));
    dlg->CloseCancel();
    QTRY_VERIFY(!dlg);
}

void TestDateInDlg::monthButtonsKeepToRange()
{
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(2099, 12, 10));
    auto *next = dlg->findChild<QToolButton *>(QStringLiteral("BtnNext"));
    auto *prev = dlg->findChild<QToolButton *>(QStringLiteral("PrevBtn"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2099, 12, 10));
    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2099, 11, 10));
    dlg->setDate(EncodeDate(1901, 1, 31));
    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(1901, 1, 31));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(1901, 2, 28));
    dlg->CloseCancel();
}

void TestDateInDlg::homeGoesToday()
{
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(1999, 2, 12));
    QTest::keyClick(dlg->Calendar(), Qt::Key_Home);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2026, 12, 8));
    QVERIFY(dlg);
    dlg->CloseCancel();
}

void TestDateInDlg::doubleClickNeighbourDayAccepts()
{
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(1999, 2, 12));
    QSignalSpy accepted(dlg.data(), &TDateInDlg::DateAccepted);
    TMonthlyCalendarEx *cal = dlg->Calendar();
    QTest::mouseDClick(cal, Qt::LeftButton, {}, cellCentre(cal, YmdToJulius(1999, 3, 2)));
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(DateValueToQDate(accepted.first().first().toDouble()), QDate(1999, 3, 2));
    QTRY_VERIFY(!dlg);
    QTRY_VERIFY(m_owner->hasFocus());
}

void TestDateInDlg::escapeCancels()
{
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(1999, 2, 12));
    QSignalSpy accepted(dlg.data(), &TDateInDlg::DateAccepted);
    QTest::keyClick(dlg->Calendar(), Qt::Key_Right);
    QTest::keyClick(dlg->Calendar(), Qt::Key_Escape);
    QTRY_VERIFY(!dlg);
    QCOMPARE(accepted.count(), 0);
    QTRY_VERIFY(m_owner->hasFocus());
}

void TestDateInDlg::clickOutsideCancels()
{
    TDateEdit *edit = new TDateEdit(m_owner);
    edit->setText(QStringLiteral("1999/02/12"));
    edit->show();
    edit->ButtonClick();
    QPointer<TDateInDlg> dlg = edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    QTest::keyClick(dlg->Calendar(), Qt::Key_Right);
    // A press outside the popup (the popup grabs the mouse, so it gets it) closes it.
    QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(dlg->width() + 20, 10));
    QTRY_VERIFY(!dlg);
    QCOMPARE(edit->text(), QStringLiteral("1999/02/12"));
    QTRY_VERIFY(edit->hasFocus());

    // So does losing activation.
    edit->ButtonClick();
    dlg = edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(dlg, &deactivate);
    QTRY_VERIFY(!dlg);
    QCOMPARE(edit->text(), QStringLiteral("1999/02/12"));
}

void TestDateInDlg::todayLine_data()
{
    QTest::addColumn<int>("maxYear");
    QTest::addColumn<QDate>("accepted");
    QTest::newRow("today in range") << 2099 << QDate(2026, 12, 8);
    QTest::newRow("today beyond MaxYear") << 2020 << QDate(1999, 2, 12);
}

void TestDateInDlg::todayLine()
{
    QFETCH(int, maxYear);
    QFETCH(QDate, accepted);
    QPointer<TDateInDlg> dlg = openPicker(EncodeDate(1999, 2, 12), 1901, maxYear);
    QSignalSpy spy(dlg.data(), &TDateInDlg::DateAccepted);
    auto *today = dlg->findChild<QLabel *>(QStringLiteral("PToday"));
    // A single click moves to today (when allowed) but keeps the popup open.
    QTest::mouseClick(today, Qt::LeftButton);
    QVERIFY(dlg);
    QCOMPARE(spy.count(), 0);
    dlg->setDate(EncodeDate(1999, 2, 12));
    QTest::mouseDClick(today, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(DateValueToQDate(spy.first().first().toDouble()), accepted);
    QTRY_VERIFY(!dlg);
}

// Set TIDEMARK_SHOTS to look at the pictures.
void TestDateInDlg::screenshots()
{
    const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS");
    if (dir.isEmpty())
        QSKIP("TIDEMARK_SHOTS not set");
    QDir().mkpath(dir);
    const QList<QPair<QString, QDate>> months = {{"picker-1999-10-substitute", QDate(1999, 10, 11)},
        {"picker-2000-03-vernal", QDate(2000, 3, 8)}, {"picker-2000-09-autumnal", QDate(2000, 9, 23)},
        {"picker-2015-02", QDate(2015, 2, 10)}, {"picker-2026-12-today", QDate(2026, 12, 8)}};
    for (const auto &[name, date] : months) {
        TDateInDlg *dlg = openPicker(QDateToDateValue(date));
        QVERIFY(dlg->grab().save(dir + u'/' + name + QStringLiteral(".png")));
        dlg->CloseCancel();
    }
    for (bool switches : {false, true}) {
        TMonthlyCalendar cal;
        cal.resize(220, 160);
        cal.setHolidayList(DefaultHolidayLines());
        cal.SelectDate(2015, 2, 11);
        cal.setFirstRowFirstDay(switches);
        cal.setLastRowLastDay(switches);
        cal.setShowNeighbor(true);
        QVERIFY(
            cal.grab().save(dir + QStringLiteral("/calendar-2015-02-switches-%1.png").arg(switches ? "on" : "off")));
    }
    TDateEdit edit;
    edit.setDate(EncodeDate(1999, 2, 12));
    QVERIFY(edit.grab().save(dir + QStringLiteral("/dateedit.png")));
    edit.Button()->setPressed(true);
    QVERIFY(edit.grab().save(dir + QStringLiteral("/dateedit-pressed.png")));
}

QTEST_MAIN(TestDateInDlg)
#include "tst_dateindlg.moc"
