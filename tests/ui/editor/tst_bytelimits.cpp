#include "ui/editor/ByteLimitValidator.h"
#include "ui/editor/ByteLimitedMemo.h"
#include "ui/editor/DetailRules.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

// The title (32 bytes) and the memo (64 bytes, a line break counted as CR LF)
// refuse input that passes their code page 932 byte limit, or that the code
// page cannot hold, whole and with a signal; nothing is ever cut.
class TestByteLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void input_data();
    void input();
};

void TestByteLimits::input_data()
{
    QTest::addColumn<bool>("memo");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("how"); // type (Latin-1 "\n" is Enter), paste, ime; "all" replaces the whole text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("rejected");
    const auto a = [](int n) { return QString(n, QLatin1Char('a')); };
    const auto row = [](const char *name, bool memo, const QString &start, const char *how, const QString &text,
                         const QString &result, int rejected) {
        QTest::newRow(name) << memo << start << QString::fromLatin1(how) << text << result << rejected;
    };
    row("title: 33rd byte", false, a(31), "type", "bc", a(31) + 'b', 1);
    row("title: kanji on byte 32", false, a(31), "type", "漢", a(31), 1);
    row("title: half-width kana", false, a(30), "type", "ｱｲｳ", a(30) + "ｱｲ", 1);
    row("title: hangul", false, "ab", "type", "한", "ab", 1);
    row("title: typing over a full selection", false, a(32), "type all", "漢字", "漢字", 0);
    row("title: paste of 36 bytes", false, a(20), "paste", "漢字漢字漢字漢字", a(20), 1);
    row("title: paste of exactly 32", false, a(20), "paste", "漢字漢字漢字", a(20) + "漢字漢字漢字", 0);
    row("title: input method", false, a(28), "ime", "漢字", a(28) + "漢字", 0);
    row("title: input method emoji", false, "ab", "ime", "😀", "ab", 1);
    row("memo: 65th byte", true, a(63), "type", "bc", a(63) + 'b', 1);
    row("memo: line break is two bytes", true, a(63), "type", "\n", a(63), 1);
    row("memo: two lines fill 64", true, "", "type", a(31) + '\n' + a(31) + 'x', a(31) + '\n' + a(31), 1);
    row("memo: emoji", true, "memo", "type", "😀", "memo", 1);
    row("memo: pasted CR LF is two bytes", true, a(58), "paste", "b\r\nccdd", a(58), 1);
    row("memo: paste of exactly 64", true, a(58), "paste", "b\r\nccd", a(58) + "b\nccd", 0);
    row("memo: paste over a full selection", true, a(64), "paste all", QString(64, 'z'), QString(64, 'z'), 0);
    row("memo: input method too long", true, a(60), "ime", "漢字漢", a(60), 1);
    row("memo: input method", true, a(60), "ime", "漢字", a(60) + "漢字", 0);
}

void TestByteLimits::input()
{
    QFETCH(bool, memo);
    QFETCH(QString, start);
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(int, rejected);
    QLineEdit title;
    title.setValidator(new ByteLimitValidator(DetailRules::TitleMaxBytes, &title));
    ByteLimitedMemo memoEdit(DetailRules::MemoMaxBytes);
    QWidget *edit = memo ? static_cast<QWidget *>(&memoEdit) : &title;
    edit->show();
    edit->setFocus();
    title.setText(start);
    memoEdit.setPlainText(start);
    memoEdit.moveCursor(QTextCursor::End);
    if (how.endsWith(QLatin1String(" all"))) {
        title.selectAll();
        memoEdit.selectAll();
    }
    QSignalSpy spy(edit, SIGNAL(inputRejected()));
    if (how.startsWith(QLatin1String("type"))) {
        // QTest::keyClicks takes Latin-1 only: the characters ride on key events.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
            if (text.at(i) == QLatin1Char('\n')) {
                QTest::keyClick(edit, Qt::Key_Return);
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(edit, &press);
            i += n - 1;
        }
    } else if (how.startsWith(QLatin1String("paste"))) {
        QApplication::clipboard()->setText(text);
        memo ? memoEdit.paste() : title.paste();
    } else {
        QInputMethodEvent event(QString(), {});
        event.setCommitString(text);
        QApplication::sendEvent(edit, &event);
    }
    QCOMPARE(memo ? memoEdit.toPlainText() : title.text(), result);
    QCOMPARE(spy.count(), rejected);
}

QTEST_MAIN(TestByteLimits)
#include "tst_bytelimits.moc"
