#include "calendar/DateEdit.h"
#include "calendar/DateInDlg.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "ui/controls/Fonts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// The date field: part-by-part typing, stepping, keys, mouse, focus and the
// picker it opens.
class TestDateEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void defaults();
    void steps_data();
    void steps();
    void typing_data();
    void typing();
    void outOfRangeYearComesBackOnRight();
    void outOfRangeMonthComesBackOnFocusLoss();
    void dayBeyondMonthComesBackWhenLeft();
    void leftAndRightWrap();
    void homeAndEnd();
    void otherKeysLeaveTextAlone();
    void clickChoosesPart();
    void tabSelectsCurrentPart();
    void partSetters();
    void notARealDate();
    void enterAndEscapeReachDialog();
    void altDownOpensPicker();
    void buttonOpensPicker();
    void pickerPlacement_data();
    void pickerPlacement();
    void pickerOnImpossibleText();

private:
    // A shown, active window holding one field, focused.
    void makeField(const QString &text, int minYear = 1980, int maxYear = 2099);
    QString selected() const { return m_edit->selectedText(); }

    QWidget *m_window = nullptr;
    TDateEdit *m_edit = nullptr;
};

void TestDateEdit::initTestCase()
{
    InstallFontSubstitutes();
}

void TestDateEdit::init()
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
}

void TestDateEdit::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_edit = nullptr;
    Clock::clearFixed();
}

void TestDateEdit::makeField(const QString &text, int minYear, int maxYear)
{
    m_window = new QWidget;
    m_window->resize(300, 120);
    m_edit = new TDateEdit(m_window);
    m_edit->setObjectName(QStringLiteral("OSDate"));
    m_edit->move(20, 20);
    m_edit->setMinYear(minYear);
    m_edit->setMaxYear(maxYear);
    m_edit->setText(text);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_edit->setFocus();
    QTRY_VERIFY(m_edit->hasFocus());
}

void TestDateEdit::defaults()
{
    TDateEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("2026/12/08"));
    QCOMPARE(edit.Date(), EncodeDate(2026, 12, 8));
    QCOMPARE(edit.MinYear(), 1901);
    QCOMPARE(edit.MaxYear(), 2099);
    QVERIFY(edit.width() >= 89);
    // The whole date fits beside the button.
    QVERIFY(edit.fontMetrics().horizontalAdvance(edit.text()) <= edit.Button()->x() - 4);
    QFont small = edit.font();
    small.setPixelSize(8);
    TDateEdit narrow;
    narrow.setFont(small);
    narrow.resize(narrow.sizeHint());
    QCOMPARE(narrow.width(), 89);
    QCOMPARE(edit.InFld(), TDateEdit::ifYear);
    QCOMPARE(edit.DigitCount(), 0);
    QCOMPARE(edit.SavedValue(), 0);
    QVERIFY(edit.Button());
    QCOMPARE(edit.Button()->cursor().shape(), Qt::ArrowCursor);
    // The text never runs under the button.
    QVERIFY(edit.textMargins().right() >= edit.Button()->width());
}

void TestDateEdit::steps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("result");
    QTest::newRow("year up wraps to MinYear") << "2099/05/05" << 0 << int(Qt::Key_Up) << "1980/05/05";
    QTest::newRow("year down wraps to MaxYear") << "1980/05/05" << 0 << int(Qt::Key_Down) << "2099/05/05";
    QTest::newRow("year up keeps the day") << "2000/02/29" << 0 << int(Qt::Key_Up) << "2001/02/29";
    QTest::newRow("month up wraps") << "2000/12/31" << 1 << int(Qt::Key_Up) << "2000/01/31";
    QTest::newRow("month down wraps") << "2000/01/31" << 1 << int(Qt::Key_Down) << "2000/12/31";
    QTest::newRow("day down, leap February") << "2000/02/01" << 2 << int(Qt::Key_Down) << "2000/02/29";
    QTest::newRow("day down, common February") << "2001/02/01" << 2 << int(Qt::Key_Down) << "2001/02/28";
    QTest::newRow("day up wraps") << "2001/04/30" << 2 << int(Qt::Key_Up) << "2001/04/01";
    QTest::newRow("day up") << "2001/04/09" << 2 << int(Qt::Key_Up) << "2001/04/10";
}

void TestDateEdit::steps()
{
    QFETCH(QString, text);
    QFETCH(int, part);
    QFETCH(int, key);
    makeField(text);
    m_edit->SetInFld(TDateEdit::TInFld(part));
    QTest::keyClick(m_edit, Qt::Key(key));
    QTEST(m_edit->text(), "result");
    QCOMPARE(m_edit->InFld(), TDateEdit::TInFld(part));
    QCOMPARE(selected(), m_edit->text().mid(part == 0 ? 0 : part == 1 ? 5 : 8, part == 0 ? 4 : 2));
}

void TestDateEdit::typing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("partAfter");
    QTest::newRow("year 2001 moves to month")
        << "1999/05/05" << 0 << "2001" << QStringList {"0002/05/05", "0020/05/05", "0200/05/05", "2001/05/05"} << 1;
    QTest::newRow("month 12 moves to day")
        << "1999/05/05" << 1 << "12" << QStringList {"1999/01/05", "1999/12/05"} << 2;
    QTest::newRow("day 28 stays in day") << "1999/02/05" << 2 << "28" << QStringList {"1999/02/02", "1999/02/28"} << 2;
    QTest::newRow("letters do nothing") << "1999/05/05" << 0 << "ab-"
                                        << QStringList {"1999/05/05", "1999/05/05", "1999/05/05"} << 0;
    QTest::newRow("year 1234 out of range stays")
        << "1999/05/05" << 0 << "1234" << QStringList {"0001/05/05", "0012/05/05", "0123/05/05", "1234/05/05"} << 0;
}

void TestDateEdit::typing()
{
    QFETCH(QString, text);
    QFETCH(int, part);
    QFETCH(QString, keys);
    QFETCH(QStringList, shown);
    QFETCH(int, partAfter);
    makeField(text);
    m_edit->SetInFld(TDateEdit::TInFld(part));
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(m_edit, keys[i].toLatin1());
        QCOMPARE(m_edit->text(), shown[i]);
    }
    QCOMPARE(int(m_edit->InFld()), partAfter);
    QCOMPARE(m_edit->DigitCount(), 0);
    QCOMPARE(selected(), m_edit->text().mid(partAfter == 0 ? 0 : partAfter == 1 ? 5 : 8, partAfter == 0 ? 4 : 2));
}

void TestDateEdit::outOfRangeYearComesBackOnRight()
{
    makeField(QStringLiteral("1999/05/05"));
    QTest::keyClicks(m_edit, QStringLiteral("1234"));
    QCOMPARE(m_edit->text(), QStringLiteral("1234/05/05"));
    QCOMPARE(m_edit->InFld(), TDateEdit::ifYear);
    QCOMPARE(selected(), QStringLiteral("1234"));
    QCOMPARE(m_edit->SavedValue(), 1999);
    QTest::keyClick(m_edit, Qt::Key_Right);
    QCOMPARE(m_edit->text(), QStringLiteral("1999/05/05"));
    QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
    QCOMPARE(m_edit->SavedValue(), 0);
}

void TestDateEdit::outOfRangeMonthComesBackOnFocusLoss()
{
    makeField(QStringLiteral("1999/05/05"));
    auto *other = new QLineEdit(m_window);
    other->move(20, 60);
    other->show();
    m_edit->SetInFld(TDateEdit::ifMonth);
    QTest::keyClicks(m_edit, QStringLiteral("35"));
    QCOMPARE(m_edit->text(), QStringLiteral("1999/35/05"));
    QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(m_edit->text(), QStringLiteral("1999/05/05"));
}

void TestDateEdit::dayBeyondMonthComesBackWhenLeft()
{
    makeField(QStringLiteral("2001/04/09"));
    m_edit->SetInFld(TDateEdit::ifDay);
    QTest::keyClicks(m_edit, QStringLiteral("31"));
    QCOMPARE(m_edit->text(), QStringLiteral("2001/04/31"));
    QVERIFY(!m_edit->IsValidDate());
    QTest::keyClick(m_edit, Qt::Key_Left);
    QCOMPARE(m_edit->text(), QStringLiteral("2001/04/09"));
    QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
}

void TestDateEdit::leftAndRightWrap()
{
    makeField(QStringLiteral("2001/04/09"));
    QCOMPARE(m_edit->InFld(), TDateEdit::ifYear);
    QCOMPARE(selected(), QStringLiteral("2001"));
    QTest::keyClick(m_edit, Qt::Key_Left);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifDay);
    QCOMPARE(selected(), QStringLiteral("09"));
    QTest::keyClick(m_edit, Qt::Key_Right);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifYear);
    QTest::keyClick(m_edit, Qt::Key_Right);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
    QCOMPARE(selected(), QStringLiteral("04"));
}

void TestDateEdit::homeAndEnd()
{
    makeField(QStringLiteral("2001/04/09"));
    QTest::keyClick(m_edit, Qt::Key_End);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifDay);
    QTest::keyClick(m_edit, Qt::Key_Home);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifYear);
}

void TestDateEdit::otherKeysLeaveTextAlone()
{
    makeField(QStringLiteral("2001/04/09"));
    const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> keys = {{Qt::Key_Delete, {}}, {Qt::Key_Backspace, {}},
        {Qt::Key_Space, {}}, {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_V, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Left, Qt::ShiftModifier}, {Qt::Key_Up, Qt::ControlModifier}};
    for (const auto &[key, mods] : keys) {
        QTest::keyClick(m_edit, key, mods);
        QCOMPARE(m_edit->text(), QStringLiteral("2001/04/09"));
        QCOMPARE(selected(), QStringLiteral("2001"));
    }
}

void TestDateEdit::clickChoosesPart()
{
    makeField(QStringLiteral("2001/04/09"));
    // Find a point over each character position, then click there.
    for (int pos = 0; pos <= 10; ++pos) {
        QPoint at;
        for (int x = 0; x < m_edit->width() && at.isNull(); ++x)
            if (m_edit->cursorPositionAt(QPoint(x, m_edit->height() / 2)) == pos)
                at = QPoint(x, m_edit->height() / 2);
        if (at.isNull())
            continue;
        m_edit->SetInFld(pos <= 4 ? TDateEdit::ifDay : TDateEdit::ifYear);
        QTest::mouseClick(m_edit, Qt::LeftButton, {}, at);
        const TDateEdit::TInFld expected = pos <= 4 ? TDateEdit::ifYear
            : pos <= 7                              ? TDateEdit::ifMonth
                                                    : TDateEdit::ifDay;
        QCOMPARE(m_edit->InFld(), expected);
        QCOMPARE(selected(),
            expected == TDateEdit::ifYear        ? QStringLiteral("2001")
                : expected == TDateEdit::ifMonth ? QStringLiteral("04")
                                                 : QStringLiteral("09"));
    }
}

void TestDateEdit::tabSelectsCurrentPart()
{
    makeField(QStringLiteral("2001/04/09"));
    auto *other = new QLineEdit(m_window);
    other->move(20, 60);
    other->show();
    m_edit->SetInFld(TDateEdit::ifMonth);
    QTest::keyClick(m_edit, '1'); // one digit typed, then leave
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
    m_edit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(m_edit->hasFocus());
    QCOMPARE(m_edit->DigitCount(), 0);
    QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
    QCOMPARE(selected(), QStringLiteral("01"));
    // Typing starts the part afresh.
    QTest::keyClicks(m_edit, QStringLiteral("11"));
    QCOMPARE(m_edit->text(), QStringLiteral("2001/11/09"));
}

void TestDateEdit::partSetters()
{
    TDateEdit edit;
    edit.setMinYear(1);
    edit.setText(QStringLiteral("2001/04/09"));
    edit.setYear(5);
    QCOMPARE(edit.text(), QStringLiteral("0005/04/09"));
    edit.setMinYear(1980);
    edit.setYear(1979);
    QCOMPARE(edit.Year(), 5);
    edit.setMonth(13);
    QCOMPARE(edit.Month(), 4);
    edit.setMonth(2);
    QCOMPARE(edit.text(), QStringLiteral("0005/02/09"));
    edit.setDay(29);
    QCOMPARE(edit.Day(), 9);
    edit.setDay(28);
    QCOMPARE(edit.text(), QStringLiteral("0005/02/28"));
}

void TestDateEdit::notARealDate()
{
    makeField(QStringLiteral("2000/02/29"));
    QCOMPARE(m_edit->Date(), EncodeDate(2000, 2, 29));
    QTest::keyClick(m_edit, Qt::Key_Up);
    QCOMPARE(m_edit->text(), QStringLiteral("2001/02/29"));
    QVERIFY(!m_edit->IsValidDate());
    QVERIFY(!m_edit->TryDate().has_value());
    QVERIFY_THROWS_EXCEPTION(EDateConvertError, m_edit->Date());
    try {
        m_edit->Date();
        QFAIL("no error");
    } catch (const AppError &e) {
        QVERIFY(e.message().contains(QStringLiteral("2001/02/29")));
    }
    m_edit->SetInFld(TDateEdit::ifMonth);
    m_edit->setText(QStringLiteral("2001/03/31"));
    QTest::keyClick(m_edit, Qt::Key_Up);
    QCOMPARE(m_edit->text(), QStringLiteral("2001/04/31"));
    QVERIFY(!m_edit->IsValidDate());
    m_edit->setDate(EncodeDate(2001, 4, 30));
    QVERIFY(m_edit->IsValidDate());
}

void TestDateEdit::enterAndEscapeReachDialog()
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        auto *edit = new TDateEdit(&dialog);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        layout->addWidget(edit);
        layout->addWidget(buttons);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClick(edit, key);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
}

void TestDateEdit::altDownOpensPicker()
{
    makeField(QStringLiteral("1999/02/12"));
    m_edit->SetInFld(TDateEdit::ifMonth);
    QTest::keyClicks(m_edit, QStringLiteral("3")); // incomplete typing is checked before opening
    QTest::keyClick(m_edit, Qt::Key_Down, Qt::AltModifier);
    QPointer<TDateInDlg> dlg = m_edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    QTRY_VERIFY(dlg->isVisible());
    QCOMPARE(m_edit->text(), QStringLiteral("1999/03/12"));
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(1999, 3, 12));
    QCOMPARE(dlg->Calendar()->MinYear(), 1980);
    QCOMPARE(dlg->Calendar()->MaxYear(), 2099);
    auto *month = dlg->findChild<QLabel *>(QStringLiteral("LMonth"));
    QCOMPARE(month->text(), QStringLiteral("1999年 3月12日"));

    // Arrow keys move the calendar; Enter accepts into the field.
    QTest::keyClick(dlg->Calendar(), Qt::Key_Right);
    QCOMPARE(month->text(), QStringLiteral("1999年 3月13日"));
    QTest::keyClick(dlg->Calendar(), Qt::Key_Return);
    QTRY_VERIFY(!dlg);
    QCOMPARE(m_edit->text(), QStringLiteral("1999/03/13"));
    QTRY_VERIFY(m_edit->hasFocus());
}

void TestDateEdit::buttonOpensPicker()
{
    makeField(QStringLiteral("1999/02/12"));
    QTest::mouseClick(m_edit->Button(), Qt::LeftButton);
    QPointer<TDateInDlg> dlg = m_edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    QVERIFY(!m_edit->Button()->Pressed());
    QTest::keyClick(dlg->Calendar(), Qt::Key_Escape);
    QTRY_VERIFY(!dlg);
    QCOMPARE(m_edit->text(), QStringLiteral("1999/02/12"));
    QTRY_VERIFY(m_edit->hasFocus());
}

void TestDateEdit::pickerPlacement_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("top left") << "topleft";
    QTest::newRow("bottom") << "bottom";
    QTest::newRow("past the right edge") << "right";
}

void TestDateEdit::pickerPlacement()
{
    QFETCH(QString, where);
    makeField(QStringLiteral("1999/02/12"));
    const QRect screen = m_window->screen()->geometry();
    if (where == u"topleft")
        m_window->move(screen.topLeft());
    else if (where == u"bottom")
        m_window->move(screen.left() + 200, screen.bottom() - 60);
    else
        m_window->move(screen.right() - 60, screen.top() + 100);
    QTRY_VERIFY(m_window->isVisible());
    m_edit->ButtonClick();
    TDateInDlg *dlg = m_edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    const QRect field(m_edit->mapToGlobal(QPoint(0, 0)), m_edit->size());
    const QRect popup = dlg->frameGeometry();
    QVERIFY(popup.left() >= screen.left());
    QVERIFY(popup.right() <= screen.right());
    if (where == u"bottom") {
        QCOMPARE(popup.bottom(), field.top() - 1);
    } else {
        QCOMPARE(popup.top(), field.bottom() + 1);
    }
    if (where == u"bottom")
        QCOMPARE(popup.right(), field.right()); // right edges line up
    dlg->CloseCancel();
}

void TestDateEdit::pickerOnImpossibleText()
{
    makeField(QStringLiteral("2000/02/29"));
    QTest::keyClick(m_edit, Qt::Key_Up); // 2001/02/29
    QTest::keyClick(m_edit, Qt::Key_Down, Qt::AltModifier);
    QPointer<TDateInDlg> dlg = m_edit->findChild<TDateInDlg *>();
    QVERIFY(dlg);
    QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2001, 2, 28));
    QTest::keyClick(dlg->Calendar(), Qt::Key_Escape);
    QTRY_VERIFY(!dlg);
    QCOMPARE(m_edit->text(), QStringLiteral("2001/02/29"));
}

QTEST_MAIN(TestDateEdit)
#include "tst_dateedit.moc"
