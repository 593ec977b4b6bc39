#include "EditorScript.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "ui/editor/DataEdit.h"
#include "ui/main/SortListView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

// The collection's edit operations run through the editor, with and without
// the list whose rows they keep in step.
class TestDataEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void addAppendsItemAndRow();
    void addWithoutRowsChangesCollectionOnly();
    void cancelledEditorChangesNothing_data();
    void cancelledEditorChangesNothing();
    void copyAppendsAtEnd();
    void updateKeepsObject();
    void updateKindChangeReplacesInPlace();
    void deleteAsksWithTitle_data();
    void deleteAsksWithTitle();
    void deleteWithoutRow();

private:
    TItemRec *addItem(std::unique_ptr<TItemRec> item);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TSortListView> m_list;
};

void TestDataEdit::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_notes = std::make_unique<ScriptedNotifier>();
    m_data = std::make_unique<TData>();
    m_list = std::make_unique<TSortListView>();
    AddItemListColumns(*m_list);
    m_list->show();
}

void TestDataEdit::cleanup()
{
    m_list.reset();
    m_data.reset();
    m_notes.reset();
    m_env.reset();
}

TItemRec *TestDataEdit::addItem(std::unique_ptr<TItemRec> item)
{
    TItemRec *added = m_data->append(std::move(item));
    TSortListItem *row = m_list->addRow();
    row->setItem(added);
    ListRow texts;
    added->FillListItem(texts);
    row->setRow(texts);
    return added;
}

void TestDataEdit::addAppendsItemAndRow()
{
    m_data->Head.SetDefBefore(2);
    m_data->Head.SetDefAfter(255);
    QString caption;
    bool opened = false;
    WhenEditorOpens(
        [&](TDetailDlg &dlg) {
            caption = dlg.windowTitle();
            QCOMPARE(Ctl<QLineEdit>(dlg, "EBefore")->text(), QStringLiteral("2"));
            QVERIFY(Ctl<QRadioButton>(dlg, "RAfterCheck")->isChecked());
            Ctl<QRadioButton>(dlg, "ROnce")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("通院"));
            Ctl<QPushButton>(dlg, "OKBtn")->click();
        },
        &opened);
    QVERIFY(AddItem(*m_data, m_list.get()));
    QVERIFY(opened);
    QCOMPARE(caption, QStringLiteral("自動ToDoの追加"));
    QCOMPARE(m_data->count(), 1);
    TItemRec *item = m_data->at(0);
    QCOMPARE(typeid(*item), typeid(TOnceItemRec));
    QCOMPARE(item->Title, QStringLiteral("通院"));
    QCOMPARE(item->BeforeDays, 2);
    QCOMPARE(item->AfterDays, -1);
    QCOMPARE(m_list->rowCount(), 1);
    QCOMPARE(m_list->row(0)->item(), item);
    QCOMPARE(m_list->row(0)->caption(), QStringLiteral("通院"));
    QCOMPARE(m_list->row(0)->subItem(1), QStringLiteral("一度・期間"));
    QCOMPARE(m_list->row(0)->subItem(2), QStringLiteral("2026年12月08日"));
}

void TestDataEdit::addWithoutRowsChangesCollectionOnly()
{
    WhenEditorOpens([](TDetailDlg &dlg) {
        Ctl<QRadioButton>(dlg, "RIrregular")->click();
        Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("x"));
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    QVERIFY(AddItem(*m_data));
    QCOMPARE(m_data->count(), 1);
    QCOMPARE(typeid(*m_data->at(0)), typeid(TIrregularItemRec));
    QCOMPARE(m_list->rowCount(), 0);
}

void TestDataEdit::cancelledEditorChangesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("escape");
    for (const char *op : {"add", "copy", "update"}) {
        QTest::addRow("%s, Cancel", op) << op << false;
        QTest::addRow("%s, Esc", op) << op << true;
    }
}

void TestDataEdit::cancelledEditorChangesNothing()
{
    QFETCH(QString, operation);
    QFETCH(bool, escape);
    auto source = std::make_unique<TDateItemRec>();
    source->Title = QStringLiteral("元");
    source->SetMonth(4, true);
    source->SetDay(1, 1);
    TItemRec *item = addItem(std::move(source));
    WhenEditorOpens([escape](TDetailDlg &dlg) {
        auto *title = Ctl<QLineEdit>(dlg, "Text");
        title->setText(QStringLiteral("変更"));
        Ctl<QRadioButton>(dlg, "RDay")->click();
        if (escape)
            QTest::keyClick(title, Qt::Key_Escape);
        else
            Ctl<QPushButton>(dlg, "CancelBtn")->click();
    });
    bool changed = true;
    if (operation == "add")
        changed = AddItem(*m_data, m_list.get());
    else if (operation == "copy")
        changed = CopyAddItem(*m_data, *item, m_list.get());
    else
        changed = UpdateItem(*m_data, item, m_list->row(0));
    QVERIFY(!changed);
    QCOMPARE(m_data->count(), 1);
    QCOMPARE(m_data->at(0), item);
    QCOMPARE(typeid(*item), typeid(TDateItemRec));
    QCOMPARE(item->Title, QStringLiteral("元"));
    QCOMPARE(m_list->rowCount(), 1);
    QCOMPARE(m_list->row(0)->caption(), QStringLiteral("元"));
}

void TestDataEdit::copyAppendsAtEnd()
{
    auto first = std::make_unique<TOnceItemRec>();
    first->Title = QStringLiteral("B");
    first->HasStart = true;
    first->StartDate = EncodeDate(2026, 3, 1);
    first->DevState = 1;
    first->DevByte = 200;
    first->DevStamp = EncodeDate(2026, 2, 1) + 0.5;
    first->DevWord[1] = 65535;
    first->DevWord[4] = 12;
    first->HasLast = true;
    first->LastDate = EncodeDate(2026, 2, 28);
    TItemRec *source = addItem(std::move(first));
    auto second = std::make_unique<TIrregularItemRec>();
    second->Title = QStringLiteral("A");
    addItem(std::move(second));
    QString caption;
    QString shownTitle;
    WhenEditorOpens([&](TDetailDlg &dlg) {
        caption = dlg.windowTitle();
        shownTitle = Ctl<QLineEdit>(dlg, "Text")->text();
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    QVERIFY(CopyAddItem(*m_data, *source, m_list.get()));
    QCOMPARE(caption, QStringLiteral("自動ToDoの複写して追加"));
    QCOMPARE(shownTitle, QStringLiteral("B"));
    QCOMPARE(m_data->count(), 3);
    QCOMPARE(m_data->at(0), source);
    TItemRec *copy = m_data->at(2);
    QVERIFY(copy != source);
    QCOMPARE(typeid(*copy), typeid(TOnceItemRec));
    QCOMPARE(copy->Title, QStringLiteral("B"));
    QCOMPARE(copy->StartDate, source->StartDate);
    QCOMPARE(copy->DevState, quint8(1));
    QCOMPARE(copy->DevByte, 200);
    QCOMPARE(copy->DevStamp, source->DevStamp);
    QCOMPARE(copy->DevWord, source->DevWord);
    QVERIFY(copy->HasLast);
    QCOMPARE(copy->LastDate, EncodeDate(2026, 2, 28));
    QCOMPARE(m_list->rowCount(), 3);
    QVERIFY(m_list->rowOfItem(copy));
    QCOMPARE(m_list->rowOfItem(copy)->caption(), QStringLiteral("B"));
}

void TestDataEdit::updateKeepsObject()
{
    auto made = std::make_unique<TDayItemRec>();
    made->Title = QStringLiteral("ゴミ");
    made->SetWeekday(1, true);
    TItemRec *item = addItem(std::move(made));
    TSortListItem *row = m_list->row(0);
    QString caption;
    WhenEditorOpens([&](TDetailDlg &dlg) {
        caption = dlg.windowTitle();
        Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("資源ゴミ"));
        Ctl<QCheckBox>(dlg, "CbYFri")->click();
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    QVERIFY(UpdateItem(*m_data, item, row));
    QCOMPARE(caption, QStringLiteral("自動ToDoの修正"));
    QCOMPARE(m_data->at(0), item);
    QCOMPARE(item->Title, QStringLiteral("資源ゴミ"));
    QVERIFY(item->Weekday(1) && item->Weekday(4));
    QCOMPARE(row->item(), item);
    QCOMPARE(row->caption(), QStringLiteral("資源ゴミ"));
    QCOMPARE(row->subItem(2), QStringLiteral("毎週火,金曜日"));

    // OK without a change still counts as an update.
    WhenEditorOpens([](TDetailDlg &dlg) { Ctl<QPushButton>(dlg, "OKBtn")->click(); });
    QVERIFY(UpdateItem(*m_data, item, row));
}

void TestDataEdit::updateKindChangeReplacesInPlace()
{
    auto a = std::make_unique<TOnceItemRec>();
    a->Title = QStringLiteral("a");
    a->HasStart = true;
    a->StartDate = EncodeDate(2026, 1, 1);
    TItemRec *first = addItem(std::move(a));
    auto b = std::make_unique<TDateItemRec>();
    b->Title = QStringLiteral("b");
    b->MemoText = QStringLiteral("memo\r\nline");
    b->SetMonth(6, true);
    b->SetDay(1, 10);
    b->DevWord[3] = 42;
    TItemRec *middle = addItem(std::move(b));
    auto c = std::make_unique<TIrregularItemRec>();
    c->Title = QStringLiteral("c");
    TItemRec *last = addItem(std::move(c));
    TSortListItem *row = m_list->rowOfItem(middle);

    WhenEditorOpens([](TDetailDlg &dlg) {
        Ctl<QRadioButton>(dlg, "RDay")->click();
        Ctl<QCheckBox>(dlg, "CbYSun")->click();
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    QVERIFY(UpdateItem(*m_data, middle, row));
    QCOMPARE(m_data->count(), 3);
    QCOMPARE(m_data->at(0), first);
    QCOMPARE(m_data->at(2), last);
    TItemRec *replaced = m_data->at(1);
    QCOMPARE(typeid(*replaced), typeid(TDayItemRec));
    QCOMPARE(replaced->Kind, quint8(2));
    QCOMPARE(replaced->Title, QStringLiteral("b"));
    QCOMPARE(replaced->MemoText, QStringLiteral("memo\r\nline"));
    QVERIFY(replaced->Month(6));
    QCOMPARE(replaced->Day(1), 10);
    QVERIFY(replaced->Weekday(6));
    QCOMPARE(replaced->DevWordAt(3), 42);
    QCOMPARE(row->item(), replaced);
    QCOMPARE(row->subItem(1), QStringLiteral("曜日指定"));
    QCOMPARE(m_list->rowCount(), 3);
}

void TestDataEdit::deleteAsksWithTitle_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("はい") << int(Notifier::Yes) << true;
    QTest::newRow("いいえ") << int(Notifier::No) << false;
}

void TestDataEdit::deleteAsksWithTitle()
{
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    auto a = std::make_unique<TOnceItemRec>();
    a->Title = QStringLiteral("残す");
    TItemRec *keep = addItem(std::move(a));
    auto b = std::make_unique<TOnceItemRec>();
    b->Title = QStringLiteral("消す");
    TItemRec *victim = addItem(std::move(b));
    m_notes->answers << Notifier::Button(answer);
    QCOMPARE(DeleteItem(*m_data, victim, m_list->rowOfItem(victim)), deleted);
    QCOMPARE(m_notes->confirmations, QStringList {QStringLiteral("消すを削除します。よろしいですか？")});
    QCOMPARE(m_notes->confirmButtons.value(0), Notifier::Buttons(Notifier::Yes | Notifier::No));
    QCOMPARE(m_data->count(), deleted ? 1 : 2);
    QCOMPARE(m_data->at(0), keep);
    QCOMPARE(m_list->rowCount(), deleted ? 1 : 2);
    QCOMPARE(m_list->rowOfItem(keep)->caption(), QStringLiteral("残す"));
}

void TestDataEdit::deleteWithoutRow()
{
    auto a = std::make_unique<TOnceItemRec>();
    TItemRec *item = m_data->append(std::move(a));
    m_notes->answers << Notifier::Yes;
    QVERIFY(DeleteItem(*m_data, item));
    QCOMPARE(m_data->count(), 0);
}

QTEST_MAIN(TestDataEdit)
#include "tst_dataedit.moc"
