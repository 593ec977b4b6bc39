#include "EditorScript.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QAction>
#include <QTimer>
#include <QToolTip>
#include <functional>
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

// A list row's caption and first two columns.
QStringList shown(const TSortListItem *row)
{
    return {row->caption(), row->subItem(1), row->subItem(2)};
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
    QString m_caption; // of the last editor opened
    bool m_leftOpen = false; // by its steps, which should close it

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
    // Runs `command`, working the editor it opens with `steps` (see Act);
    // true when an editor opened.
    bool edit(const std::function<void()> &command, const QString &steps)
    {
        bool opened = false;
        m_leftOpen = false;
        QTimer::singleShot(0, [&] { // runs inside the editor's modal loop
            auto *dlg = qobject_cast<TDetailDlg *>(QApplication::activeModalWidget());
            opened = dlg != nullptr;
            if (!opened)
                return;
            m_caption = dlg->windowTitle();
            Act(*dlg, steps);
            m_leftOpen = dlg->isVisible();
            if (m_leftOpen) // the command would hang
                dlg->reject();
        });
        command();
        QCoreApplication::processEvents();
        return opened;
    }
    bool run(const QString &action, const QString &steps = QStringLiteral("OKBtn"))
    {
        return edit([&] { m_form->findChild<QAction *>(action)->trigger(); }, steps);
    }

private Q_SLOTS:
    void init() // the previous case's objects go first, the window before the rest
    {
        m_form.reset();
        m_notes.reset();
        m_env.reset();
        m_env = std::make_unique<TestEnvironment>();
        m_notes = std::make_unique<ScriptedNotifier>();
        m_saveAnswer.clear();
        TListForm::setFileDialogHook([this](bool, const QString &) -> std::optional<QString> {
            if (m_saveAnswer.isEmpty())
                return std::nullopt;
            return m_saveAnswer;
        });
    }

    void addAppendsAndMarksModified()
    {
        TListForm *f = makeForm();
        f->Data->Head.SetDefBefore(2);
        f->Data->Head.SetDefAfter(255);
        for (int i = 0; i < TListForm::MaxItems - 3; ++i)
            addDirect(QStringLiteral("item %1").arg(i));
        for (int i = 1; i <= 3; ++i) // up to the limit
            QVERIFY(run("Add", QStringLiteral("ROnce Text<項目%1 OKBtn").arg(i)));
        QCOMPARE(m_caption, QStringLiteral("自動ToDoの追加"));
        QCOMPARE(f->Data->count(), 200);
        TItemRec *item = f->Data->at(199);
        QCOMPARE(describe(*item),
            QStringList({"TOnceItemRec", "項目3", "", "", "", "一度・期間", "2026/12/08", "", "", "", "", "", "", "",
                "2", "済まで", ""}));
        QVERIFY(f->Modified);
        QCOMPARE(f->ItemCountText(), QStringLiteral("現在 200件 / 最大 200件"));
        QCOMPARE(f->DataList->rowCount(), 200);
        QCOMPARE(shown(f->DataList->rowOfItem(item)), QStringList({"項目3", "一度・期間", "2026年12月08日"}));
        // The added item is the current row, wherever the sort put it.
        QCOMPARE(f->DataList->currentItem(), f->DataList->rowOfItem(item));
        QVERIFY(f->DataList->rowOfItem(item)->isSelected());
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
        for (int i = 1; i < TListForm::MaxItems - 1; ++i)
            addDirect(QStringLiteral("A"), std::make_unique<TIrregularItemRec>());
        select(source);
        QVERIFY(edit([&] { f->Cpy->trigger(); }, QStringLiteral("OKBtn")));
        QCOMPARE(m_caption, QStringLiteral("自動ToDoの複写して追加"));
        QCOMPARE(f->Data->count(), 200); // the last one below the limit
        QCOMPARE(f->Data->at(0), source);
        TItemRec *copy = f->Data->at(199);
        QVERIFY(copy != source);
        QCOMPARE(describe(*copy), describe(*source));
        QCOMPARE(copy->DevState, quint8(1));
        QCOMPARE(copy->DevByte, 200);
        QCOMPARE(copy->DevStamp, source->DevStamp);
        QCOMPARE(copy->DevWord, source->DevWord);
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
        const QPoint at = f->DataList->visualItemRect(row).center();
        QVERIFY(edit(
            [&] {
                QTest::mouseClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
            },
            QStringLiteral("Text<新 CbYFri OKBtn")));
        QCOMPARE(m_caption, QStringLiteral("自動ToDoの修正"));
        QCOMPARE(f->Data->at(1), middle); // same kind: the same object
        QCOMPARE(middle->Title, QStringLiteral("新"));
        QCOMPARE(shown(row), QStringList({"新", "曜日指定", "毎週火,金曜日"}));
        QVERIFY(f->Modified);

        // Enter: the kind changes, the item is replaced in place and the row follows it.
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->DataList->setFocus();
        select(middle);
        QVERIFY(edit([&] { QTest::keyClick(f->DataList, Qt::Key_Return); }, QStringLiteral("RIrregular OKBtn")));
        QCOMPARE(f->Data->count(), 3);
        QCOMPARE(f->Data->at(0), first);
        QCOMPARE(f->Data->at(2), last);
        TItemRec *replaced = f->Data->at(1);
        QCOMPARE(typeid(*replaced), typeid(TIrregularItemRec));
        QCOMPARE(row->item(), replaced);
        QCOMPARE(f->SelectedItem(), replaced);
        QCOMPARE(shown(row), QStringList({"新", "不定期", "2026年01月01日"}));
        QCOMPARE(f->DataList->rowCount(), 3);
    }

    // Commands refused (200 items, no row selected) open no editor; a
    // cancelled editor (button or Esc) changes nothing, also not its kind.
    void commandsThatChangeNothing_data()
    {
        QTest::addColumn<QString>("action"); // or Enter on the list
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("steps"); // in the editor; none: no editor may open
        Row("Add at the limit", "Add", 200, true, "");
        Row("Cpy at the limit", "Cpy", 200, true, "");
        for (const char *action : {"Cpy", "Upd", "Del", "Enter"})
            QTest::addRow("%s without a selected row", action) << action << 1 << false << QString();
        for (const char *action : {"Add", "Cpy", "Upd"}) {
            QTest::addRow("%s, Cancel", action) << action << 1 << true << "Text<変更 RDay CbYMon CancelBtn";
            QTest::addRow("%s, Esc", action) << action << 1 << true << "Text<変更 RDay CbYMon Text!";
        }
    }
    void commandsThatChangeNothing()
    {
        QFETCH(QString, action);
        QFETCH(int, items);
        QFETCH(bool, selected);
        QFETCH(QString, steps);
        TListForm *f = makeForm();
        f->DataList->BeginUpdate();
        for (int i = 0; i < items; ++i)
            addDirect(QStringLiteral("item %1").arg(i, 3, 10, QLatin1Char('0')));
        f->DataList->EndUpdate();
        f->ShowItemCount();
        TItemRec *item = f->Data->at(0);
        select(selected ? item : nullptr);
        f->DataList->setFocus();
        const auto command = [&] {
            if (action == "Enter")
                QTest::keyClick(f->DataList, Qt::Key_Return);
            else
                f->findChild<QAction *>(action)->trigger();
        };
        QCOMPARE(edit(command, steps.isEmpty() ? QStringLiteral("OKBtn") : steps), !steps.isEmpty());
        QVERIFY(!m_leftOpen);
        QCOMPARE(f->Data->count(), items);
        QCOMPARE(f->Data->at(0), item);
        QCOMPARE(typeid(*item), typeid(TOnceItemRec));
        QCOMPARE(item->Title, QStringLiteral("item 000"));
        QCOMPARE(f->DataList->rowCount(), items);
        QCOMPARE(f->DataList->rowOfItem(item)->caption(), QStringLiteral("item 000"));
        QVERIFY(!f->Modified);
        QVERIFY(m_notes->messages.isEmpty() && m_notes->confirmations.isEmpty());
        // Refused at the limit, Add and copy say why: a beep and the hint.
        const bool atLimit = items == TListForm::MaxItems;
        QCOMPARE(m_notes->sounds, atLimit ? QList {Notifier::Sound::Beep} : QList<Notifier::Sound> {});
        if (atLimit)
            QTRY_COMPARE(QToolTip::text(), TListForm::ItemLimitHint());
        QCOMPARE(f->ItemCountText(), QStringLiteral("現在 %1件 / 最大 200件").arg(items, 3));
    }

    void deleteBeepsThenAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("deleted");
        Row("はい", int(Notifier::Yes), true);
        Row("いいえ", int(Notifier::No), false);
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

    // Items of the four kinds (irregular with and without a start) made in the editor store what was entered, keep
    // it through saving and reopening, and through an update that changes
    // nothing (which still counts as a change).
    void roundTripOfAllKinds()
    {
        TListForm *f = makeForm();
        const QStringList scripts = {
            "ROnce CbOEDate Text<旅行 Memo<切符\n宿 OSDate=2027/05/01 OEDate=2027/05/05 EBefore=7",
            "Text<月刊誌 CBTitleOpt=1 ETitleDiff=-2 EDDate1=31 EDDate2=25 CbDMonth1 CbDMonth4 CbDMonth12 CbDSSat "
            "CbDSSun CbDSHoli RDSAfter CbLDate LDate=2026/11/30",
            "Text<ゴミ出し RDay RYEvenWeek CbYTue CbYFri CbYSHoli RYSAfter RAfterCheck",
            // An irregular item counts volumes only.
            "Text<コミック RIrregular CbOSDate CBTitleOpt=1 ETitleDiff=12 OSDate=2027/01/09",
            "Text<雑誌 RIrregular",
        };
        for (const QString &script : scripts)
            QVERIFY(run("Add", script + " OKBtn"));
        const QList<QStringList> expected = {
            {"TOnceItemRec", "旅行", "", "", "切符\r\n宿", "一度・期間", "2027/05/01", "2027/05/05", "", "", "", "", "",
                "", "7", "0", ""},
            {"TDateItemRec", "月刊誌", "月差", "-2", "", "月日指定", "", "", "1,4,12月", "末,25日", "", "", "土,日,祝",
                "後", "0", "0", "2026/11/30"},
            {"TDayItemRec", "ゴミ出し", "", "", "", "曜日指定", "", "", "", "", "偶数週", "火,金曜日", "祝", "後", "0",
                "済まで", ""},
            {"TIrregularItemRec", "コミック", "巻", "12", "", "不定期", "2027/01/09", "", "", "", "", "", "", "", "0",
                "0", ""},
            {"TIrregularItemRec", "雑誌", "", "", "", "不定期", "", "", "", "", "", "", "", "", "", "", ""},
        };
        QCOMPARE(f->Data->count(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(describe(*f->Data->at(i)), expected[i]);

        const QString path = m_env->path(QStringLiteral("kinds.tmd"));
        m_saveAnswer = path;
        QVERIFY(f->SaveExecute());
        QVERIFY(!f->Modified);
        TListForm *g = makeForm(path);
        QCOMPARE(g->Data->count(), expected.size());
        QCOMPARE(g->DataList->rowCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(describe(*g->Data->at(i)), expected[i]);
            select(g->Data->at(i));
            QVERIFY(run("Upd"));
            QCOMPARE(describe(*g->Data->at(i)), expected[i]);
        }
        QVERIFY(g->Modified);
    }
};

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
