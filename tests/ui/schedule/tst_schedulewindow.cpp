#include "../../data/DataFixtures.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"
#include "ui/editor/DetailDlg.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"
#include "ui/schedule/ScheduleMonthGrid.h"
#include "ui/schedule/ScheduleWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

int day(int y, int m, int d)
{
    return int(EncodeDate(y, m, d));
}

QStringList column(const QTreeWidget *list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

} // namespace

// The schedule window through the main window: opened from the "表示" menu
// and the list's context menu, following the document, a day's items, the
// editor from a double click, its place kept. Today is 2026-12-08.
class TestScheduleWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TListForm> m_form;

    void makeForm()
    {
        m_form.reset();
        m_form = std::make_unique<TListForm>();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    TItemRec *add(int kind, const QString &fields)
    {
        TItemRec *item = m_form->Data->append(MakeItem(kind, fields));
        m_form->AddItemRow(item);
        m_form->SetModified(true);
        return item;
    }
    // A month with moved items and holidays: January 2027.
    void fillDocument()
    {
        add(1, "t=年始の挨拶 mon=1 d=1,0 sh=h dir=1 b=3");
        add(1, "t=成人式の準備 mon=1 d=11,0 sh=h dir=0 b=2 a=1");
        add(1, "t=月末締め mon=1,2,3,4,5,6,7,8,9,10,11,12 d=31,0 sh=5,6,h dir=0 b=5");
        add(2, "t=燃えるゴミ wd=0,3 sh=h dir=1");
        add(0, "t=新年会 s=2027/01/15 e=2027/01/16 b=2 a=1");
        add(2, "t=雑誌の発売 wd=2 wp=1 b=1 a=-1");
        add(3, "t=いつか");
        add(1, "t=家賃 mon=1,2,3,4,5,6,7,8,9,10,11,12 d=27,0 sh=5,6,h dir=0 b=3 l=2027/01/27");
    }
    ScheduleWindow *window() const { return m_form->findChild<ScheduleWindow *>(); }
    ScheduleWindow *open()
    {
        m_form->Schedule->trigger();
        ScheduleWindow *w = window();
        if (w && !QTest::qWaitForWindowExposed(w))
            qWarning("schedule window not exposed");
        return w;
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init()
    {
        m_form.reset();
        m_notes.reset();
        m_env.reset();
        m_env = std::make_unique<TestEnvironment>();
        m_notes = std::make_unique<ScriptedNotifier>();
        makeForm();
    }
    void cleanupTestCase() { m_form.reset(); }

    void opensFromTheViewMenu()
    {
        QCOMPARE(m_form->View1->title(), QStringLiteral("表示(&V)"));
        QVERIFY(m_form->View1->actions().contains(m_form->Schedule));
        QVERIFY(m_form->PopupMenu->actions().contains(m_form->Schedule));
        QCOMPARE(m_form->Schedule->text(), QStringLiteral("予定表(&S)"));
        ScheduleWindow *w = open();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("予定表"));
        QCOMPARE(w->findChild<QLabel *>("MonthLabel")->text(), QStringLiteral("2026年12月"));
        // A second command shows the same window.
        m_form->Schedule->trigger();
        QCOMPARE(m_form->findChildren<ScheduleWindow *>().size(), 1);
    }

    void monthWithMovedItems()
    {
        fillDocument();
        ScheduleWindow *w = open();
        w->findChild<QToolButton *>("NextMonth")->click();
        QCOMPARE(w->findChild<QLabel *>("MonthLabel")->text(), QStringLiteral("2027年1月"));

        ScheduleMonthGrid *grid = w->grid();
        QCOMPARE(grid->holidayNamesOn(day(2027, 1, 1)), QStringLiteral("元日"));
        QVERIFY(!grid->holidayNamesOn(day(2027, 1, 11)).isEmpty());
        QVERIFY(grid->holidayNamesOn(day(2027, 1, 12)).isEmpty());
        QCOMPARE(grid->titlesOn(day(2027, 1, 2)), QStringList {"年始の挨拶"});
        QCOMPARE(grid->titlesOn(day(2027, 1, 10)), QStringList {"成人式の準備"});
        QCOMPARE(grid->titlesOn(day(2027, 1, 12)), QStringList {"燃えるゴミ"}); // Monday 11 is a holiday
        QCOMPARE(grid->titlesOn(day(2027, 1, 29)), QStringList {"月末締め"});
        // 成人式の準備 shows 1/8..1/11, 年始の挨拶 12/30..1/2, 雑誌 until done.
        QCOMPARE(grid->shownCount(day(2027, 1, 9)), 2);

        const QTreeWidget *list = w->list();
        const QStringList targets = column(list, 0);
        const QStringList titles = column(list, 1);
        const qsizetype moved = titles.indexOf(QStringLiteral("成人式の準備"));
        QVERIFY(moved >= 0);
        QCOMPARE(targets[moved], QStringLiteral("2027/01/10(日)"));
        QCOMPARE(list->topLevelItem(int(moved))->text(2), QStringLiteral("←01/11(月) 祝日"));
        QCOMPARE(list->topLevelItem(int(moved))->text(3), QStringLiteral("01/08"));
        QCOMPARE(list->topLevelItem(int(moved))->text(4), QStringLiteral("01/11"));
        const qsizetype monthEnd = titles.indexOf(QStringLiteral("月末締め"));
        QCOMPARE(list->topLevelItem(int(monthEnd))->text(2), QStringLiteral("←01/31(日) 曜日"));
        const qsizetype party = titles.indexOf(QStringLiteral("新年会"));
        QCOMPARE(targets[party], QStringLiteral("2027/01/15(金)〜01/16"));
        const qsizetype magazine = titles.indexOf(QStringLiteral("雑誌の発売"));
        // 1/13, then 1/27 of the next odd week, shown from 1/26.
        QCOMPARE(list->topLevelItem(int(magazine))->text(4), QStringLiteral("01/25"));
        // Items without a target day come last.
        QCOMPARE(targets.last(), QStringLiteral("不定期"));
        QCOMPARE(titles.last(), QStringLiteral("いつか"));
        // Sorted by target day.
        QCOMPARE(targets.first(), QStringLiteral("2027/01/02(土)"));
        // The rent of the 27th is on or before the last processed date.
        const qsizetype rent = titles.indexOf(QStringLiteral("家賃"));
        QCOMPARE(list->topLevelItem(int(rent))->foreground(0).color(), QColor(0x80, 0x80, 0x80));

        if (const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); !dir.isEmpty()) {
            w->list()->setCurrentItem(w->list()->topLevelItem(int(moved)));
            w->grab().save(dir + QStringLiteral("/schedule-window.png"));
        }
    }

    void followsTheDocument()
    {
        ScheduleWindow *w = open();
        QCOMPARE(w->list()->topLevelItemCount(), 0);
        TItemRec *item = add(0, "t=締切 s=2026/12/20");
        QTRY_COMPARE(column(w->list(), 1), QStringList {"締切"});
        QTRY_COMPARE(w->grid()->titlesOn(day(2026, 12, 20)), QStringList {"締切"});
        // The item changes its day.
        item->StartDate = EncodeDate(2026, 12, 21);
        m_form->SetModified(true);
        QTRY_COMPARE(w->grid()->titlesOn(day(2026, 12, 21)), QStringList {"締切"});
        QVERIFY(w->grid()->titlesOn(day(2026, 12, 20)).isEmpty());
        m_form->NewExecute();
        QTRY_COMPARE(w->list()->topLevelItemCount(), 0);
    }

    void clickedDayListsWhatIsShown()
    {
        fillDocument();
        ScheduleWindow *w = open();
        w->NextMonthClick();
        const QRect cell = w->grid()->cellRect(day(2027, 1, 9));
        QTest::mouseClick(w->grid(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(w->selectedDay(), std::optional<int>(day(2027, 1, 9)));
        QStringList titles = column(w->list(), 1);
        titles.sort();
        QCOMPARE(titles, (QStringList {"成人式の準備", "雑誌の発売"}));
        QCOMPARE(w->findChild<QLabel *>("ListLabel")->text(), QStringLiteral("2027/01/09(土) に表示される項目: 2件"));
        QVERIFY(w->findChild<QPushButton *>("WholeMonthBtn")->isEnabled());
        w->findChild<QPushButton *>("WholeMonthBtn")->click();
        QVERIFY(!w->selectedDay());
        QVERIFY(w->list()->topLevelItemCount() > 2);
    }

    void navigation()
    {
        ScheduleWindow *w = open();
        auto *prev = w->findChild<QToolButton *>("PrevMonth");
        auto *next = w->findChild<QToolButton *>("NextMonth");
        next->click();
        next->click();
        QCOMPARE(w->month(), 2);
        QCOMPARE(w->year(), 2027);
        w->findChild<QPushButton *>("TodayBtn")->click();
        QCOMPARE(w->month(), 12);
        QCOMPARE(w->year(), 2026);
        QCOMPARE(w->selectedDay(), std::optional<int>(day(2026, 12, 8)));
        w->showMonth(2099, 12);
        QVERIFY(!next->isEnabled());
        w->showMonth(1901, 1);
        QVERIFY(!prev->isEnabled());
        prev->click();
        QCOMPARE(w->year(), 1901);
    }

    void contextMenuShowsTheSelectedItem()
    {
        fillDocument();
        TItemRec *item = add(1, "t=夏祭り mon=8 d=1,0");
        m_form->DataList->setSelectedRow(m_form->DataList->rowOfItem(item));
        ScheduleWindow *w = open();
        QCOMPARE(w->year(), 2027);
        QCOMPARE(w->month(), 8);
        QCOMPARE(w->list()->currentItem()->text(1), QStringLiteral("夏祭り"));
    }

    void doubleClickEditsTheItem()
    {
        fillDocument();
        ScheduleWindow *w = open();
        w->NextMonthClick();
        const QList<QTreeWidgetItem *> rows = w->list()->findItems(QStringLiteral("新年会"), Qt::MatchExactly, 1);
        QCOMPARE(rows.size(), 1);
        QString caption, title;
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<TDetailDlg *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            caption = dlg->windowTitle();
            title = dlg->findChild<QLineEdit *>("Text")->text();
            dlg->reject();
        });
        Q_EMIT w->list()->itemDoubleClicked(rows[0], 0);
        QCOMPARE(caption, QStringLiteral("自動ToDoの修正"));
        QCOMPARE(title, QStringLiteral("新年会"));
        QCOMPARE(m_form->SelectedItem()->Title, QStringLiteral("新年会"));
    }

    void keepsItsPlace()
    {
        ScheduleWindow *w = open();
        w->setGeometry(QRect(QPoint(120, 90), QSize(900, 500)));
        const QRect placed = w->geometry();
        w->close();
        const QString stored = QString::fromUtf8(ReadFile(m_env->settingsPath()));
        QVERIFY2(stored.contains(QStringLiteral("ScheduleWindow")), qPrintable(stored));
        makeForm();
        w = open();
        QCOMPARE(w->geometry().size(), placed.size());
    }
};

QTEST_MAIN(TestScheduleWindow)
#include "tst_schedulewindow.moc"
