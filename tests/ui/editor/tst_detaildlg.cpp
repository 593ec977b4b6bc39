#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "calendar/DateEdit.h"
#include "data/Data.h"
#include "data/DateValue.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/UpDown.h"
#include "ui/editor/DetailDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

// The item editor driven through its controls, found by their component
// names. Today is fixed at 2026-12-08, a Tuesday of an even week.
class TestDetailDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void newItemStartsAsMonthDay();
    void displayDefaults_data();
    void displayDefaults();
    void groupsByKind_data();
    void groupsByKind();
    void storeOnce();
    void onceEndEqualToStartIsDropped();
    void storeMonthDay();
    void storeWeekday();
    void storeIrregular();
    void kindChangeKeepsOtherFields();
    void loadShowsAllFields();
    void okButtonNeeds_data();
    void okButtonNeeds();
    void refusals_data();
    void refusals();
    void everyMonthFollowsMonths();
    void atMostSixShiftWeekdays();
    void keyFilters_data();
    void keyFilters();
    void spinnersWrap_data();
    void spinnersWrap();
    void spinnerClickFocusesField();
    void zeroDayFieldEmptiedOnExit();
    void clearedDayStoresZero();
    void weekLabel_data();
    void weekLabel();
    void titleNumberKeptWhileDisabled();
    void afterLabelSelectsDayCount();
    void shiftDirectionNeedsHoliday();
    void byteLimitsBeep();
    void cancelStoresNothing();
    void helpButton();
    void tabOrderFollowsLayout_data();
    void tabOrderFollowsLayout();
    void screenshots();

private:
    template <class T> T *w(const char *name) const
    {
        T *found = m_dlg->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    void open()
    {
        m_dlg->show();
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    void setDate(const char *name, int y, int m, int d) { w<TDateEdit>(name)->setDate(EncodeDate(y, m, d)); }
    DateValue date(int y, int m, int d) const { return EncodeDate(y, m, d); }
    // 2000/02/29 with the year stepped up: a text that names no date.
    void makeImpossibleDate(const char *name);
    bool pressOk();

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TDetailDlg> m_dlg;
};

void TestDetailDlg::initTestCase()
{
    InstallFontSubstitutes();
}

void TestDetailDlg::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_notes = std::make_unique<ScriptedNotifier>();
    m_dlg = std::make_unique<TDetailDlg>();
}

void TestDetailDlg::cleanup()
{
    m_dlg.reset();
    m_notes.reset();
    m_env.reset();
}

void TestDetailDlg::makeImpossibleDate(const char *name)
{
    auto *field = w<TDateEdit>(name);
    field->setDate(EncodeDate(2000, 2, 29));
    field->setFocus();
    field->YearUp();
    QCOMPARE(field->text(), QStringLiteral("2001/02/29"));
}

bool TestDetailDlg::pressOk()
{
    auto *ok = w<QPushButton>("OKBtn");
    if (!ok->isEnabled())
        return false;
    ok->click();
    return m_dlg->result() == QDialog::Accepted;
}

void TestDetailDlg::newItemStartsAsMonthDay()
{
    open();
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("自動ToDoの"));
    QCOMPARE(m_dlg->size(), QSize(513, 337));
    QVERIFY(w<QRadioButton>("RDate")->isChecked());
    QVERIFY(w<QGroupBox>("GDate")->isVisible());
    QVERIFY(!w<QGroupBox>("GOnce")->isVisible());
    QVERIFY(!w<QGroupBox>("GDay")->isVisible());
    QVERIFY(w<QLineEdit>("Text")->text().isEmpty());
    QVERIFY(!w<QPushButton>("OKBtn")->isEnabled());
    QCOMPARE(w<QComboBox>("CBTitleOpt")->currentIndex(), 0);
    QVERIFY(!w<QLineEdit>("ETitleDiff")->isEnabled());
    QCOMPARE(w<TDateEdit>("OSDate")->Date(), date(2026, 12, 8));
    QCOMPARE(w<TDateEdit>("OEDate")->Date(), date(2026, 12, 8));
    QVERIFY(!w<QCheckBox>("CbLDate")->isChecked());
    QVERIFY(!w<TDateEdit>("LDate")->isEnabled());
    QCOMPARE(w<TDateEdit>("LDate")->text(), QStringLiteral("1980/01/01"));
    QCOMPARE(w<QLineEdit>("EDDate1")->text(), QString());
    QCOMPARE(w<QLineEdit>("EDDate2")->text(), QString());
    QVERIFY(w<QRadioButton>("RDSBefore")->isChecked());
    QVERIFY(w<QRadioButton>("RYWeekly")->isChecked());
    QCOMPARE(typeid(m_dlg->WorkItem()), typeid(TItemRec));
}

void TestDetailDlg::displayDefaults_data()
{
    QTest::addColumn<int>("defBefore");
    QTest::addColumn<int>("defAfter");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("untilDone");
    QTest::addColumn<QString>("after");
    QTest::newRow("days") << 2 << 3 << "2" << false << "3";
    QTest::newRow("until done") << 5 << 255 << "5" << true << "0";
    QTest::newRow("any sign bit") << 0 << 128 << "0" << true << "0";
}

void TestDetailDlg::displayDefaults()
{
    QFETCH(int, defBefore);
    QFETCH(int, defAfter);
    QFETCH(QString, before);
    QFETCH(bool, untilDone);
    QFETCH(QString, after);
    THeadRec head;
    head.SetDefBefore(defBefore);
    head.SetDefAfter(defAfter);
    m_dlg->SetDisplayDefaults(head);
    open();
    QCOMPARE(w<QLineEdit>("EBefore")->text(), before);
    QCOMPARE(w<QRadioButton>("RAfterCheck")->isChecked(), untilDone);
    QCOMPARE(w<QRadioButton>("RAfterDay")->isChecked(), !untilDone);
    QCOMPARE(w<QLineEdit>("EAfter")->isEnabled(), !untilDone);
    QCOMPARE(w<TUpDown>("UDAfter")->isEnabled(), !untilDone);
    QCOMPARE(w<QLineEdit>("EAfter")->text(), after);
    w<QLineEdit>("Text")->setText(QStringLiteral("t"));
    w<QRadioButton>("ROnce")->click();
    QVERIFY(pressOk());
    QCOMPARE(m_dlg->WorkItem().BeforeDays, defBefore);
    QCOMPARE(m_dlg->WorkItem().AfterDays, untilDone ? -1 : defAfter);
}

void TestDetailDlg::groupsByKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("startChecked");
    QTest::addColumn<QString>("shown"); // GOnce, LOSDate, CbOSDate, POEDate, GDate, GDay, PDisplay as 0/1
    QTest::addColumn<bool>("startEnabled");
    QTest::newRow("once") << "ROnce" << false << "1101001" << true;
    QTest::newRow("month-day") << "RDate" << false << "0000101" << false;
    QTest::newRow("weekday") << "RDay" << false << "0000011" << false;
    QTest::newRow("irregular without start") << "RIrregular" << false << "1010000" << false;
    QTest::newRow("irregular with start") << "RIrregular" << true << "1010001" << true;
}

void TestDetailDlg::groupsByKind()
{
    QFETCH(QString, kind);
    QFETCH(bool, startChecked);
    QFETCH(QString, shown);
    QFETCH(bool, startEnabled);
    open();
    m_dlg->findChild<QRadioButton *>(kind)->click();
    if (startChecked)
        w<QCheckBox>("CbOSDate")->click();
    const char *names[] = {"GOnce", "LOSDate", "CbOSDate", "POEDate", "GDate", "GDay", "PDisplay"};
    for (int i = 0; i < 7; ++i)
        QVERIFY2(w<QWidget>(names[i])->isVisible() == (shown[i] == QLatin1Char('1')), names[i]);
    if (w<QGroupBox>("GOnce")->isVisible())
        QCOMPARE(w<TDateEdit>("OSDate")->isEnabled(), startEnabled);
}

void TestDetailDlg::storeOnce()
{
    open();
    w<QRadioButton>("ROnce")->click();
    w<QLineEdit>("Text")->setText(QStringLiteral("歯医者"));
    w<QPlainTextEdit>("Memo")->setPlainText(QStringLiteral("予約\n確認"));
    setDate("OSDate", 2026, 12, 20);
    QCOMPARE(w<QLabel>("LOSDate")->text(), QStringLiteral("対象日"));
    QVERIFY(!w<TDateEdit>("OEDate")->isEnabled());
    w<QCheckBox>("CbOEDate")->click();
    QCOMPARE(w<QLabel>("LOSDate")->text(), QStringLiteral("開始日"));
    QVERIFY(w<TDateEdit>("OEDate")->isEnabled());
    setDate("OEDate", 2026, 12, 24);
    QVERIFY(pressOk());
    const TItemRec &item = m_dlg->WorkItem();
    QCOMPARE(typeid(item), typeid(TOnceItemRec));
    QCOMPARE(item.Kind, quint8(0));
    QCOMPARE(item.Title, QStringLiteral("歯医者"));
    QCOMPARE(item.MemoText, QStringLiteral("予約\r\n確認"));
    QVERIFY(item.HasStart);
    QCOMPARE(item.StartDate, date(2026, 12, 20));
    QVERIFY(item.HasEnd);
    QCOMPARE(item.EndDate, date(2026, 12, 24));
}

void TestDetailDlg::onceEndEqualToStartIsDropped()
{
    TOnceItemRec source;
    source.Title = QStringLiteral("期間");
    source.HasStart = true;
    source.StartDate = date(2026, 1, 10);
    source.HasEnd = true;
    source.EndDate = date(2026, 1, 15);
    m_dlg->LoadItem(source);
    open();
    setDate("OEDate", 2026, 1, 10);
    QVERIFY(pressOk());
    QVERIFY(!m_dlg->WorkItem().HasEnd);
    QCOMPARE(m_dlg->WorkItem().EndDate, date(2026, 1, 10));
    QCOMPARE(m_dlg->WorkItem().StartDate, date(2026, 1, 10));
}

void TestDetailDlg::storeMonthDay()
{
    open();
    w<QLineEdit>("Text")->setText(QStringLiteral("家賃"));
    for (int m : {1, 4, 12})
        w<QCheckBox>(QStringLiteral("CbDMonth%1").arg(m).toLatin1())->click();
    QTest::keyClicks(w<QLineEdit>("EDDate1"), QStringLiteral("25"));
    QTest::keyClicks(w<QLineEdit>("EDDate2"), QStringLiteral("31"));
    w<QCheckBox>("CbDSSat")->click();
    w<QCheckBox>("CbDSSun")->click();
    w<QCheckBox>("CbDSHoli")->click();
    w<QRadioButton>("RDSAfter")->click();
    QVERIFY(pressOk());
    const TItemRec &item = m_dlg->WorkItem();
    QCOMPARE(typeid(item), typeid(TDateItemRec));
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(item.Month(m), m == 1 || m == 4 || m == 12);
    QCOMPARE(item.Day(1), 25);
    QCOMPARE(item.Day(2), 31);
    for (int d = 0; d < 7; ++d)
        QCOMPARE(item.ShiftDay(d), d >= 5);
    QVERIFY(item.ShiftHoliday);
    QCOMPARE(item.ShiftDir, 1);
}

void TestDetailDlg::storeWeekday()
{
    open();
    w<QRadioButton>("RDay")->click();
    w<QLineEdit>("Text")->setText(QStringLiteral("ゴミ出し"));
    w<QRadioButton>("RYOddWeek")->click();
    w<QCheckBox>("CbYMon")->click();
    w<QCheckBox>("CbYThu")->click();
    w<QCheckBox>("CbYSHoli")->click();
    w<QRadioButton>("RYSAfter")->click();
    w<QRadioButton>("RAfterCheck")->click();
    QVERIFY(pressOk());
    const TItemRec &item = m_dlg->WorkItem();
    QCOMPARE(typeid(item), typeid(TDayItemRec));
    QCOMPARE(item.WeekParity, 1);
    for (int d = 0; d < 7; ++d)
        QCOMPARE(item.Weekday(d), d == 0 || d == 3);
    QVERIFY(item.ShiftHoliday);
    QCOMPARE(item.ShiftDir, 1);
    QCOMPARE(item.AfterDays, -1);
}

void TestDetailDlg::storeIrregular()
{
    open();
    w<QRadioButton>("RIrregular")->click();
    w<QLineEdit>("Text")->setText(QStringLiteral("雑誌"));
    w<QComboBox>("CBTitleOpt")->setCurrentIndex(1);
    QCOMPARE(w<QLabel>("LTitleDiff")->text(), QStringLiteral("月"));
    QVERIFY(!w<QWidget>("PDisplay")->isVisible());
    w<TUpDown>("UDBefore")->setPosition(4);
    QVERIFY(pressOk());
    TItemRec item;
    item.Assign(m_dlg->WorkItem());
    QCOMPARE(typeid(m_dlg->WorkItem()), typeid(TIrregularItemRec));
    QVERIFY(!item.HasStart);
    QCOMPARE(item.TitleOpt, quint8(4)); // only "なし" or "巻数"
    QCOMPARE(w<QComboBox>("CBTitleOpt")->currentIndex(), 4);
    QCOMPARE(item.BeforeDays, 4); // stored though hidden

    // With a start date the display period shows again.
    m_dlg = std::make_unique<TDetailDlg>();
    open();
    w<QRadioButton>("RIrregular")->click();
    w<QLineEdit>("Text")->setText(QStringLiteral("雑誌"));
    w<QCheckBox>("CbOSDate")->click();
    QVERIFY(w<QWidget>("PDisplay")->isVisible());
    QVERIFY(w<TDateEdit>("OSDate")->isEnabled());
    setDate("OSDate", 2027, 3, 1);
    QVERIFY(pressOk());
    QVERIFY(m_dlg->WorkItem().HasStart);
    QCOMPARE(m_dlg->WorkItem().StartDate, date(2027, 3, 1));
    QCOMPARE(m_dlg->WorkItem().TitleOpt, quint8(0));
}

void TestDetailDlg::kindChangeKeepsOtherFields()
{
    TDateItemRec source;
    source.Title = QStringLiteral("点検");
    source.MemoText = QStringLiteral("一\r\n二");
    source.SetMonth(3, true);
    source.SetDay(1, 15);
    source.DevState = 2;
    source.DevWord[2] = 777;
    m_dlg->LoadItem(source);
    open();
    w<QRadioButton>("RDay")->click();
    QVERIFY(!w<QPushButton>("OKBtn")->isEnabled()); // no weekday yet
    w<QCheckBox>("CbYWed")->click();
    QVERIFY(pressOk());
    const TItemRec &item = m_dlg->WorkItem();
    QCOMPARE(typeid(item), typeid(TDayItemRec));
    QCOMPARE(item.Kind, quint8(2));
    QCOMPARE(item.Title, source.Title);
    QCOMPARE(item.MemoText, source.MemoText);
    QVERIFY(item.Month(3));
    QCOMPARE(item.Day(1), 15);
    QVERIFY(item.Weekday(2));
    QCOMPARE(item.DevState, quint8(2));
    QCOMPARE(item.DevWordAt(2), 777);
}

void TestDetailDlg::loadShowsAllFields()
{
    TDateItemRec source;
    source.Title = QStringLiteral("月刊誌");
    source.TitleOpt = 2;
    source.TitleDiff = -3;
    source.MemoText = QStringLiteral("a\r\nb");
    for (int m = 1; m <= 12; ++m)
        source.SetMonth(m, true);
    source.SetDay(1, 0);
    source.SetDay(2, 31);
    source.SetShiftDay(6, true);
    source.ShiftHoliday = true;
    source.ShiftDir = 1;
    source.BeforeDays = 7;
    source.AfterDays = 2;
    source.HasLast = true;
    source.LastDate = date(2026, 11, 30);
    source.WeekParity = 2;
    source.SetWeekday(4, true);
    m_dlg->LoadItem(source);
    open();
    QCOMPARE(w<QLineEdit>("Text")->text(), source.Title);
    QCOMPARE(w<QComboBox>("CBTitleOpt")->currentIndex(), 2);
    QCOMPARE(w<QLineEdit>("ETitleDiff")->text(), QStringLiteral("-3"));
    QCOMPARE(w<QLabel>("LTitleDiff")->text(), QStringLiteral("日"));
    QCOMPARE(w<QPlainTextEdit>("Memo")->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(w<QRadioButton>("RDate")->isChecked());
    QVERIFY(w<QCheckBox>("CbDEveryMonth")->isChecked());
    QCOMPARE(w<QLineEdit>("EDDate1")->text(), QString()); // day 0 shows empty
    QCOMPARE(w<QLineEdit>("EDDate2")->text(), QStringLiteral("31"));
    QVERIFY(w<QCheckBox>("CbDSSun")->isChecked());
    QVERIFY(w<QCheckBox>("CbDSHoli")->isChecked());
    QVERIFY(w<QRadioButton>("RDSAfter")->isChecked());
    // The weekday fields are shown too, for a change of kind.
    QVERIFY(w<QRadioButton>("RYEvenWeek")->isChecked());
    QVERIFY(w<QCheckBox>("CbYFri")->isChecked());
    QVERIFY(w<QCheckBox>("CbYSHoli")->isChecked());
    QVERIFY(w<QRadioButton>("RYSAfter")->isChecked());
    QCOMPARE(w<QLineEdit>("EBefore")->text(), QStringLiteral("7"));
    QCOMPARE(w<QLineEdit>("EAfter")->text(), QStringLiteral("2"));
    QVERIFY(w<QCheckBox>("CbLDate")->isChecked());
    QVERIFY(w<TDateEdit>("LDate")->isEnabled());
    QCOMPARE(w<TDateEdit>("LDate")->Date(), date(2026, 11, 30));
    QVERIFY(w<QPushButton>("OKBtn")->isEnabled());
}

void TestDetailDlg::okButtonNeeds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("enabled");
    // Steps: T title, M month 6, D first day 10, Z first day 0, W Monday.
    QTest::newRow("once, no title") << "ROnce"
                                    << "" << false;
    QTest::newRow("once, title") << "ROnce"
                                 << "T" << true;
    QTest::newRow("irregular, title") << "RIrregular"
                                      << "T" << true;
    QTest::newRow("month-day, title only") << "RDate"
                                           << "T" << false;
    QTest::newRow("month-day, no day") << "RDate"
                                       << "TM" << false;
    QTest::newRow("month-day, day 0") << "RDate"
                                      << "TMZ" << false;
    QTest::newRow("month-day, no month") << "RDate"
                                         << "TD" << false;
    QTest::newRow("month-day, complete") << "RDate"
                                         << "TMD" << true;
    QTest::newRow("month-day, no title") << "RDate"
                                         << "MD" << false;
    QTest::newRow("weekday, no weekday") << "RDay"
                                         << "T" << false;
    QTest::newRow("weekday, complete") << "RDay"
                                       << "TW" << true;
}

void TestDetailDlg::okButtonNeeds()
{
    QFETCH(QString, kind);
    QFETCH(QString, steps);
    QFETCH(bool, enabled);
    open();
    m_dlg->findChild<QRadioButton *>(kind)->click();
    for (QChar step : steps) {
        switch (step.unicode()) {
        case 'T':
            QTest::keyClick(w<QLineEdit>("Text"), Qt::Key_A);
            break;
        case 'M':
            w<QCheckBox>("CbDMonth6")->click();
            break;
        case 'D':
            QTest::keyClicks(w<QLineEdit>("EDDate1"), QStringLiteral("10"));
            break;
        case 'Z':
            QTest::keyClicks(w<QLineEdit>("EDDate1"), QStringLiteral("0"));
            break;
        case 'W':
            w<QCheckBox>("CbYMon")->click();
            break;
        }
    }
    QCOMPARE(w<QPushButton>("OKBtn")->isEnabled(), enabled);
}

void TestDetailDlg::refusals_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("focus");
    QTest::newRow("end before start") << "end-before-start"
                                      << "OSDate";
    QTest::newRow("first day 45") << "day1-45"
                                  << "EDDate1";
    QTest::newRow("second day 45") << "day2-45"
                                   << "EDDate2";
    QTest::newRow("first day pasted letters") << "day1-letters"
                                              << "EDDate1";
    QTest::newRow("impossible start date") << "bad-start"
                                           << "OSDate";
    QTest::newRow("impossible end date") << "bad-end"
                                         << "OEDate";
    QTest::newRow("impossible irregular date") << "bad-irregular"
                                               << "OSDate";
    QTest::newRow("impossible last date") << "bad-last"
                                          << "LDate";
    QTest::newRow("emptied before-days") << "empty-before"
                                         << "EBefore";
    QTest::newRow("title over 32 bytes, loaded") << "long-title"
                                                 << "Text";
}

void TestDetailDlg::refusals()
{
    QFETCH(QString, situation);
    QFETCH(QString, focus);
    open();
    w<QLineEdit>("Text")->setText(QStringLiteral("件名"));
    const auto once = [this] {
        w<QRadioButton>("ROnce")->click();
        setDate("OSDate", 2026, 12, 10);
    };
    const auto monthDay = [this] {
        w<QCheckBox>("CbDMonth1")->click();
        QTest::keyClicks(w<QLineEdit>("EDDate1"), QStringLiteral("5"));
        QTest::keyClicks(w<QLineEdit>("EDDate2"), QStringLiteral("20"));
    };
    if (situation == "end-before-start") {
        once();
        w<QCheckBox>("CbOEDate")->click();
        setDate("OEDate", 2026, 12, 9);
    } else if (situation == "day1-45") {
        monthDay();
        w<QLineEdit>("EDDate1")->clear();
        QTest::keyClicks(w<QLineEdit>("EDDate1"), QStringLiteral("45"));
        // The spinner keeps the last value in range the field held.
        QCOMPARE(w<TUpDown>("UDDDate1")->position(), 4);
    } else if (situation == "day2-45") {
        monthDay();
        w<QLineEdit>("EDDate2")->clear();
        QTest::keyClicks(w<QLineEdit>("EDDate2"), QStringLiteral("45"));
    } else if (situation == "day1-letters") {
        monthDay();
        w<QLineEdit>("EDDate1")->setText(QStringLiteral("ab")); // as a paste would
    } else if (situation == "bad-start") {
        once();
        makeImpossibleDate("OSDate");
    } else if (situation == "bad-end") {
        once();
        w<QCheckBox>("CbOEDate")->click();
        makeImpossibleDate("OEDate");
    } else if (situation == "bad-irregular") {
        w<QRadioButton>("RIrregular")->click();
        w<QCheckBox>("CbOSDate")->click();
        makeImpossibleDate("OSDate");
    } else if (situation == "bad-last") {
        once();
        w<QCheckBox>("CbLDate")->click();
        makeImpossibleDate("LDate");
    } else if (situation == "empty-before") {
        once();
        w<QLineEdit>("EBefore")->clear();
    } else if (situation == "long-title") {
        TOnceItemRec item;
        item.Title = QString(40, QLatin1Char('x'));
        item.HasStart = true;
        item.StartDate = date(2026, 1, 1);
        m_dlg->LoadItem(item);
    }
    QVERIFY(w<QPushButton>("OKBtn")->isEnabled());
    w<QPushButton>("OKBtn")->setFocus();
    w<QPushButton>("OKBtn")->click();
    QCOMPARE(m_dlg->result(), 0);
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_notes->count(Notifier::Sound::Beep), 1);
    QVERIFY(m_notes->messages.isEmpty() && m_notes->errors.isEmpty());
    QCOMPARE(m_dlg->focusWidget(), m_dlg->findChild<QWidget *>(focus));
    QCOMPARE(typeid(m_dlg->WorkItem()), situation == "long-title" ? typeid(TOnceItemRec) : typeid(TItemRec));
}

void TestDetailDlg::everyMonthFollowsMonths()
{
    open();
    auto *every = w<QCheckBox>("CbDEveryMonth");
    every->click();
    for (int m = 1; m <= 12; ++m)
        QVERIFY(w<QCheckBox>(QStringLiteral("CbDMonth%1").arg(m).toLatin1())->isChecked());
    w<QCheckBox>("CbDMonth5")->click();
    QVERIFY(!every->isChecked());
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(w<QCheckBox>(QStringLiteral("CbDMonth%1").arg(m).toLatin1())->isChecked(), m != 5);
    w<QCheckBox>("CbDMonth5")->click();
    QVERIFY(every->isChecked());
    every->click();
    for (int m = 1; m <= 12; ++m)
        QVERIFY(!w<QCheckBox>(QStringLiteral("CbDMonth%1").arg(m).toLatin1())->isChecked());
}

void TestDetailDlg::atMostSixShiftWeekdays()
{
    open();
    const char *names[] = {"CbDSMon", "CbDSTue", "CbDSWed", "CbDSThu", "CbDSFri", "CbDSSat", "CbDSSun"};
    for (int d = 0; d < 6; ++d)
        w<QCheckBox>(names[d])->click();
    w<QCheckBox>("CbDSSun")->click();
    QVERIFY(!w<QCheckBox>("CbDSSun")->isChecked());
    for (int d = 0; d < 6; ++d)
        QVERIFY(w<QCheckBox>(names[d])->isChecked());
    // Setting it from code is refused the same way.
    w<QCheckBox>("CbDSSun")->setChecked(true);
    QVERIFY(!w<QCheckBox>("CbDSSun")->isChecked());
}

void TestDetailDlg::keyFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("day: letters and minus dropped") << "EDDate1"
                                                    << "a-1x2"
                                                    << "12";
    QTest::newRow("day: two characters at most") << "EDDate2"
                                                 << "123"
                                                 << "12";
    QTest::newRow("before: minus dropped") << "EBefore"
                                           << "-5"
                                           << "5";
    QTest::newRow("after: letters dropped") << "EAfter"
                                            << "x9y"
                                            << "9";
    QTest::newRow("issue number: minus passes") << "ETitleDiff"
                                                << "-1a2"
                                                << "-12";
}

void TestDetailDlg::keyFilters()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    open();
    w<QComboBox>("CBTitleOpt")->setCurrentIndex(1);
    auto *edit = m_dlg->findChild<QLineEdit *>(field);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), shown.chopped(1));
}

void TestDetailDlg::spinnersWrap_data()
{
    QTest::addColumn<QString>("spinner");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("shown");
    QTest::newRow("day above 31") << "UDDDate1" << 31 << true << "0";
    QTest::newRow("day below 0") << "UDDDate2" << 0 << false << "31";
    QTest::newRow("issue number above 99") << "UDTitleDiff" << 99 << true << "-99";
    QTest::newRow("issue number below -99") << "UDTitleDiff" << -99 << false << "99";
    QTest::newRow("before below 0") << "UDBefore" << 0 << false << "99";
    QTest::newRow("after above 99") << "UDAfter" << 99 << true << "0";
}

void TestDetailDlg::spinnersWrap()
{
    QFETCH(QString, spinner);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(QString, shown);
    open();
    w<QComboBox>("CBTitleOpt")->setCurrentIndex(4);
    auto *ud = m_dlg->findChild<TUpDown *>(spinner);
    ud->setPosition(start);
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, up ? 2 : ud->height() - 3));
    QCOMPARE(ud->associate()->text(), shown);
}

void TestDetailDlg::spinnerClickFocusesField()
{
    open();
    auto *ud = w<TUpDown>("UDBefore");
    auto *field = w<QLineEdit>("EBefore");
    w<QLineEdit>("Text")->setFocus();
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, 2));
    QCOMPARE(m_dlg->focusWidget(), field);
    QCOMPARE(field->text(), QStringLiteral("1"));
    QCOMPARE(field->selectedText(), QStringLiteral("1"));
}

void TestDetailDlg::zeroDayFieldEmptiedOnExit()
{
    open();
    auto *day = w<QLineEdit>("EDDate1");
    day->setFocus();
    QTest::keyClicks(day, QStringLiteral("0"));
    QCOMPARE(day->text(), QStringLiteral("0"));
    w<QLineEdit>("Text")->setFocus();
    QCOMPARE(day->text(), QString());
    QCOMPARE(m_dlg->DayValue(1), 0);
}

void TestDetailDlg::clearedDayStoresZero()
{
    TDateItemRec source;
    source.Title = QStringLiteral("t");
    source.SetMonth(2, true);
    source.SetDay(1, 5);
    source.SetDay(2, 10);
    m_dlg->LoadItem(source);
    open();
    w<QLineEdit>("EDDate1")->clear();
    QVERIFY(pressOk());
    QCOMPARE(m_dlg->WorkItem().Day(1), 0);
    QCOMPARE(m_dlg->WorkItem().Day(2), 10);
}

void TestDetailDlg::weekLabel_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("label");
    QTest::newRow("every week") << QDate(2026, 12, 8) << "RYWeekly"
                                << "";
    QTest::newRow("odd item, even week") << QDate(2026, 12, 8) << "RYOddWeek"
                                         << "来週";
    QTest::newRow("even item, even week") << QDate(2026, 12, 8) << "RYEvenWeek"
                                          << "今週";
    QTest::newRow("odd item, odd week") << QDate(2026, 12, 13) << "RYOddWeek"
                                        << "今週";
    QTest::newRow("even item, odd week") << QDate(2026, 12, 19) << "RYEvenWeek"
                                         << "来週";
}

void TestDetailDlg::weekLabel()
{
    QFETCH(QDate, today);
    QFETCH(QString, button);
    QFETCH(QString, label);
    m_dlg.reset();
    m_env.reset();
    m_env = std::make_unique<TestEnvironment>(QDateTime(today, QTime(9, 0)));
    m_dlg = std::make_unique<TDetailDlg>();
    // Loaded, the label is right before the dialog is shown.
    TDayItemRec item;
    item.WeekParity = button == "RYOddWeek" ? 1 : button == "RYEvenWeek" ? 2 : 0;
    m_dlg->LoadItem(item);
    QCOMPARE(w<QLabel>("LYBiweekly")->text(), label);
    open();
    w<QRadioButton>("RYWeekly")->click();
    QCOMPARE(w<QLabel>("LYBiweekly")->text(), QString());
    m_dlg->findChild<QRadioButton *>(button)->click();
    QCOMPARE(w<QLabel>("LYBiweekly")->text(), label);
}

void TestDetailDlg::titleNumberKeptWhileDisabled()
{
    open();
    w<QRadioButton>("ROnce")->click();
    w<QLineEdit>("Text")->setText(QStringLiteral("t"));
    auto *option = w<QComboBox>("CBTitleOpt");
    option->setCurrentIndex(1);
    QVERIFY(w<QLineEdit>("ETitleDiff")->isEnabled());
    w<TUpDown>("UDTitleDiff")->setPosition(5);
    option->setCurrentIndex(3);
    QVERIFY(!w<QLineEdit>("ETitleDiff")->isEnabled());
    QVERIFY(!w<TUpDown>("UDTitleDiff")->isEnabled());
    QCOMPARE(w<QLabel>("LTitleDiff")->text(), QString());
    QVERIFY(pressOk());
    QCOMPARE(m_dlg->WorkItem().TitleOpt, quint8(3));
    QCOMPARE(m_dlg->WorkItem().TitleDiff, 5);
}

void TestDetailDlg::afterLabelSelectsDayCount()
{
    THeadRec head;
    head.SetDefAfter(255);
    m_dlg->SetDisplayDefaults(head);
    open();
    QVERIFY(!w<QLineEdit>("EAfter")->isEnabled());
    QTest::mouseClick(w<QLabel>("LAfter"), Qt::LeftButton);
    QVERIFY(w<QRadioButton>("RAfterDay")->isChecked());
    QVERIFY(w<QLineEdit>("EAfter")->isEnabled());
}

void TestDetailDlg::shiftDirectionNeedsHoliday()
{
    open();
    w<QRadioButton>("RDay")->click();
    QVERIFY(!w<QRadioButton>("RYSBefore")->isEnabled());
    QVERIFY(!w<QRadioButton>("RYSAfter")->isEnabled());
    w<QCheckBox>("CbYSHoli")->click();
    QVERIFY(w<QRadioButton>("RYSBefore")->isEnabled());
    QVERIFY(w<QRadioButton>("RYSAfter")->isEnabled());
}

void TestDetailDlg::byteLimitsBeep()
{
    open();
    auto *title = w<QLineEdit>("Text");
    QTest::keyClicks(title, QString(33, QLatin1Char('a')));
    QCOMPARE(title->text(), QString(32, QLatin1Char('a')));
    QCOMPARE(m_notes->count(Notifier::Sound::Beep), 1);
    auto *memo = w<QPlainTextEdit>("Memo");
    QTest::keyClicks(memo, QString(64, QLatin1Char('b')));
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString(64, QLatin1Char('b')));
    QCOMPARE(m_notes->count(Notifier::Sound::Beep), 2);
}

void TestDetailDlg::cancelStoresNothing()
{
    TOnceItemRec source;
    source.Title = QStringLiteral("元");
    source.HasStart = true;
    source.StartDate = date(2026, 5, 5);
    m_dlg->LoadItem(source);
    open();
    w<QLineEdit>("Text")->setText(QStringLiteral("変更"));
    QTest::keyClick(w<QLineEdit>("Text"), Qt::Key_Escape);
    QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->WorkItem().Title, QStringLiteral("元"));
    QVERIFY(m_notes->sounds.isEmpty());
}

void TestDetailDlg::helpButton()
{
    open();
    w<QPushButton>("HelpBtn")->click();
    QCOMPARE(m_notes->helpContexts, QList<int> {3050});
}

void TestDetailDlg::tabOrderFollowsLayout_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("once") << "ROnce";
    QTest::newRow("month-day") << "RDate";
    QTest::newRow("weekday") << "RDay";
    QTest::newRow("irregular") << "RIrregular";
}

void TestDetailDlg::tabOrderFollowsLayout()
{
    QFETCH(QString, kind);
    open();
    m_dlg->findChild<QRadioButton *>(kind)->click();
    w<QComboBox>("CBTitleOpt")->setCurrentIndex(1);
    w<QCheckBox>("CbYSHoli")->setChecked(true);
    // Walk the focus chain over the controls Tab can reach: every next one
    // lies on the same row further right, or on a lower row.
    QList<QWidget *> reached;
    QWidget *current = w<QLineEdit>("Text");
    do {
        if (current->isVisible() && current->isEnabled() && (current->focusPolicy() & Qt::TabFocus))
            reached << current;
        current = current->nextInFocusChain();
    } while (current != w<QLineEdit>("Text"));
    QVERIFY(reached.size() > 10);
    QCOMPARE(reached.last(), w<QWidget>("HelpBtn"));
    for (qsizetype i = 1; i < reached.size(); ++i) {
        const QRect a(reached[i - 1]->mapTo(m_dlg.get(), QPoint()), reached[i - 1]->size());
        const QRect b(reached[i]->mapTo(m_dlg.get(), QPoint()), reached[i]->size());
        const bool sameRow = qAbs(a.center().y() - b.center().y()) < 8;
        QVERIFY2(sameRow ? b.left() > a.left() : b.top() > a.top(),
            qPrintable(reached[i - 1]->objectName() + " -> " + reached[i]->objectName()));
    }
}

void TestDetailDlg::screenshots()
{
    const QString dir = qEnvironmentVariable("TIDEMARK_SCREENSHOT_DIR", QDir::tempPath() + "/tidemark-editor");
    QDir().mkpath(dir);
    const auto shoot = [&](const QString &name, TItemRec &item) {
        item.Title = QStringLiteral("歯医者の予約ｶﾅ");
        item.MemoText = QStringLiteral("保険証を持参すること\r\n二行目のメモ");
        item.TitleOpt = 1;
        item.TitleDiff = 2;
        item.BeforeDays = 3;
        item.AfterDays = -1;
        item.HasLast = true;
        item.LastDate = date(2026, 11, 30);
        m_dlg = std::make_unique<TDetailDlg>();
        m_dlg->setWindowTitle(m_dlg->windowTitle() + QStringLiteral("修正"));
        m_dlg->LoadItem(item);
        open();
        const QImage image = m_dlg->grab().toImage();
        QVERIFY(image.save(dir + "/" + name + ".png"));
    };
    TOnceItemRec once;
    once.HasStart = true;
    once.StartDate = date(2026, 12, 20);
    once.HasEnd = true;
    once.EndDate = date(2026, 12, 24);
    shoot("once", once);
    TDateItemRec monthDay;
    for (int m : {1, 3, 5, 7, 9, 11})
        monthDay.SetMonth(m, true);
    monthDay.SetDay(1, 15);
    monthDay.SetDay(2, 31);
    monthDay.SetShiftDay(5, true);
    monthDay.SetShiftDay(6, true);
    monthDay.ShiftHoliday = true;
    shoot("monthday", monthDay);
    TDayItemRec weekday;
    weekday.WeekParity = 1;
    weekday.SetWeekday(0, true);
    weekday.SetWeekday(3, true);
    weekday.ShiftHoliday = true;
    weekday.ShiftDir = 1;
    shoot("weekday", weekday);
    TIrregularItemRec irregular;
    irregular.HasStart = true;
    irregular.StartDate = date(2027, 1, 9);
    shoot("irregular", irregular);
}

QTEST_MAIN(TestDetailDlg)
#include "tst_detaildlg.moc"
