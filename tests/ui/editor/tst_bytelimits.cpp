#include "ui/editor/ByteLimitValidator.h"
#include "ui/editor/ByteLimitedMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

// The title and memo fields refuse input that passes their byte limit in
// code page 932, or that code page 932 cannot hold, whole and with a signal;
// nothing is ever cut.
class TestByteLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titleTyping_data();
    void titleTyping();
    void titlePasteRefusedWhole();
    void titleInputMethod();
    void titleReplacingSelection();
    void memoTyping_data();
    void memoTyping();
    void memoPaste();
    void memoInputMethod();

private:
    // QTest::keyClicks takes Latin-1 only: Japanese text is typed as key
    // events carrying the characters.
    static void type(QWidget *w, const QString &text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(w, &release);
            i += n - 1;
        }
    }
    static void commit(QWidget *w, const QString &text)
    {
        QInputMethodEvent event(QString(), {});
        event.setCommitString(text);
        QApplication::sendEvent(w, &event);
    }
};

void TestByteLimits::titleTyping_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("rejected");
    const QString a32(32, QLatin1Char('a'));
    const QString kanji16(16, QChar(0x6F22));
    QTest::newRow("33rd byte") << QString(31, QLatin1Char('a')) << QStringLiteral("bc") << a32.left(31) + 'b' << 1;
    QTest::newRow("after 16 kanji") << kanji16 << QStringLiteral("x") << kanji16 << 1;
    QTest::newRow("kanji on byte 32") << QString(31, QLatin1Char('a')) << QStringLiteral("漢") << a32.left(31) << 1;
    QTest::newRow("half-width kana fill 32") << QString(30, QLatin1Char('a')) << QStringLiteral("ｱｲｳ")
                                             << QString(30, QLatin1Char('a')) + QStringLiteral("ｱｲ") << 1;
    QTest::newRow("hangul") << QStringLiteral("ab") << QStringLiteral("한") << QStringLiteral("ab") << 1;
}

void TestByteLimits::titleTyping()
{
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(int, rejected);
    QLineEdit edit;
    edit.setValidator(new ByteLimitValidator(32, &edit));
    edit.setText(start);
    QSignalSpy spy(&edit, &QLineEdit::inputRejected);
    type(&edit, typed);
    QCOMPARE(edit.text(), result);
    QCOMPARE(spy.count(), rejected);
}

void TestByteLimits::titlePasteRefusedWhole()
{
    QLineEdit edit;
    edit.setValidator(new ByteLimitValidator(32, &edit));
    edit.setText(QString(20, QLatin1Char('a')));
    QSignalSpy spy(&edit, &QLineEdit::inputRejected);
    QApplication::clipboard()->setText(QStringLiteral("漢字漢字漢字漢字")); // 16 bytes: 36 in all
    edit.paste();
    QCOMPARE(edit.text(), QString(20, QLatin1Char('a')));
    QCOMPARE(spy.count(), 1);
    QApplication::clipboard()->setText(QStringLiteral("漢字漢字漢字")); // 12 bytes: exactly 32
    edit.paste();
    QCOMPARE(edit.text(), QString(20, QLatin1Char('a')) + QStringLiteral("漢字漢字漢字"));
}

void TestByteLimits::titleInputMethod()
{
    QLineEdit edit;
    edit.setValidator(new ByteLimitValidator(32, &edit));
    edit.show();
    edit.setFocus();
    edit.setText(QString(28, QLatin1Char('a')));
    commit(&edit, QStringLiteral("漢字"));
    QCOMPARE(edit.text(), QString(28, QLatin1Char('a')) + QStringLiteral("漢字"));
    commit(&edit, QStringLiteral("😀"));
    QCOMPARE(edit.text(), QString(28, QLatin1Char('a')) + QStringLiteral("漢字"));
    edit.setText(QStringLiteral("ab"));
    commit(&edit, QStringLiteral("😀"));
    QCOMPARE(edit.text(), QStringLiteral("ab"));
}

void TestByteLimits::titleReplacingSelection()
{
    QLineEdit edit;
    edit.setValidator(new ByteLimitValidator(32, &edit));
    edit.setText(QString(32, QLatin1Char('a')));
    edit.selectAll();
    type(&edit, QStringLiteral("漢字"));
    QCOMPARE(edit.text(), QStringLiteral("漢字"));
}

void TestByteLimits::memoTyping_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed"); // "\n" is the Enter key
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("rejected");
    const QString a31(31, QLatin1Char('a'));
    QTest::newRow("65th byte") << QString(63, QLatin1Char('a')) << QStringLiteral("bc")
                               << QString(63, QLatin1Char('a')) + 'b' << 1;
    QTest::newRow("line break is two bytes")
        << QString(63, QLatin1Char('a')) << QStringLiteral("\n") << QString(63, QLatin1Char('a')) << 1;
    QTest::newRow("two lines fill 64") << QString() << a31 + '\n' + a31 + 'x' << a31 + '\n' + a31 << 1;
    QTest::newRow("kanji on byte 64") << QString(63, QLatin1Char('a')) << QStringLiteral("漢")
                                      << QString(63, QLatin1Char('a')) << 1;
    QTest::newRow("emoji") << QStringLiteral("memo") << QStringLiteral("😀") << QStringLiteral("memo") << 1;
}

void TestByteLimits::memoTyping()
{
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(int, rejected);
    ByteLimitedMemo memo(64);
    memo.setPlainText(start);
    memo.moveCursor(QTextCursor::End);
    QSignalSpy spy(&memo, &ByteLimitedMemo::inputRejected);
    const QStringList lines = typed.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(&memo, Qt::Key_Return);
        type(&memo, lines[i]);
    }
    QCOMPARE(memo.toPlainText(), result);
    QCOMPARE(spy.count(), rejected);
}

void TestByteLimits::memoPaste()
{
    ByteLimitedMemo memo(64);
    memo.setPlainText(QString(58, QLatin1Char('a')));
    memo.moveCursor(QTextCursor::End);
    QSignalSpy spy(&memo, &ByteLimitedMemo::inputRejected);
    // CR LF pasted counts two bytes: 58 + 1 + 2 + 4 = 65.
    QApplication::clipboard()->setText(QStringLiteral("b\r\nccdd"));
    memo.paste();
    QCOMPARE(memo.toPlainText(), QString(58, QLatin1Char('a')));
    QCOMPARE(spy.count(), 1);
    QApplication::clipboard()->setText(QStringLiteral("b\r\nccd"));
    memo.paste();
    QCOMPARE(memo.toPlainText(), QString(58, QLatin1Char('a')) + QStringLiteral("b\nccd"));
    // Replacing a selection counts only what remains.
    memo.selectAll();
    QApplication::clipboard()->setText(QString(64, QLatin1Char('z')));
    memo.paste();
    QCOMPARE(memo.toPlainText(), QString(64, QLatin1Char('z')));
}

void TestByteLimits::memoInputMethod()
{
    ByteLimitedMemo memo(64);
    memo.show();
    memo.setFocus();
    memo.setPlainText(QString(60, QLatin1Char('a')));
    memo.moveCursor(QTextCursor::End);
    QSignalSpy spy(&memo, &ByteLimitedMemo::inputRejected);
    commit(&memo, QStringLiteral("漢字漢"));
    QCOMPARE(memo.toPlainText(), QString(60, QLatin1Char('a')));
    QCOMPARE(spy.count(), 1);
    commit(&memo, QStringLiteral("漢字"));
    QCOMPARE(memo.toPlainText(), QString(60, QLatin1Char('a')) + QStringLiteral("漢字"));
}

QTEST_MAIN(TestByteLimits)
#include "tst_bytelimits.moc"
