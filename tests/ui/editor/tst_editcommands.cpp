#include "EditorScript.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "calendar/DateEdit.h"
#include "data/Data.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

namespace {

// Everything an item shows or stores, as text.
QStringList describe(const TItemRec &item)
{
    return {QString::fromLatin1(item.className()), item.TitleStr(), item.TitleOptStr(), item.TitleDiffStr(),
        item.MemoStr(), item.KindStr(), item.StartStr(), item.EndStr(), item.MonthsStr(), item.DaysStr(),
        item.WeekStr(), item.WeekdaysStr(), item.ShiftStr(), item.ShiftDirStr(), item.BeforeStr(), item.AfterStr(),
        item.LastStr()};
}

void click(const QWidget &dlg, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        Ctl<QAbstractButton>(dlg, name)->click();
}

} // namespace

// The main window's edit commands through the item editor: add, copy and add,
// update (also by double click and Enter), delete, the limit of 200 items, and
// items of every kind made in the editor that survive saving and reopening.
class TestEditCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TListForm> m_form;
    QString m_saveAnswer;

    TListForm *makeForm(const QString &argument = QString())
    {
        m_form.reset();
        m_form = std::make_unique<TListForm>(argument);
        m_form->show();
        m_form->activateWindow();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("main window not active");
        return m_form.get();
    }
    TItemRec *addDirect(const QString &title, std::unique_ptr<TItemRec> item = std::make_unique<TOnceItemRec>())
    {
        item->Title = title;
        item->HasStart = true;
        item->StartDate = EncodeDate(2026, 1, 1);
        TItemRec *added = m_form->Data->append(std::move(item));
        m_form->AddItemRow(added);
        return added;
    }
    void select(TItemRec *item)
    {
        m_form->DataList->setSelectedRow(item ? m_form->DataList->rowOfItem(item) : nullptr);
    }
    // Triggers `action` and answers the editor with `script`, then OK.
    void run(const char *action, std::function<void(TDetailDlg &)> script = {}, bool *opened = nullptr)
    {
        WhenEditorOpens(
            [script](TDetailDlg &dlg) {
                if (script)
                    script(dlg);
                click(dlg, {"OKBtn"});
            },
            opened);
        m_form->findChild<QAction *>(action)->trigger();
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_notes = std::make_unique<ScriptedNotifier>();
        m_saveAnswer.clear();
        TListForm::setFileDialogHook([this](bool, const QString &) -> std::optional<QString> {
            if (m_saveAnswer.isEmpty())
                return std::nullopt;
            return m_saveAnswer;
        });
    }
    void cleanup()
    {
        m_form.reset();
        TListForm::setFileDialogHook({});
        m_notes.reset();
        m_env.reset();
    }

    void addAppendsAndMarksModified()
    {
        TListForm *f = makeForm();
        f->Data->Head.SetDefBefore(2);
        f->Data->Head.SetDefAfter(255);
        QString caption;
        for (int i = 1; i <= 3; ++i)
            run("Add", [&](TDetailDlg &dlg) {
                caption = dlg.windowTitle();
                click(dlg, {"ROnce"});
                Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("項目%1").arg(i));
            });
        QCOMPARE(caption, QStringLiteral("自動ToDoの追加"));
        QCOMPARE(f->Data->count(), 3);
        TItemRec *item = f->Data->at(2);
        QCOMPARE(typeid(*item), typeid(TOnceItemRec));
        QCOMPARE(item->Title, QStringLiteral("項目3"));
        QCOMPARE(item->BeforeDays, 2);
        QCOMPARE(item->AfterDays, -1);
        QVERIFY(f->Modified);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規(修正)"));
        QCOMPARE(f->ItemCountText(), QStringLiteral("現在   3件 / 最大 200件"));
        QCOMPARE(f->DataList->rowCount(), 3);
        TSortListItem *row = f->DataList->rowOfItem(item);
        QCOMPARE(row->caption(), QStringLiteral("項目3"));
        QCOMPARE(row->subItem(1), QStringLiteral("一度・期間"));
        QCOMPARE(row->subItem(2), QStringLiteral("2026年12月08日"));
    }

    void copyAppendsAtEnd()
    {
        TListForm *f = makeForm();
        auto first = std::make_unique<TOnceItemRec>();
        first->DevState = 1;
        first->DevByte = 200;
        first->DevStamp = EncodeDate(2026, 2, 1) + 0.5;
        first->DevWord[1] = 65535;
        first->DevWord[4] = 12;
        first->HasLast = true;
        first->LastDate = EncodeDate(2026, 2, 28);
        TItemRec *source = addDirect(QStringLiteral("B"), std::move(first));
        addDirect(QStringLiteral("A"), std::make_unique<TIrregularItemRec>());
        select(source);
        QString caption, shownTitle;
        run("Cpy", [&](TDetailDlg &dlg) {
            caption = dlg.windowTitle();
            shownTitle = Ctl<QLineEdit>(dlg, "Text")->text();
        });
        QCOMPARE(caption, QStringLiteral("自動ToDoの複写して追加"));
        QCOMPARE(shownTitle, QStringLiteral("B"));
        QCOMPARE(f->Data->count(), 3);
        QCOMPARE(f->Data->at(0), source);
        TItemRec *copy = f->Data->at(2);
        QVERIFY(copy != source);
        QCOMPARE(describe(*copy), describe(*source));
        QCOMPARE(copy->DevState, quint8(1));
        QCOMPARE(copy->DevByte, 200);
        QCOMPARE(copy->DevStamp, source->DevStamp);
        QCOMPARE(copy->DevWord, source->DevWord);
        QCOMPARE(f->DataList->rowCount(), 3);
        QCOMPARE(f->DataList->rowOfItem(copy)->caption(), QStringLiteral("B"));
        QVERIFY(f->Modified);
    }

    void updateByDoubleClickAndEnter()
    {
        TListForm *f = makeForm();
        TItemRec *first = addDirect(QStringLiteral("a"));
        auto made = std::make_unique<TDayItemRec>();
        made->SetWeekday(1, true);
        TItemRec *middle = addDirect(QStringLiteral("旧"), std::move(made));
        TItemRec *last = addDirect(QStringLiteral("c"), std::make_unique<TIrregularItemRec>());
        TSortListItem *row = f->DataList->rowOfItem(middle);
        select(middle);
        QString caption;
        WhenEditorOpens([&](TDetailDlg &dlg) {
            caption = dlg.windowTitle();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("新"));
            click(dlg, {"CbYFri", "OKBtn"});
        });
        const QPoint at = f->DataList->visualItemRect(row).center();
        QTest::mouseClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(caption, QStringLiteral("自動ToDoの修正"));
        QCOMPARE(f->Data->at(1), middle); // same kind: the same object
        QCOMPARE(middle->Title, QStringLiteral("新"));
        QCOMPARE(row->caption(), QStringLiteral("新"));
        QCOMPARE(row->subItem(2), QStringLiteral("毎週火,金曜日"));
        QVERIFY(f->Modified);

        // Enter: the kind changes, the item is replaced in place and the row follows it.
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->DataList->setFocus();
        select(middle);
        WhenEditorOpens([](TDetailDlg &dlg) { click(dlg, {"RIrregular", "OKBtn"}); });
        QTest::keyClick(f->DataList, Qt::Key_Return);
        QCOMPARE(f->Data->count(), 3);
        QCOMPARE(f->Data->at(0), first);
        QCOMPARE(f->Data->at(2), last);
        TItemRec *replaced = f->Data->at(1);
        QCOMPARE(typeid(*replaced), typeid(TIrregularItemRec));
        QCOMPARE(replaced->Title, QStringLiteral("新"));
        QCOMPARE(row->item(), replaced);
        QCOMPARE(f->SelectedItem(), replaced);
        QCOMPARE(row->subItem(1), QStringLiteral("不定期"));
        QCOMPARE(f->DataList->rowCount(), 3);
    }

    void limitOf200_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("Add (Ins)") << "Add";
        QTest::newRow("Cpy (Ctrl+C)") << "Cpy";
    }
    void limitOf200()
    {
        QFETCH(QString, action);
        TListForm *f = makeForm();
        f->DataList->BeginUpdate();
        for (int i = 0; i < TListForm::MaxItems; ++i)
            addDirect(QStringLiteral("item %1").arg(i, 3, 10, QLatin1Char('0')));
        f->DataList->EndUpdate();
        f->ShowItemCount();
        select(f->Data->at(0));
        bool opened = true;
        run(action.toLatin1(), {}, &opened);
        QVERIFY(!opened);
        QCOMPARE(f->Data->count(), 200);
        QVERIFY(!f->Modified);
        QVERIFY(m_notes->messages.isEmpty() && m_notes->sounds.isEmpty());
        QCOMPARE(f->ItemCountText(), QStringLiteral("現在 200件 / 最大 200件"));

        // One below the limit the command works.
        m_notes->answers << Notifier::Yes;
        select(f->Data->at(199));
        f->Del->trigger();
        QCOMPARE(f->Data->count(), 199);
        select(f->Data->at(0));
        const auto script = [](TDetailDlg &dlg) {
            click(dlg, {"ROnce"});
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("最後"));
        };
        run(action.toLatin1(), script, &opened);
        QVERIFY(opened);
        QCOMPARE(f->Data->count(), 200);
    }

    void commandsNeedSelectedRow_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *action : {"Cpy", "Upd", "Del", "Enter"})
            QTest::newRow(action) << action;
    }
    void commandsNeedSelectedRow()
    {
        QFETCH(QString, action);
        TListForm *f = makeForm();
        addDirect(QStringLiteral("one"));
        select(nullptr);
        bool opened = true;
        if (action == "Enter") {
            WhenEditorOpens([](TDetailDlg &dlg) { click(dlg, {"OKBtn"}); }, &opened);
            f->DataList->setFocus();
            QTest::keyClick(f->DataList, Qt::Key_Return);
            QCoreApplication::processEvents();
        } else {
            run(action.toLatin1(), {}, &opened);
        }
        QVERIFY(!opened);
        QVERIFY(m_notes->confirmations.isEmpty() && m_notes->sounds.isEmpty());
        QCOMPARE(f->Data->count(), 1);
        QVERIFY(!f->Modified);
    }

    void cancelledEditorChangesNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("escape");
        for (const char *action : {"Add", "Cpy", "Upd"}) {
            QTest::addRow("%s, Cancel", action) << action << false;
            QTest::addRow("%s, Esc", action) << action << true;
        }
    }
    void cancelledEditorChangesNothing()
    {
        QFETCH(QString, action);
        QFETCH(bool, escape);
        TListForm *f = makeForm();
        TItemRec *item = addDirect(QStringLiteral("そのまま"));
        select(item);
        bool opened = false;
        WhenEditorOpens(
            [escape](TDetailDlg &dlg) {
                auto *title = Ctl<QLineEdit>(dlg, "Text");
                title->setText(QStringLiteral("変更"));
                click(dlg, {"RDay", "CbYMon"});
                if (escape)
                    QTest::keyClick(title, Qt::Key_Escape);
                else
                    click(dlg, {"CancelBtn"});
            },
            &opened);
        f->findChild<QAction *>(action)->trigger();
        QVERIFY(opened);
        QCOMPARE(f->Data->count(), 1);
        QCOMPARE(f->Data->at(0), item);
        QCOMPARE(typeid(*item), typeid(TOnceItemRec));
        QCOMPARE(item->Title, QStringLiteral("そのまま"));
        QCOMPARE(f->DataList->rowCount(), 1);
        QCOMPARE(f->DataList->rowOfItem(item)->caption(), QStringLiteral("そのまま"));
        QVERIFY(!f->Modified);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
        QVERIFY(m_notes->sounds.isEmpty());
    }

    void deleteBeepsThenAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("はい") << int(Notifier::Yes) << true;
        QTest::newRow("いいえ") << int(Notifier::No) << false;
    }
    void deleteBeepsThenAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, deleted);
        TListForm *f = makeForm();
        TItemRec *keep = addDirect(QStringLiteral("残る"));
        TItemRec *victim = addDirect(QStringLiteral("対象"));
        select(victim);
        m_notes->answers << Notifier::Button(answer);
        QTest::keyClick(f->DataList, Qt::Key_Delete);
        QCOMPARE(m_notes->sounds, QList<Notifier::Sound> {Notifier::Sound::Beep});
        QCOMPARE(m_notes->confirmations, QStringList {QStringLiteral("対象を削除します。よろしいですか？")});
        QCOMPARE(m_notes->confirmButtons.value(0), Notifier::Buttons(Notifier::Yes | Notifier::No));
        QCOMPARE(f->Data->count(), deleted ? 1 : 2);
        QCOMPARE(f->Data->at(0), keep);
        QCOMPARE(f->DataList->rowCount(), deleted ? 1 : 2);
        QCOMPARE(f->DataList->rowOfItem(keep)->caption(), QStringLiteral("残る"));
        QCOMPARE(f->Modified, deleted);
        QCOMPARE(f->ItemCountText(), QStringLiteral("現在   %1件 / 最大 200件").arg(deleted ? 1 : 2));
    }

    // Items of the four kinds made in the editor store what was entered, keep
    // it through saving and reopening, and through an update that changes
    // nothing (which still counts as a change).
    void roundTripOfAllKinds()
    {
        TListForm *f = makeForm();
        run("Add", [](TDetailDlg &dlg) {
            click(dlg, {"ROnce", "CbOEDate"});
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("旅行"));
            Ctl<QPlainTextEdit>(dlg, "Memo")->setPlainText(QStringLiteral("切符\n宿"));
            Ctl<TDateEdit>(dlg, "OSDate")->setDate(EncodeDate(2027, 5, 1));
            Ctl<TDateEdit>(dlg, "OEDate")->setDate(EncodeDate(2027, 5, 5));
            Ctl<QLineEdit>(dlg, "EBefore")->setText(QStringLiteral("7"));
        });
        run("Add", [](TDetailDlg &dlg) {
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("月刊誌"));
            Ctl<QComboBox>(dlg, "CBTitleOpt")->setCurrentIndex(1);
            Ctl<QLineEdit>(dlg, "ETitleDiff")->setText(QStringLiteral("-2"));
            QTest::keyClicks(Ctl(dlg, "EDDate1"), QStringLiteral("31"));
            QTest::keyClicks(Ctl(dlg, "EDDate2"), QStringLiteral("25"));
            click(
                dlg, {"CbDMonth1", "CbDMonth4", "CbDMonth12", "CbDSSat", "CbDSSun", "CbDSHoli", "RDSAfter", "CbLDate"});
            Ctl<TDateEdit>(dlg, "LDate")->setDate(EncodeDate(2026, 11, 30));
        });
        run("Add", [](TDetailDlg &dlg) {
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("ゴミ出し"));
            click(dlg, {"RDay", "RYEvenWeek", "CbYTue", "CbYFri", "CbYSHoli", "RYSAfter", "RAfterCheck"});
        });
        run("Add", [](TDetailDlg &dlg) {
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("コミック"));
            click(dlg, {"RIrregular", "CbOSDate"});
            Ctl<QComboBox>(dlg, "CBTitleOpt")->setCurrentIndex(1); // an irregular item counts volumes only
            Ctl<QLineEdit>(dlg, "ETitleDiff")->setText(QStringLiteral("12"));
            Ctl<TDateEdit>(dlg, "OSDate")->setDate(EncodeDate(2027, 1, 9));
        });
        const QList<QStringList> expected = {
            {"TOnceItemRec", "旅行", "", "", "切符\r\n宿", "一度・期間", "2027/05/01", "2027/05/05", "", "", "", "", "",
                "", "7", "0", ""},
            {"TDateItemRec", "月刊誌", "月差", "-2", "", "月日指定", "", "", "1,4,12月", "末,25日", "", "", "土,日,祝",
                "後", "0", "0", "2026/11/30"},
            {"TDayItemRec", "ゴミ出し", "", "", "", "曜日指定", "", "", "", "", "偶数週", "火,金曜日", "祝", "後", "0",
                "済まで", ""},
            {"TIrregularItemRec", "コミック", "巻", "12", "", "不定期", "2027/01/09", "", "", "", "", "", "", "", "0",
                "0", ""},
        };
        QCOMPARE(f->Data->count(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(describe(*f->Data->at(i)), expected[i]);

        const QString path = m_env->path(QStringLiteral("kinds.tmd"));
        m_saveAnswer = path;
        QVERIFY(f->SaveExecute());
        QVERIFY(!f->Modified);
        TListForm *g = makeForm(path);
        QCOMPARE(g->Data->count(), 4);
        QCOMPARE(g->DataList->rowCount(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(describe(*g->Data->at(i)), expected[i]);
            select(g->Data->at(i));
            run("Upd");
            QCOMPARE(describe(*g->Data->at(i)), expected[i]);
        }
        QVERIFY(g->Modified);
    }
};

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
