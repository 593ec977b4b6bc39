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
#include <QTest>
#include <memory>

// The main window's edit commands: add, copy and add, update (also by double
// click and Enter) and delete, the limit of 200 items, and a document built
// through the editor that survives saving and reopening.
class TestEditCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void addMarksModifiedAndCounts();
    void limitOf200_data();
    void limitOf200();
    void commandsNeedSelectedRow_data();
    void commandsNeedSelectedRow();
    void updateByDoubleClickAndEnter();
    void cancelledEditorLeavesDocumentClean_data();
    void cancelledEditorLeavesDocumentClean();
    void deleteBeepsThenAsks_data();
    void deleteBeepsThenAsks();
    void roundTripOfAllKinds();

private:
    TListForm *makeForm(const QString &argument = QString());
    TItemRec *addDirect(const QString &title);
    void select(TItemRec *item);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TListForm> m_form;
    QString m_saveAnswer;
};

void TestEditCommands::init()
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

void TestEditCommands::cleanup()
{
    m_form.reset();
    TListForm::setFileDialogHook({});
    m_notes.reset();
    m_env.reset();
}

TListForm *TestEditCommands::makeForm(const QString &argument)
{
    m_form.reset();
    m_form = std::make_unique<TListForm>(argument);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("main window not active");
    QCoreApplication::processEvents();
    return m_form.get();
}

TItemRec *TestEditCommands::addDirect(const QString &title)
{
    auto item = std::make_unique<TOnceItemRec>();
    item->Title = title;
    item->HasStart = true;
    item->StartDate = EncodeDate(2026, 1, 1);
    TItemRec *added = m_form->Data->append(std::move(item));
    m_form->AddItemRow(added);
    return added;
}

void TestEditCommands::select(TItemRec *item)
{
    m_form->DataList->setSelectedRow(item ? m_form->DataList->rowOfItem(item) : nullptr);
}

void TestEditCommands::addMarksModifiedAndCounts()
{
    TListForm *f = makeForm();
    for (int i = 1; i <= 6; ++i) {
        WhenEditorOpens([i](TDetailDlg &dlg) {
            Ctl<QRadioButton>(dlg, "ROnce")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("項目%1").arg(i));
            Ctl<QPushButton>(dlg, "OKBtn")->click();
        });
        f->Add->trigger();
        QCOMPARE(f->Data->count(), i);
    }
    QVERIFY(f->Modified);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規(修正)"));
    QCOMPARE(f->ItemCountText(), QStringLiteral("現在   6件 / 最大 200件"));
    QCOMPARE(f->DataList->rowCount(), 6);
    QCOMPARE(f->Data->at(5)->Title, QStringLiteral("項目6"));
}

void TestEditCommands::limitOf200_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Add (Ins)") << "Add";
    QTest::newRow("Cpy (Ctrl+C)") << "Cpy";
}

void TestEditCommands::limitOf200()
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
    WhenEditorOpens([](TDetailDlg &dlg) { Ctl<QPushButton>(dlg, "OKBtn")->click(); }, &opened);
    f->findChild<QAction *>(action)->trigger();
    QCoreApplication::processEvents();
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
    WhenEditorOpens(
        [](TDetailDlg &dlg) {
            Ctl<QRadioButton>(dlg, "ROnce")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("最後"));
            Ctl<QPushButton>(dlg, "OKBtn")->click();
        },
        &opened);
    f->findChild<QAction *>(action)->trigger();
    QVERIFY(opened);
    QCOMPARE(f->Data->count(), 200);
}

void TestEditCommands::commandsNeedSelectedRow_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Cpy") << "Cpy";
    QTest::newRow("Upd") << "Upd";
    QTest::newRow("Del") << "Del";
}

void TestEditCommands::commandsNeedSelectedRow()
{
    QFETCH(QString, action);
    TListForm *f = makeForm();
    addDirect(QStringLiteral("one"));
    select(nullptr);
    bool opened = true;
    WhenEditorOpens([](TDetailDlg &dlg) { Ctl<QPushButton>(dlg, "OKBtn")->click(); }, &opened);
    f->findChild<QAction *>(action)->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QVERIFY(m_notes->confirmations.isEmpty() && m_notes->sounds.isEmpty());
    QCOMPARE(f->Data->count(), 1);
    QVERIFY(!f->Modified);
}

void TestEditCommands::updateByDoubleClickAndEnter()
{
    TListForm *f = makeForm();
    TItemRec *item = addDirect(QStringLiteral("旧"));
    TSortListItem *row = f->DataList->rowOfItem(item);
    select(item);
    QString caption;
    WhenEditorOpens([&](TDetailDlg &dlg) {
        caption = dlg.windowTitle();
        Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("新"));
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    const QPoint at = f->DataList->visualItemRect(row).center();
    QTest::mouseClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f->DataList->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(caption, QStringLiteral("自動ToDoの修正"));
    QCOMPARE(item->Title, QStringLiteral("新"));
    QCOMPARE(row->caption(), QStringLiteral("新"));
    QVERIFY(f->Modified);

    // Enter on the selected row: the kind changes, the row follows the new object.
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->DataList->setFocus();
    select(item);
    WhenEditorOpens([](TDetailDlg &dlg) {
        Ctl<QRadioButton>(dlg, "RIrregular")->click();
        Ctl<QPushButton>(dlg, "OKBtn")->click();
    });
    QTest::keyClick(f->DataList, Qt::Key_Return);
    QCOMPARE(typeid(*f->Data->at(0)), typeid(TIrregularItemRec));
    QCOMPARE(row->item(), f->Data->at(0));
    QCOMPARE(f->SelectedItem(), f->Data->at(0));
    QCOMPARE(row->subItem(1), QStringLiteral("不定期"));

    // Enter with no row selected does nothing.
    select(nullptr);
    bool opened = true;
    WhenEditorOpens([](TDetailDlg &dlg) { dlg.reject(); }, &opened);
    QTest::keyClick(f->DataList, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
}

void TestEditCommands::cancelledEditorLeavesDocumentClean_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Add") << "Add";
    QTest::newRow("Cpy") << "Cpy";
    QTest::newRow("Upd") << "Upd";
}

void TestEditCommands::cancelledEditorLeavesDocumentClean()
{
    QFETCH(QString, action);
    TListForm *f = makeForm();
    TItemRec *item = addDirect(QStringLiteral("そのまま"));
    select(item);
    bool opened = false;
    WhenEditorOpens(
        [](TDetailDlg &dlg) {
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("変更"));
            Ctl<QPushButton>(dlg, "CancelBtn")->click();
        },
        &opened);
    f->findChild<QAction *>(action)->trigger();
    QVERIFY(opened);
    QCOMPARE(f->Data->count(), 1);
    QCOMPARE(f->Data->at(0), item);
    QCOMPARE(item->Title, QStringLiteral("そのまま"));
    QVERIFY(!f->Modified);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
}

void TestEditCommands::deleteBeepsThenAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("はい") << int(Notifier::Yes) << true;
    QTest::newRow("いいえ") << int(Notifier::No) << false;
}

void TestEditCommands::deleteBeepsThenAsks()
{
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    TListForm *f = makeForm();
    addDirect(QStringLiteral("残る"));
    TItemRec *victim = addDirect(QStringLiteral("対象"));
    select(victim);
    m_notes->answers << Notifier::Button(answer);
    QTest::keyClick(f->DataList, Qt::Key_Delete);
    QCOMPARE(m_notes->sounds, QList<Notifier::Sound> {Notifier::Sound::Beep});
    QCOMPARE(m_notes->confirmations, QStringList {QStringLiteral("対象を削除します。よろしいですか？")});
    QCOMPARE(f->Data->count(), deleted ? 1 : 2);
    QCOMPARE(f->DataList->rowCount(), deleted ? 1 : 2);
    QCOMPARE(f->Modified, deleted);
    QCOMPARE(f->ItemCountText(),
        deleted ? QStringLiteral("現在   1件 / 最大 200件") : QStringLiteral("現在   2件 / 最大 200件"));
}

namespace {

// Everything an item shows or stores, as text.
QStringList describe(const TItemRec &item)
{
    return {QString::fromLatin1(item.className()), item.TitleStr(), item.TitleOptStr(), item.TitleDiffStr(),
        item.MemoStr(), item.KindStr(), item.StartStr(), item.EndStr(), item.MonthsStr(), item.DaysStr(),
        item.WeekStr(), item.WeekdaysStr(), item.ShiftStr(), item.ShiftDirStr(), item.BeforeStr(), item.AfterStr(),
        item.LastStr()};
}

} // namespace

void TestEditCommands::roundTripOfAllKinds()
{
    TListForm *f = makeForm();
    const QList<std::function<void(TDetailDlg &)>> scripts = {
        [](TDetailDlg &dlg) {
            Ctl<QRadioButton>(dlg, "ROnce")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("旅行"));
            Ctl<QPlainTextEdit>(dlg, "Memo")->setPlainText(QStringLiteral("切符\n宿"));
            Ctl<TDateEdit>(dlg, "OSDate")->setDate(EncodeDate(2027, 5, 1));
            Ctl<QCheckBox>(dlg, "CbOEDate")->click();
            Ctl<TDateEdit>(dlg, "OEDate")->setDate(EncodeDate(2027, 5, 5));
            Ctl<QLineEdit>(dlg, "EBefore")->setText(QStringLiteral("7"));
        },
        [](TDetailDlg &dlg) {
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("月刊誌"));
            Ctl<QComboBox>(dlg, "CBTitleOpt")->setCurrentIndex(1);
            Ctl<QLineEdit>(dlg, "ETitleDiff")->setText(QStringLiteral("-2"));
            Ctl<QCheckBox>(dlg, "CbDEveryMonth")->click();
            QTest::keyClicks(Ctl<QLineEdit>(dlg, "EDDate1"), QStringLiteral("31"));
            Ctl<QCheckBox>(dlg, "CbDSSun")->click();
            Ctl<QCheckBox>(dlg, "CbDSHoli")->click();
            Ctl<QRadioButton>(dlg, "RDSAfter")->click();
            Ctl<QCheckBox>(dlg, "CbLDate")->click();
            Ctl<TDateEdit>(dlg, "LDate")->setDate(EncodeDate(2026, 11, 30));
        },
        [](TDetailDlg &dlg) {
            Ctl<QRadioButton>(dlg, "RDay")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("ゴミ出し"));
            Ctl<QRadioButton>(dlg, "RYEvenWeek")->click();
            Ctl<QCheckBox>(dlg, "CbYTue")->click();
            Ctl<QCheckBox>(dlg, "CbYFri")->click();
            Ctl<QCheckBox>(dlg, "CbYSHoli")->click();
            Ctl<QRadioButton>(dlg, "RAfterCheck")->click();
        },
        [](TDetailDlg &dlg) {
            Ctl<QRadioButton>(dlg, "RIrregular")->click();
            Ctl<QLineEdit>(dlg, "Text")->setText(QStringLiteral("コミック"));
            Ctl<QComboBox>(dlg, "CBTitleOpt")->setCurrentIndex(4);
            Ctl<QLineEdit>(dlg, "ETitleDiff")->setText(QStringLiteral("12"));
            Ctl<QCheckBox>(dlg, "CbOSDate")->click();
            Ctl<TDateEdit>(dlg, "OSDate")->setDate(EncodeDate(2027, 1, 9));
        },
    };
    for (const auto &script : scripts) {
        WhenEditorOpens([script](TDetailDlg &dlg) {
            script(dlg);
            Ctl<QPushButton>(dlg, "OKBtn")->click();
        });
        f->Add->trigger();
    }
    QCOMPARE(f->Data->count(), 4);
    QList<QStringList> before;
    for (int i = 0; i < 4; ++i)
        before << describe(*f->Data->at(i));
    QCOMPARE(before[0][7], QStringLiteral("2027/05/05"));
    QCOMPARE(before[1][9], QStringLiteral("末日"));
    QCOMPARE(before[2][11], QStringLiteral("火,金曜日"));
    QCOMPARE(before[3][2], QStringLiteral("巻"));

    const QString path = m_env->path(QStringLiteral("kinds.tmd"));
    m_saveAnswer = path;
    QVERIFY(f->SaveExecute());
    QVERIFY(!f->Modified);

    TListForm *g = makeForm(path);
    QCOMPARE(g->Data->count(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(describe(*g->Data->at(i)), before[i]);
    QCOMPARE(g->DataList->rowCount(), 4);
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
