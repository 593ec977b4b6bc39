#include "EditorScript.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/UpDown.h"

#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

// The item editor driven through its controls, found by their component
// names. Today is fixed at 2026-12-08, a Tuesday of an even week. What each
// kind stores is checked by the edit commands' round trip.
class TestDetailDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TDetailDlg> m_dlg;

    template <class T = QWidget> T *w(const QString &name) const { return Ctl<T>(*m_dlg, name); }
    void act(const QString &steps) { Act(*m_dlg, steps); }
    // One digit per control: 1 where `test` holds.
    QString flags(std::initializer_list<const char *> names, bool (*test)(QWidget *)) const
    {
        QString digits;
        for (const char *name : names)
            digits += test(w(name)) ? u'1' : u'0';
        return digits;
    }
    static bool on(QWidget *c) { return static_cast<QAbstractButton *>(c)->isChecked(); }
    static bool enabled(QWidget *c) { return c->isEnabled(); }
    static bool shown(QWidget *c) { return c->isVisible(); }
    // The texts of edits and labels, joined by '|'.
    QString texts(std::initializer_list<const char *> names) const
    {
        QStringList all;
        for (const char *name : names) {
            auto *label = qobject_cast<QLabel *>(w(name));
            all << (label ? label->text() : w<QLineEdit>(name)->text());
        }
        return all.join(u'|');
    }
    void open(const TItemRec *item = nullptr)
    {
        if (item)
            m_dlg->LoadItem(*item);
        m_dlg->show();
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    bool pressOk()
    {
        act("OKBtn"); // does nothing while the button is disabled
        return m_dlg->result() == QDialog::Accepted;
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init() // the previous case's objects go first, the dialog before the rest
    {
        m_dlg.reset();
        m_notes.reset();
        m_env.reset();
        m_env = std::make_unique<TestEnvironment>();
        m_notes = std::make_unique<ScriptedNotifier>();
        m_dlg = std::make_unique<TDetailDlg>();
    }

    // A new item: its defaults, the display period from the document header.
    void newItem_data()
    {
        QTest::addColumn<int>("defBefore");
        QTest::addColumn<int>("defAfter");
        QTest::addColumn<bool>("untilDone");
        QTest::addColumn<QString>("after");
        Row("days", 2, 3, false, "3");
        Row("until done", 5, 255, true, "0");
        Row("any sign bit", 0, 128, true, "0");
    }
    void newItem()
    {
        QFETCH(int, defBefore);
        QFETCH(int, defAfter);
        QFETCH(bool, untilDone);
        QFETCH(QString, after);
        THeadRec head;
        head.SetDefBefore(defBefore);
        head.SetDefAfter(defAfter);
        m_dlg->SetDisplayDefaults(head);
        open();
        QCOMPARE(flags({"RDate", "RDSBefore", "RYWeekly", "CbLDate"}, on), "1110");
        QCOMPARE(flags({"OKBtn", "ETitleDiff", "LDate"}, enabled), "000");
        QCOMPARE(w<QComboBox>("CBTitleOpt")->currentIndex(), 0);
        QCOMPARE(texts({"OSDate", "OEDate", "LDate", "EDDate1", "EDDate2"}), "2026/12/08|2026/12/08|1980/01/01||");
        QCOMPARE(typeid(m_dlg->WorkItem()), typeid(TItemRec));
        QCOMPARE(texts({"EBefore", "EAfter"}), QString::number(defBefore) + '|' + after);
        QCOMPARE(flags({"RAfterCheck", "RAfterDay"}, on), untilDone ? "10" : "01");
        QCOMPARE(flags({"EAfter", "UDAfter"}, enabled), untilDone ? "00" : "11");
        act("Text=t ROnce");
        QVERIFY(pressOk());
        QCOMPARE(m_dlg->WorkItem().BeforeDays, defBefore);
        QCOMPARE(m_dlg->WorkItem().AfterDays, untilDone ? -1 : defAfter);
    }

    void onceEndEqualToStartIsDropped()
    {
        open();
        act("ROnce Text=a OSDate=2026/01/10");
        QCOMPARE(texts({"LOSDate"}) + flags({"OEDate"}, enabled), "対象日0");
        act("CbOEDate");
        QCOMPARE(texts({"LOSDate"}) + flags({"OEDate"}, enabled), "開始日1");
        act("OEDate=2026/01/10");
        // A text document's line separator is a line break too.
        w<QPlainTextEdit>("Memo")->setPlainText(QStringLiteral("a") + QChar::LineSeparator + QStringLiteral("b"));
        QVERIFY(pressOk());
        QVERIFY(m_dlg->WorkItem().HasStart && !m_dlg->WorkItem().HasEnd);
        QCOMPARE(m_dlg->WorkItem().StartDate, EncodeDate(2026, 1, 10));
        QCOMPARE(m_dlg->WorkItem().EndDate, EncodeDate(2026, 1, 10));
        QCOMPARE(m_dlg->WorkItem().MemoText, QStringLiteral("a\r\nb"));
    }

    // Loaded text at the byte limits passes (16 kanji; 31 + CR LF + 31).
    void kindChangeKeepsOtherFields()
    {
        TDateItemRec source;
        source.Title = QString(16, QChar(0x6F22));
        source.MemoText = QString(31, 'a') + "\r\n" + QString(31, 'b');
        source.SetMonth(3, true);
        source.SetDay(1, 15);
        source.WeekParity = 2;
        source.ShiftHoliday = true;
        source.DevState = 2;
        source.DevWord[2] = 777;
        open(&source);
        act("RDay");
        QVERIFY(!w("OKBtn")->isEnabled()); // no weekday yet
        QCOMPARE(flags({"RYEvenWeek", "CbYSHoli"}, on), "11");
        act("CbYWed");
        QVERIFY(pressOk());
        const TItemRec &item = m_dlg->WorkItem();
        QCOMPARE(typeid(item), typeid(TDayItemRec));
        QCOMPARE(item.Kind, quint8(2));
        QCOMPARE(item.Title + item.MemoText, source.Title + source.MemoText);
        QVERIFY(item.Month(3) && item.Weekday(2) && item.ShiftHoliday);
        QCOMPARE(item.Day(1), 15);
        QCOMPARE(item.WeekParity, 2);
        QCOMPARE(item.DevState, quint8(2));
        QCOMPARE(item.DevWordAt(2), 777);
    }

    // Which groups show for each kind, and what OK needs.
    void kinds_data()
    {
        QTest::addColumn<QString>("steps");
        // Shown: GOnce, LOSDate, CbOSDate, POEDate, GDate, GDay, PDisplay; enabled: OSDate, OKBtn.
        QTest::addColumn<QString>("state");
        Row("new item: month-day", "", "000010100");
        Row("once, no title", "ROnce", "110100110");
        Row("once, title", "ROnce Text=a", "110100111");
        Row("irregular, title", "RIrregular Text=a", "101000001");
        Row("irregular with start", "RIrregular CbOSDate Text=a", "101000111");
        Row("month-day, title only", "RDate Text=a", "000010100");
        Row("month-day, no day", "RDate Text=a CbDMonth6", "000010100");
        Row("month-day, day 0", "RDate Text=a CbDMonth6 EDDate1=0", "000010100");
        Row("month-day, no month", "RDate Text=a EDDate1=10", "000010100");
        Row("month-day, complete", "RDate Text=a CbDMonth6 EDDate1=10", "000010101");
        Row("month-day, no title", "RDate CbDMonth6 EDDate1=10", "000010100");
        Row("weekday, no weekday", "RDay Text=a", "000001100");
        Row("weekday, complete", "RDay Text=a CbYMon", "000001101");
    }
    void kinds()
    {
        QFETCH(QString, steps);
        QFETCH(QString, state);
        open();
        act(steps);
        const QString visible = flags({"GOnce", "LOSDate", "CbOSDate", "POEDate", "GDate", "GDay", "PDisplay"}, shown);
        QCOMPARE(visible + flags({"OSDate", "OKBtn"}, enabled), state);
    }

    // OK refused: a beep, the focus on the field at fault, nothing stored.
    // "Date+" steps the year: 2000/02/29 becomes 2001/02/29, a text that names no date.
    void refusals_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("focus");
        Row("end before start", "ROnce CbOEDate OEDate=2026/12/07", "OSDate");
        Row("first day 45", "CbDMonth1 EDDate1=45", "EDDate1");
        Row("second day 45", "CbDMonth1 EDDate2=45", "EDDate2");
        Row("first day pasted letters", "CbDMonth1 EDDate1<ab", "EDDate1");
        Row("impossible start date", "ROnce OSDate=2000/02/29 OSDate+", "OSDate");
        Row("impossible end date", "ROnce CbOEDate OEDate=2000/02/29 OEDate+", "OEDate");
        Row("impossible irregular date", "RIrregular CbOSDate OSDate=2000/02/29 OSDate+", "OSDate");
        Row("impossible last date", "ROnce CbLDate LDate=2000/02/29 LDate+", "LDate");
        Row("emptied before-days", "ROnce EBefore=", "EBefore");
        Row("title of 33 bytes, loaded", "", "Text");
        Row("memo of 65 bytes, loaded", "", "Memo");
    }
    void refusals()
    {
        QFETCH(QString, steps);
        QFETCH(QString, focus);
        open();
        act("Text=a EDDate1=5 EDDate2=20 " + steps);
        if (focus == "Text" || focus == "Memo") {
            TOnceItemRec item;
            item.Title = focus == "Text" ? QString(16, QChar(0x6F22)) + 'x' : QStringLiteral("a");
            item.MemoText = focus == "Memo" ? QString(32, 'a') + "\r\n" + QString(31, 'b') : QString();
            item.HasStart = true;
            item.StartDate = EncodeDate(2026, 1, 1);
            m_dlg->LoadItem(item);
        }
        // The spinner keeps the last value in range the field held.
        if (steps.contains("EDDate1=45"))
            QCOMPARE(w<TUpDown>("UDDDate1")->position(), 4);
        QVERIFY(w("OKBtn")->isEnabled());
        w("OKBtn")->setFocus();
        act("OKBtn");
        QCOMPARE(m_dlg->result(), 0);
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_notes->count(Notifier::Sound::Beep), 1);
        QVERIFY(m_notes->messages.isEmpty() && m_notes->errors.isEmpty());
        QCOMPARE(m_dlg->focusWidget(), w(focus));
        QCOMPARE(
            typeid(m_dlg->WorkItem()), focus == "Text" || focus == "Memo" ? typeid(TOnceItemRec) : typeid(TItemRec));
        // what does not fit is shown selected
        if (focus == "Text")
            QCOMPARE(w<QLineEdit>("Text")->selectedText(), QStringLiteral("x"));
        if (focus == "Memo") {
            auto *memo = w<QPlainTextEdit>("Memo");
            QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("b"));
            QVERIFY(memo->viewport()->rect().contains(memo->cursorRect()));
        }
    }

    // The memo shows its two lines whole; a line break keeps the first in
    // sight.
    void memoShowsTwoLines()
    {
        open();
        auto *memo = w<QPlainTextEdit>("Memo");
        QVERIFY(memo->viewport()->height() >= 2 * memo->fontMetrics().lineSpacing());
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("first"));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("second"));
        QCOMPARE(memo->verticalScrollBar()->value(), 0);
        QVERIFY(memo->viewport()->rect().contains(memo->cursorRect()));
        // nothing below the memo was covered by its growth
        for (QWidget *child : m_dlg->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child != memo && child->isVisible() && child->y() > memo->y())
                QVERIFY2(!child->geometry().intersects(memo->geometry()), qPrintable(child->objectName()));
            QVERIFY2(m_dlg->rect().contains(child->geometry()) || !child->isVisible(), qPrintable(child->objectName()));
        }
    }

    void monthAndShiftDayRules()
    {
        open();
        const auto months = [this] {
            return flags({"CbDMonth1", "CbDMonth2", "CbDMonth3", "CbDMonth4", "CbDMonth5", "CbDMonth6", "CbDMonth7",
                             "CbDMonth8", "CbDMonth9", "CbDMonth10", "CbDMonth11", "CbDMonth12", "CbDEveryMonth"},
                on);
        };
        act("CbDEveryMonth");
        QCOMPARE(months(), "1111111111111");
        act("CbDMonth5");
        QCOMPARE(months(), "1111011111110");
        act("CbDMonth5");
        QCOMPARE(months(), "1111111111111");
        act("CbDEveryMonth");
        QCOMPARE(months(), "0000000000000");

        // At most six shift weekdays, whether clicked or set from code.
        act("CbDSMon CbDSTue CbDSWed CbDSThu CbDSFri CbDSSat CbDSSun");
        const std::initializer_list<const char *> days
            = {"CbDSMon", "CbDSTue", "CbDSWed", "CbDSThu", "CbDSFri", "CbDSSat", "CbDSSun"};
        QCOMPARE(flags(days, on), "1111110");
        w<QCheckBox>("CbDSSun")->setChecked(true);
        QCOMPARE(flags(days, on), "1111110");
    }

    // Each number field filters keys, and its spinner wraps at both ends and,
    // clicked, puts the focus on the field with the text selected.
    void numberFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        Row("day: letters and minus dropped", "EDDate1", "a-1x2", "12", 0, 31);
        Row("day: two characters at most", "EDDate2", "123", "12", 0, 31);
        Row("issue number: minus passes", "ETitleDiff", "-1a2", "-12", -99, 99);
        Row("before: minus dropped", "EBefore", "-5", "5", 0, 99);
        Row("after: letters dropped", "EAfter", "x9y", "9", 0, 99);
    }
    void numberFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, min);
        QFETCH(int, max);
        open();
        w<QComboBox>("CBTitleOpt")->setCurrentIndex(4);
        auto *edit = w<QLineEdit>(field);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), shown.chopped(1));
        auto *ud = w<TUpDown>("UD" + field.mid(1));
        for (const bool up : {true, false}) {
            ud->setPosition(up ? max : min);
            w("Text")->setFocus();
            QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, up ? 2 : ud->height() - 3));
            QCOMPARE(edit->text(), QString::number(up ? min : max));
            QCOMPARE(m_dlg->focusWidget(), edit);
            QCOMPARE(edit->selectedText(), edit->text());
        }
    }

    // A click into a number field selects its text as Tab does, so that a
    // typed number replaces the shown one; a drag keeps its own selection.
    void numberFieldEnteredByClick_data()
    {
        QTest::addColumn<QString>("field");
        Row("issue number", "ETitleDiff");
        Row("before", "EBefore");
        Row("after", "EAfter");
    }
    void numberFieldEnteredByClick()
    {
        QFETCH(QString, field);
        open();
        w<QComboBox>("CBTitleOpt")->setCurrentIndex(4);
        auto *edit = w<QLineEdit>(field);
        w("Text")->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(2, edit->height() / 2));
        QCOMPARE(m_dlg->focusWidget(), edit);
        QCOMPARE(edit->selectedText(), QStringLiteral("0"));
        QTest::keyClick(edit, Qt::Key_3);
        QCOMPARE(edit->text(), QStringLiteral("3"));
        // a second click inside the field places the caret
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(2, edit->height() / 2));
        QCOMPARE(edit->selectedText(), QString());
    }

    void dayZero()
    {
        TDateItemRec source;
        source.Title = QStringLiteral("t");
        source.SetMonth(2, true);
        source.SetDay(1, 5);
        source.SetDay(2, 10);
        open(&source);
        // A typed 0 is shown empty once the field is left.
        auto *day = w<QLineEdit>("EDDate2");
        day->setFocus();
        act("EDDate2=0");
        QCOMPARE(day->text(), QStringLiteral("0"));
        w("Text")->setFocus();
        QCOMPARE(day->text(), QString());
        QCOMPARE(m_dlg->DayValue(2), 0);
        // A cleared field stores day 0.
        act("EDDate2<10 EDDate1=");
        QVERIFY(pressOk());
        QCOMPARE(m_dlg->WorkItem().Day(1), 0);
        QCOMPARE(m_dlg->WorkItem().Day(2), 10);
    }

    void weekLabel_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("parity");
        QTest::addColumn<QString>("label");
        Row("odd item, even week", QDate(2026, 12, 8), 1, "来週");
        Row("even item, even week", QDate(2026, 12, 8), 2, "今週");
        Row("odd item, odd week", QDate(2026, 12, 13), 1, "今週");
        Row("even item, odd week", QDate(2026, 12, 19), 2, "来週");
    }
    void weekLabel()
    {
        QFETCH(QDate, today);
        QFETCH(int, parity);
        QFETCH(QString, label);
        m_dlg.reset();
        m_env.reset(); // before the next one fixes the clock
        m_env = std::make_unique<TestEnvironment>(QDateTime(today, QTime(9, 0)));
        m_dlg = std::make_unique<TDetailDlg>();
        // Loaded, the label is right before the dialog is shown.
        TDayItemRec item;
        item.WeekParity = parity;
        m_dlg->LoadItem(item);
        QCOMPARE(texts({"LYBiweekly"}), label);
        open();
        act("RYWeekly");
        QCOMPARE(texts({"LYBiweekly"}), QString());
        act(parity == 1 ? "RYOddWeek" : "RYEvenWeek");
        QCOMPARE(texts({"LYBiweekly"}), label);
    }

    void smallHandlers()
    {
        THeadRec head;
        head.SetDefAfter(255);
        m_dlg->SetDisplayDefaults(head);
        open();
        // A title option without a number keeps the number it had.
        act("ROnce Text=t");
        w<QComboBox>("CBTitleOpt")->setCurrentIndex(1);
        QVERIFY(w("ETitleDiff")->isEnabled());
        w<TUpDown>("UDTitleDiff")->setPosition(5);
        w<QComboBox>("CBTitleOpt")->setCurrentIndex(3);
        QCOMPARE(flags({"ETitleDiff", "UDTitleDiff"}, enabled) + texts({"LTitleDiff"}), "00");
        // The label behind the day count selects it.
        QVERIFY(!w("EAfter")->isEnabled());
        QTest::mouseClick(w("LAfter"), Qt::LeftButton);
        QCOMPARE(flags({"EAfter"}, enabled) + flags({"RAfterDay"}, on), "11");
        // The shift direction applies only with the holiday shift.
        act("RDay");
        QCOMPARE(flags({"RYSBefore", "RYSAfter"}, enabled), "00");
        act("CbYSHoli");
        QCOMPARE(flags({"RYSBefore", "RYSAfter"}, enabled), "11");
        act("HelpBtn ROnce");
        QCOMPARE(m_notes->helpContexts, QList<int> {3050});
        QVERIFY(pressOk());
        QCOMPARE(m_dlg->WorkItem().TitleOpt, quint8(3));
        QCOMPARE(m_dlg->WorkItem().TitleDiff, 5);
    }

    // The title (32 bytes) and the memo (64 bytes, a line break counted as
    // CR LF) refuse input that passes their code page 932 byte limit, or that
    // the code page cannot hold, whole and with a beep; nothing is cut.
    void byteLimits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("how"); // type ("\n" is Enter), paste, ime; "all" replaces the whole text
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("beeps");
        const auto a = [](int n) { return QString(n, 'a'); };
        Row("title: 33rd byte", "Text", a(31), "type", "bc", a(31) + 'b', 1);
        Row("title: kanji on byte 32", "Text", a(31), "type", "漢", a(31), 1);
        Row("title: half-width kana", "Text", a(30), "type", "ｱｲｳ", a(30) + "ｱｲ", 1);
        Row("title: hangul", "Text", "ab", "type", "한", "ab", 1);
        Row("title: typing over a full selection", "Text", a(32), "type all", "漢字", "漢字", 0);
        Row("title: paste of 36 bytes", "Text", a(20), "paste", "漢字漢字漢字漢字", a(20), 1);
        Row("title: paste of exactly 32", "Text", a(20), "paste", "漢字漢字漢字", a(20) + "漢字漢字漢字", 0);
        Row("title: input method", "Text", a(28), "ime", "漢字", a(28) + "漢字", 0);
        Row("title: input method emoji", "Text", "ab", "ime", "😀", "ab", 1);
        Row("memo: 65th byte", "Memo", a(63), "type", "bc", a(63) + 'b', 1);
        Row("memo: line break is two bytes", "Memo", a(63), "type", "\n", a(63), 1);
        Row("memo: two lines fill 64", "Memo", "", "type", a(31) + '\n' + a(31) + 'x', a(31) + '\n' + a(31), 1);
        Row("memo: emoji", "Memo", "memo", "type", "😀", "memo", 1);
        Row("memo: pasted CR LF is two bytes", "Memo", a(58), "paste", "b\r\nccdd", a(58), 1);
        Row("memo: paste of exactly 64", "Memo", a(58), "paste", "b\r\nccd", a(58) + "b\nccd", 0);
        Row("memo: paste over a full selection", "Memo", a(64), "paste all", QString(64, 'z'), QString(64, 'z'), 0);
        Row("memo: input method too long", "Memo", a(60), "ime", "漢字漢", a(60), 1);
        Row("memo: input method", "Memo", a(60), "ime", "漢字", a(60) + "漢字", 0);
    }
    void byteLimits()
    {
        QFETCH(QString, field);
        QFETCH(QString, start);
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QFETCH(int, beeps);
        open();
        auto *title = w<QLineEdit>("Text");
        auto *memo = w<QPlainTextEdit>("Memo");
        QWidget *edit = field == "Text" ? static_cast<QWidget *>(title) : memo;
        edit->setFocus();
        edit == title ? title->setText(start) : memo->setPlainText(start);
        memo->moveCursor(QTextCursor::End);
        if (how.endsWith(" all"))
            edit == title ? title->selectAll() : memo->selectAll();
        if (how.startsWith("type")) {
            // QTest::keyClicks takes Latin-1 only: the characters ride on key events.
            for (qsizetype i = 0; i < text.size(); ++i) {
                const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
                QKeyEvent press(QEvent::KeyPress, text.at(i) == '\n' ? Qt::Key_Return : Qt::Key_unknown, Qt::NoModifier,
                    text.mid(i, n));
                QApplication::sendEvent(edit, &press);
                i += n - 1;
            }
        } else if (how.startsWith("paste")) {
            QApplication::clipboard()->setText(text);
            edit == title ? title->paste() : memo->paste();
        } else {
            QInputMethodEvent event(QString(), {});
            event.setCommitString(text);
            QApplication::sendEvent(edit, &event);
        }
        QCOMPARE(edit == title ? title->text() : memo->toPlainText(), result);
        QCOMPARE(m_notes->count(Notifier::Sound::Beep), beeps);
    }

    // Tab walks the reachable controls of every kind in reading order: each
    // next one lies on the same row further right, or on a lower row.
    void tabOrderFollowsLayout()
    {
        open();
        w<QComboBox>("CBTitleOpt")->setCurrentIndex(1);
        w<QCheckBox>("CbYSHoli")->setChecked(true);
        for (const char *kind : {"ROnce", "RDate", "RDay", "RIrregular"}) {
            act(kind);
            QList<QWidget *> reached;
            QWidget *current = w("Text");
            do {
                if (current->isVisible() && current->isEnabled() && (current->focusPolicy() & Qt::TabFocus))
                    reached << current;
                current = current->nextInFocusChain();
            } while (current != w("Text"));
            QVERIFY(reached.size() > 10);
            QCOMPARE(reached.last(), w("HelpBtn"));
            for (qsizetype i = 1; i < reached.size(); ++i) {
                const QRect a(reached[i - 1]->mapTo(m_dlg.get(), QPoint()), reached[i - 1]->size());
                const QRect b(reached[i]->mapTo(m_dlg.get(), QPoint()), reached[i]->size());
                const bool sameRow = qAbs(a.center().y() - b.center().y()) < 8;
                QVERIFY2(sameRow ? b.left() > a.left() : b.top() > a.top(),
                    qPrintable(kind + (": " + reached[i - 1]->objectName()) + " -> " + reached[i]->objectName()));
            }
        }
    }
};

QTEST_MAIN(TestDetailDlg)
#include "tst_detaildlg.moc"
