#include "ScriptedNotifier.h"
#include "calendar/DateEdit.h"
#include "calendar/DateInDlg.h"
#include "calendar/HolidaySettings.h"
#include "calendar/Julius.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

// The date field (part-by-part typing, stepping, keys, mouse, focus) and the
// date picker popup it opens.
class TestDateEdit : public QObject
{
    Q_OBJECT

    QDialog *m_window = nullptr;
    TDateEdit *m_edit = nullptr;

    TDateInDlg *picker() const { return m_edit->findChild<TDateInDlg *>(); }
    QString selected() const { return m_edit->selectedText(); }
    QString partText(int part) const { return m_edit->text().mid(part == 0 ? 0 : part == 1 ? 5 : 8, part ? 2 : 4); }
    void makeField(const QString &text, int minYear = 1980, int maxYear = 2099)
    {
        m_window = new QDialog;
        m_window->resize(300, 120);
        auto *okButton = new QPushButton(QStringLiteral("OK"), m_window);
        okButton->move(200, 90);
        okButton->setDefault(true);
        connect(okButton, &QPushButton::clicked, m_window, &QDialog::accept);
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
    TDateInDlg *openPicker(const QString &text, int minYear = 1901, int maxYear = 2099)
    {
        makeField(text, minYear, maxYear);
        m_edit->ButtonClick();
        return picker();
    }
    QLineEdit *otherField()
    {
        auto *other = new QLineEdit(m_window);
        other->move(20, 60);
        other->show();
        return other;
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0))); }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        m_edit = nullptr;
        Clock::clearFixed();
    }

    void defaults()
    {
        TDateEdit edit;
        QCOMPARE(edit.text(), QStringLiteral("2026/12/08"));
        QCOMPARE(edit.Date(), EncodeDate(2026, 12, 8));
        QCOMPARE(edit.MinYear(), 1901);
        QCOMPARE(edit.MaxYear(), 2099);
        QCOMPARE(edit.Button()->cursor().shape(), Qt::ArrowCursor);
        // Widened when the font needs more than 89 px: the whole date fits beside the button.
        QVERIFY(edit.width() >= 89);
        QVERIFY(edit.fontMetrics().horizontalAdvance(edit.text()) <= edit.Button()->x() - 4);
        QVERIFY(edit.textMargins().right() >= edit.Button()->width());
        QFont small = edit.font();
        small.setPixelSize(8);
        TDateEdit narrow;
        narrow.setFont(small);
        narrow.resize(narrow.sizeHint());
        QCOMPARE(narrow.width(), 89);
    }

    void steps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("result");
        QTest::newRow("year up wraps to MinYear") << "2099/05/05" << 0 << int(Qt::Key_Up) << "1980/05/05";
        QTest::newRow("year down wraps to MaxYear") << "1980/05/05" << 0 << int(Qt::Key_Down) << "2099/05/05";
        QTest::newRow("month up wraps") << "2000/12/31" << 1 << int(Qt::Key_Up) << "2000/01/31";
        QTest::newRow("month down wraps") << "2000/01/31" << 1 << int(Qt::Key_Down) << "2000/12/31";
        QTest::newRow("day down, leap February") << "2000/02/01" << 2 << int(Qt::Key_Down) << "2000/02/29";
        QTest::newRow("day down, common February") << "2001/02/01" << 2 << int(Qt::Key_Down) << "2001/02/28";
        QTest::newRow("day up wraps") << "2001/04/30" << 2 << int(Qt::Key_Up) << "2001/04/01";
        QTest::newRow("day up") << "2001/04/09" << 2 << int(Qt::Key_Up) << "2001/04/10";
        QTest::newRow("month up keeps the day") << "2001/03/31" << 1 << int(Qt::Key_Up) << "2001/04/31";
    }

    void steps()
    {
        QFETCH(QString, text);
        QFETCH(int, part);
        QFETCH(int, key);
        makeField(text);
        m_edit->SetInFld(TDateEdit::TInFld(part));
        QTest::keyClick(m_edit, Qt::Key(key));
        QTEST(m_edit->text(), "result");
        QCOMPARE(m_edit->InFld(), TDateEdit::TInFld(part));
        QCOMPARE(selected(), partText(part));
    }

    // A typed value outside its range steps into the range, and the stepped
    // value stays when the part is left.
    void stepFromOutOfRange_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("result");
        const int up = Qt::Key_Up, down = Qt::Key_Down;
        QTest::newRow("month 35 down") << 1 << "35" << down << "2001/12/09";
        QTest::newRow("month 35 up") << 1 << "35" << up << "2001/01/09";
        QTest::newRow("month 00 down") << 1 << "00" << down << "2001/12/09";
        QTest::newRow("day 45 down") << 2 << "45" << down << "2001/04/30";
        QTest::newRow("day 00 up") << 2 << "00" << up << "2001/04/01";
        QTest::newRow("year above MaxYear down") << 0 << "9999" << down << "2099/04/09";
        QTest::newRow("year above MaxYear up") << 0 << "9999" << up << "1980/04/09";
        QTest::newRow("year 0000 up") << 0 << "0000" << up << "1980/04/09";
        QTest::newRow("year below MinYear down") << 0 << "1234" << down << "2099/04/09";
    }

    void stepFromOutOfRange()
    {
        QFETCH(int, part);
        QFETCH(QString, keys);
        QFETCH(int, key);
        makeField(QStringLiteral("2001/04/09"));
        m_edit->SetInFld(TDateEdit::TInFld(part));
        QTest::keyClicks(m_edit, keys);
        QCOMPARE(int(m_edit->InFld()), part);
        QTest::keyClick(m_edit, Qt::Key(key));
        QTEST(m_edit->text(), "result");
        QTest::keyClick(m_edit, Qt::Key_Right);
        QTEST(m_edit->text(), "result");
    }

    void typing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("shown"); // after each key
        QTest::addColumn<int>("partAfter");
        const auto row
            = [](const char *tag, const char *text, int part, const char *keys, const char *shown, int after) {
                  QTest::newRow(tag) << QString::fromLatin1(text) << part << QString::fromLatin1(keys)
                                     << QString::fromLatin1(shown).split(u' ') << after;
              };
        row("year 2001 moves to month", "1999/05/05", 0, "2001", "0002/05/05 0020/05/05 0200/05/05 2001/05/05", 1);
        row("month 12 moves to day", "1999/05/05", 1, "12", "1999/01/05 1999/12/05", 2);
        row("day 28 stays in day", "1999/02/05", 2, "28", "1999/02/02 1999/02/28", 2);
        row("letters do nothing", "1999/05/05", 0, "ab-", "1999/05/05 1999/05/05 1999/05/05", 0);
    }

    void typing()
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
        QCOMPARE(selected(), partText(partAfter));
    }

    // A typed part that makes no date stays until the part is left, then the
    // value it replaced comes back.
    void invalidPartComesBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave"); // a key, or "focus"
        const auto row
            = [](const char *tag, const char *text, int part, const char *keys, const char *typed, const char *leave) {
                  QTest::newRow(tag) << QString::fromLatin1(text) << part << QString::fromLatin1(keys)
                                     << QString::fromLatin1(typed) << QString::fromLatin1(leave);
              };
        row("year out of range, Right", "1999/05/05", 0, "1234", "1234/05/05", "Right");
        row("month 35, focus lost", "1999/05/05", 1, "35", "1999/35/05", "focus");
        row("April 31, Left", "2001/04/09", 2, "31", "2001/04/31", "Left");
    }

    void invalidPartComesBack()
    {
        QFETCH(QString, text);
        QFETCH(int, part);
        QFETCH(QString, keys);
        QFETCH(QString, leave);
        makeField(text);
        m_edit->SetInFld(TDateEdit::TInFld(part));
        QTest::keyClicks(m_edit, keys);
        QTEST(m_edit->text(), "typed");
        QCOMPARE(int(m_edit->InFld()), part);
        QCOMPARE(selected(), partText(part));
        if (part == 2)
            QVERIFY(!m_edit->IsValidDate());
        if (part == 0)
            QCOMPARE(m_edit->SavedValue(), 1999);
        if (leave == u"focus") {
            QLineEdit *other = otherField();
            other->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(other->hasFocus());
        } else {
            QTest::keyClick(m_edit, leave == u"Left" ? Qt::Key_Left : Qt::Key_Right);
            QCOMPARE(m_edit->InFld(), TDateEdit::ifMonth);
        }
        QCOMPARE(m_edit->text(), text);
        QCOMPARE(m_edit->SavedValue(), 0);
    }

    void partKeys()
    {
        makeField(QStringLiteral("2001/04/09"));
        // Other keys, and shortcuts that would edit the text, leave it alone.
        const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> keys = {{Qt::Key_Delete, {}}, {Qt::Key_Backspace, {}},
            {Qt::Key_Space, {}}, {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_V, Qt::ControlModifier},
            {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Left, Qt::ShiftModifier}, {Qt::Key_Up, Qt::ControlModifier}};
        for (const auto &[key, mods] : keys) {
            QTest::keyClick(m_edit, key, mods);
            QCOMPARE(m_edit->text(), QStringLiteral("2001/04/09"));
            QCOMPARE(selected(), QStringLiteral("2001"));
        }
        // Left and Right wrap; Home and End go to the ends.
        const QList<QPair<Qt::Key, TDateEdit::TInFld>> moves = {{Qt::Key_Left, TDateEdit::ifDay},
            {Qt::Key_Right, TDateEdit::ifYear}, {Qt::Key_Right, TDateEdit::ifMonth}, {Qt::Key_End, TDateEdit::ifDay},
            {Qt::Key_Home, TDateEdit::ifYear}};
        for (const auto &[key, part] : moves) {
            QTest::keyClick(m_edit, key);
            QCOMPARE(m_edit->InFld(), part);
            QCOMPARE(selected(), partText(part));
        }
    }

    void clickChoosesPart()
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
            const int expected = pos <= 4 ? 0 : pos <= 7 ? 1 : 2;
            QCOMPARE(int(m_edit->InFld()), expected);
            QCOMPARE(selected(), partText(expected));
        }
    }

    void tabSelectsCurrentPart()
    {
        makeField(QStringLiteral("2001/04/09"));
        QLineEdit *other = otherField();
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

    void partSetters()
    {
        // A part that would make no date, or a year out of range, is ignored.
        TDateEdit edit;
        edit.setMinYear(1);
        edit.setText(QStringLiteral("2001/04/09"));
        edit.setYear(5);
        edit.setMinYear(1980);
        edit.setYear(1979);
        edit.setMonth(2);
        edit.setMonth(13);
        edit.setDay(28);
        edit.setDay(29);
        QCOMPARE(edit.text(), QStringLiteral("0005/02/28"));
    }

    // Stepping the year of 2000/02/29 leaves a text that is no date: reading the
    // date raises a defined error, and the picker opens on the nearest real date.
    void notARealDate()
    {
        makeField(QStringLiteral("2000/02/29"));
        QCOMPARE(m_edit->Date(), EncodeDate(2000, 2, 29));
        QTest::keyClick(m_edit, Qt::Key_Up);
        QCOMPARE(m_edit->text(), QStringLiteral("2001/02/29"));
        QVERIFY(!m_edit->TryDate().has_value());
        try {
            m_edit->Date();
            QFAIL("no error");
        } catch (const EDateConvertError &e) {
            QVERIFY(e.message().contains(QStringLiteral("2001/02/29")));
        }
        const QList<QPair<QString, QDate>> cases
            = {{QStringLiteral("2001/02/29"), QDate(2001, 2, 28)}, {QStringLiteral("1582/10/10"), QDate(1582, 10, 15)}};
        for (const auto &[text, opened] : cases) {
            m_edit->setMinYear(1);
            m_edit->setText(text);
            QTest::keyClick(m_edit, Qt::Key_Down, Qt::AltModifier);
            QPointer<TDateInDlg> dlg = picker();
            QVERIFY(dlg);
            QCOMPARE(DateValueToQDate(dlg->Date()), opened);
            QTest::keyClick(dlg->Calendar(), Qt::Key_Escape);
            QTRY_VERIFY(!dlg);
            QCOMPARE(m_edit->text(), text);
        }
    }

    void enterAndEscapeReachDialog()
    {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            makeField(QStringLiteral("2001/04/09"));
            QTest::keyClick(m_edit, key);
            QTRY_VERIFY(!m_window->isVisible());
            QCOMPARE(m_window->result(), key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
            cleanup();
        }
    }

    void pickerLayoutAndKeys()
    {
        makeField(QStringLiteral("1999/02/12"));
        m_edit->SetInFld(TDateEdit::ifMonth);
        QTest::keyClicks(m_edit, QStringLiteral("3")); // incomplete typing is checked before opening
        QTest::mouseClick(m_edit->Button(), Qt::LeftButton);
        QPointer<TDateInDlg> dlg = picker();
        QVERIFY(dlg);
        QTRY_VERIFY(dlg->isVisible());
        QVERIFY(!m_edit->Button()->Pressed());
        QCOMPARE(m_edit->text(), QStringLiteral("1999/03/12"));
        QCOMPARE(dlg->Calendar()->MinYear(), 1980);
        QCOMPARE(dlg->Calendar()->MaxYear(), 2099);
        QCOMPARE(dlg->contentsRect().size(), QSize(159, 143));
        QCOMPARE(dlg->Calendar()->size(), QSize(159, 110));
        QVERIFY(dlg->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dlg->Calendar()->BorderStyle(), TMonthlyCalendarEx::bsNone);
        QVERIFY(dlg->Calendar()->Fonts()->Synchronize());
        // Without a setting the picker shows today's law, which needs no lines.
        QCOMPARE(dlg->Calendar()->Rules()->holidaySet(), HolidaySet::Law);
        QCOMPARE(dlg->Calendar()->HolidayList(), QStringList());
        QCOMPARE(dlg->findChild<QLabel *>(QStringLiteral("PToday"))->text(), QStringLiteral("今日にする:2026/12/ 8"));
        auto *month = dlg->findChild<QLabel *>(QStringLiteral("LMonth"));
        QCOMPARE(month->text(), QStringLiteral("1999年 3月12日"));
        // Keys move the calendar and the caption follows; Home goes to today; Enter accepts.
        QTest::keyClick(dlg->Calendar(), Qt::Key_PageDown);
        QCOMPARE(month->text(), QStringLiteral("1999年 4月12日"));
        QTest::keyClick(dlg->Calendar(), Qt::Key_Home);
        QCOMPARE(month->text(), QStringLiteral("2026年12月 8日"));
        QTest::keyClick(dlg->Calendar(), Qt::Key_Left);
        QTest::keyClick(dlg->Calendar(), Qt::Key_Return);
        QTRY_VERIFY(!dlg);
        QCOMPARE(m_edit->text(), QStringLiteral("2026/12/07"));
        QTRY_VERIFY(m_edit->hasFocus());
    }

    // Opening the picker checks a typed part first, by the button as by Alt+Down.
    void openingChecksTypedPart_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("button") << true;
        QTest::newRow("Alt+Down") << false;
    }

    void openingChecksTypedPart()
    {
        QFETCH(bool, byButton);
        makeField(QStringLiteral("2001/03/31"));
        QTest::keyClicks(m_edit, QStringLiteral("1234"));
        QCOMPARE(m_edit->text(), QStringLiteral("1234/03/31"));
        if (byButton)
            QTest::mouseClick(m_edit->Button(), Qt::LeftButton);
        else
            QTest::keyClick(m_edit, Qt::Key_Down, Qt::AltModifier);
        QPointer<TDateInDlg> dlg = picker();
        QVERIFY(dlg);
        QCOMPARE(m_edit->text(), QStringLiteral("2001/03/31"));
        QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2001, 3, 31));
        QTest::keyClick(dlg->Calendar(), Qt::Key_Return);
        QTRY_VERIFY(!dlg);
        QCOMPARE(m_edit->text(), QStringLiteral("2001/03/31"));
    }

    // Under the mouse the month buttons keep their arrow in the caption's
    // text colour, on a face that is not that colour.
    void monthButtonsShowArrowUnderMouse_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("previous") << QStringLiteral("PrevBtn");
        QTest::newRow("next") << QStringLiteral("BtnNext");
    }
    void monthButtonsShowArrowUnderMouse()
    {
        QFETCH(QString, button);
        QPointer<TDateInDlg> dlg = openPicker(QStringLiteral("2026/12/08"));
        auto *arrow = dlg->findChild<QToolButton *>(button);
        QVERIFY(arrow);
        const QColor ink = dlg->palette().color(QPalette::Active, QPalette::HighlightedText);
        const auto inkPixels = [&] {
            const QImage image = arrow->grab().toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += image.pixelColor(x, y) == ink;
            return count;
        };
        const int plain = inkPixels();
        QVERIFY(plain > 3);
        arrow->setAttribute(Qt::WA_UnderMouse);
        QCOMPARE(inkPixels() >= plain, true);
        const QImage hovered = arrow->grab().toImage();
        QVERIFY(hovered.pixelColor(1, arrow->height() / 2) != ink);
        dlg->CloseCancel();
    }

    void monthButtonsKeepToRange()
    {
        QPointer<TDateInDlg> dlg = openPicker(QStringLiteral("2099/12/10"));
        auto *next = dlg->findChild<QToolButton *>(QStringLiteral("BtnNext"));
        auto *prev = dlg->findChild<QToolButton *>(QStringLiteral("PrevBtn"));
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2099, 12, 10));
        QTest::mouseClick(prev, Qt::LeftButton);
        QCOMPARE(DateValueToQDate(dlg->Date()), QDate(2099, 11, 10));
        dlg->CloseCancel();
    }

    void pickerCloses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("Escape") << "1999/02/12";
        QTest::newRow("press outside") << "1999/02/12";
        QTest::newRow("deactivation") << "1999/02/12";
        QTest::newRow("double click on a neighbour day") << "1999/03/02";
    }

    // Each way out frees the popup and gives the focus back to the field.
    void pickerCloses()
    {
        const QByteArray how = QTest::currentDataTag();
        QPointer<TDateInDlg> dlg = openPicker(QStringLiteral("1999/02/12"));
        QVERIFY(dlg);
        QSignalSpy accepted(dlg.data(), &TDateInDlg::DateAccepted);
        TMonthlyCalendarEx *cal = dlg->Calendar();
        QTest::keyClick(cal, Qt::Key_Right);
        if (how == "Escape") {
            QTest::keyClick(cal, Qt::Key_Escape);
        } else if (how == "press outside") {
            // The popup grabs the mouse, so it gets the press.
            QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(dlg->width() + 20, 10));
        } else if (how == "deactivation") {
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(dlg, &deactivate);
        } else {
            const int offset = YmdToJulius(1999, 3, 2) - cal->FirstCellJulius();
            const QPoint at = cal->CellRect(offset % 7, offset / 7 + 1).center() + cal->contentsRect().topLeft();
            QTest::mouseDClick(cal, Qt::LeftButton, {}, at);
        }
        QTRY_VERIFY(!dlg);
        QCOMPARE(accepted.count(), how.startsWith("double") ? 1 : 0);
        QTEST(m_edit->text(), "text");
        QTRY_VERIFY(m_edit->hasFocus());
    }

    // A neighbour day may lie outside the field's years: accepting it beeps,
    // keeps the picker open and leaves the field alone.
    void pickerRefusesYearOutsideRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minYear");
        QTest::addColumn<QDate>("neighbour");
        QTest::newRow("after MaxYear") << "2099/12/28" << 1901 << QDate(2100, 1, 2);
        QTest::newRow("before MinYear") << "1980/01/03" << 1980 << QDate(1979, 12, 31);
    }

    void pickerRefusesYearOutsideRange()
    {
        QFETCH(QString, text);
        QFETCH(int, minYear);
        QFETCH(QDate, neighbour);
        ScriptedNotifier notifier;
        QPointer<TDateInDlg> dlg = openPicker(text, minYear, 2099);
        QSignalSpy accepted(dlg.data(), &TDateInDlg::DateAccepted);
        TMonthlyCalendarEx *cal = dlg->Calendar();
        const int offset = YmdToJulius(neighbour.year(), neighbour.month(), neighbour.day()) - cal->FirstCellJulius();
        QVERIFY(offset >= 0 && offset < 42);
        const QPoint at = cal->CellRect(offset % 7, offset / 7 + 1).center() + cal->contentsRect().topLeft();
        QTest::mouseDClick(dlg->windowHandle(), Qt::LeftButton, {}, cal->mapTo(dlg.data(), at));
        QCOMPARE(accepted.count(), 0);
        QVERIFY(dlg && dlg->isVisible());
        QCOMPARE(notifier.count(Notifier::Sound::Beep), 1);
        QCOMPARE(DateValueToQDate(cal->Date()), neighbour);
        QTest::keyClick(cal, Qt::Key_Return);
        QVERIFY(dlg && dlg->isVisible());
        QCOMPARE(notifier.count(Notifier::Sound::Beep), 2);
        QCOMPARE(m_edit->text(), text);
        // Back inside the range (Home: today), the choice is taken.
        QTest::keyClick(cal, Qt::Key_Home);
        QTest::keyClick(cal, Qt::Key_Return);
        QTRY_VERIFY(!dlg);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(m_edit->text(), QStringLiteral("2026/12/08"));
    }

    void todayLine_data()
    {
        QTest::addColumn<int>("maxYear");
        QTest::addColumn<QDate>("accepted");
        QTest::newRow("today in range") << 2099 << QDate(2026, 12, 8);
        QTest::newRow("today beyond MaxYear") << 2020 << QDate(1999, 2, 12);
    }

    void todayLine()
    {
        QFETCH(int, maxYear);
        QPointer<TDateInDlg> dlg = openPicker(QStringLiteral("1999/02/12"), 1901, maxYear);
        QSignalSpy spy(dlg.data(), &TDateInDlg::DateAccepted);
        auto *today = dlg->findChild<QLabel *>(QStringLiteral("PToday"));
        // A single click moves to today (when allowed) but keeps the popup open.
        QTest::mouseClick(today, Qt::LeftButton);
        QVERIFY(dlg);
        QCOMPARE(spy.count(), 0);
        dlg->setDate(EncodeDate(1999, 2, 12));
        QTest::mouseDClick(today, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QTEST(DateValueToQDate(spy.first().first().toDouble()), "accepted");
        QTRY_VERIFY(!dlg);
    }

    // Only a left click released inside the today line moves to today.
    void todayLineClick_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("releaseInside");
        QTest::addColumn<QDate>("shown");
        QTest::newRow("left click") << int(Qt::LeftButton) << true << QDate(2026, 12, 8);
        QTest::newRow("right click") << int(Qt::RightButton) << true << QDate(1999, 2, 12);
        QTest::newRow("middle click") << int(Qt::MiddleButton) << true << QDate(1999, 2, 12);
        QTest::newRow("left released outside") << int(Qt::LeftButton) << false << QDate(1999, 2, 12);
    }

    void todayLineClick()
    {
        QFETCH(int, button);
        QFETCH(bool, releaseInside);
        QPointer<TDateInDlg> dlg = openPicker(QStringLiteral("1999/02/12"));
        QSignalSpy accepted(dlg.data(), &TDateInDlg::DateAccepted);
        auto *today = dlg->findChild<QLabel *>(QStringLiteral("PToday"));
        const QPoint inside = today->rect().center();
        QTest::mousePress(today, Qt::MouseButton(button), {}, inside);
        QTest::mouseRelease(today, Qt::MouseButton(button), {}, releaseInside ? inside : inside - QPoint(0, 40));
        QTEST(DateValueToQDate(dlg->Date()), "shown");
        QCOMPARE(accepted.count(), 0);
        if (button != Qt::LeftButton) {
            QTest::mouseDClick(today, Qt::MouseButton(button), {}, inside);
            QCOMPARE(accepted.count(), 0);
            QTEST(DateValueToQDate(dlg->Date()), "shown");
        }
        dlg->CloseCancel();
    }

    void pickerPlacement_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("top left") << "topleft";
        QTest::newRow("bottom") << "bottom";
        QTest::newRow("past the right edge") << "right";
    }

    // Below the field, above it when there is no room, never beyond the screen's sides.
    void pickerPlacement()
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
        TDateInDlg *dlg = picker();
        QVERIFY(dlg);
        const QRect field(m_edit->mapToGlobal(QPoint(0, 0)), m_edit->size());
        const QRect popup = dlg->frameGeometry();
        QVERIFY(popup.left() >= screen.left());
        QVERIFY(popup.right() <= screen.right());
        if (where == u"bottom") {
            QCOMPARE(popup.bottom(), field.top() - 1);
            QCOMPARE(popup.right(), field.right()); // right edges line up
        } else {
            QCOMPARE(popup.top(), field.bottom() + 1);
        }
        dlg->CloseCancel();
    }

    // The picker takes the stored choice of holidays and follows a new one
    // while it is open.
    void pickerFollowsHolidaySetting()
    {
        const QString section = QStringLiteral("Option"), key = QStringLiteral("HolidayLaw");
        QVERIFY(Settings().writeBool(section, key, false));
        TDateInDlg *dlg = openPicker(QStringLiteral("2026/09/08"));
        QVERIFY(Settings().deleteKey(section, key));
        QVERIFY(dlg);
        TMonthlyCalendarEx *calendar = dlg->Calendar();
        QCOMPARE(calendar->Rules()->holidaySet(), HolidaySet::Classic);
        QCOMPARE(calendar->HolidayList(), DefaultHolidayLines());
        QCOMPARE(calendar->GetDayFont(2026, 9, 22).color, QColor(Qt::black));
        QCOMPARE(calendar->GetDayFont(2026, 9, 15).color, QColor(Qt::red));

        const QImage classicPicture = calendar->picture().toImage();
        HolidaySetting::instance().announce(HolidaySet::Law);
        QCOMPARE(calendar->Rules()->holidaySet(), HolidaySet::Law);
        QCOMPARE(calendar->GetDayFont(2026, 9, 22).color, QColor(Qt::red));
        QCOMPARE(calendar->GetDayFont(2026, 9, 15).color, QColor(Qt::black));
        QVERIFY(calendar->picture().toImage() != classicPicture);
        dlg->CloseCancel();
    }

    // Set TIDEMARK_SHOTS to a folder to look at the pictures.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS");
        if (dir.isEmpty())
            QSKIP("TIDEMARK_SHOTS not set");
        QDir().mkpath(dir);
        for (const char *text :
            {"1999/10/11", "2000/03/08", "2000/09/23", "2015/02/10", "2026/12/08", "2026/09/08", "2019/05/14"}) {
            TDateInDlg *dlg = openPicker(QString::fromLatin1(text));
            m_edit->Button()->setPressed(true);
            QVERIFY(m_window->grab().save(dir + QStringLiteral("/field-pressed.png")));
            QVERIFY(dlg->grab().save(
                dir + QStringLiteral("/picker-%1.png").arg(QString::fromLatin1(text).replace(u'/', u'-'))));
            delete std::exchange(m_window, nullptr);
        }
    }
};

QTEST_MAIN(TestDateEdit)
#include "tst_dateedit.moc"
