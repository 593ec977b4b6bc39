#include "ui/controls/EditEx.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class TestEditEx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void grouping_data();
    void grouping();
    void writingText_data();
    void writingText();
    void typingKeepsCaretAtEnd();
    void typingInTheMiddleKeepsDistanceFromEnd();
    void turningThousandsOnRegroups();
    void deletingRegroups();
    void alignment_data();
    void alignment();
    void enterReachesDefaultButton();
};

void TestEditEx::grouping_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("grouped");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("three") << "999"
                           << "999";
    QTest::newRow("four") << "9999"
                          << "9,999";
    QTest::newRow("seven") << "1234567"
                           << "1,234,567";
    QTest::newRow("six") << "123456"
                         << "123,456";
    QTest::newRow("regroup") << "12,34,5"
                             << "12,345";
    QTest::newRow("not only digits") << "abcdefg"
                                     << "a,bcd,efg";
    QTest::newRow("minus counts") << "-123"
                                  << "-,123";
}

void TestEditEx::grouping()
{
    QFETCH(QString, input);
    QFETCH(QString, grouped);
    QCOMPARE(TEditEx::GroupThousands(input), grouped);
}

void TestEditEx::writingText_data()
{
    QTest::addColumn<bool>("thousands");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("read");
    QTest::newRow("on") << true << "1000000"
                        << "1,000,000"
                        << "1000000";
    QTest::newRow("off") << false << "1000000"
                         << "1000000"
                         << "1000000";
    QTest::newRow("on 12345") << true << "12345"
                              << "12,345"
                              << "12345";
    QTest::newRow("off keeps commas") << false << "1,2"
                                      << "1,2"
                                      << "1,2";
}

void TestEditEx::writingText()
{
    QFETCH(bool, thousands);
    QFETCH(QString, written);
    QFETCH(QString, shown);
    QFETCH(QString, read);
    TEditEx edit;
    edit.setThousands(thousands);
    edit.setText(written);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(edit.Text(), read);
}

void TestEditEx::typingKeepsCaretAtEnd()
{
    TEditEx edit;
    edit.setThousands(true);
    edit.setText(QStringLiteral("999"));
    edit.setCursorPosition(3);
    QTest::keyClicks(&edit, QStringLiteral("9"));
    QCOMPARE(edit.text(), QStringLiteral("9,999"));
    QCOMPARE(edit.cursorPosition(), 5);
    QTest::keyClicks(&edit, QStringLiteral("99"));
    QCOMPARE(edit.text(), QStringLiteral("999,999"));
    QCOMPARE(edit.Text(), QStringLiteral("999999"));
    QCOMPARE(edit.cursorPosition(), 7);
}

void TestEditEx::typingInTheMiddleKeepsDistanceFromEnd()
{
    TEditEx edit;
    edit.setThousands(true);
    edit.setText(QStringLiteral("123456")); // 123,456
    edit.setCursorPosition(1); // after "1"
    QTest::keyClicks(&edit, QStringLiteral("0"));
    QCOMPARE(edit.text(), QStringLiteral("1,023,456"));
    // "23,456" stood after the caret before typing; it still does.
    QCOMPARE(edit.cursorPosition(), 3);
}

void TestEditEx::turningThousandsOnRegroups()
{
    TEditEx edit;
    edit.setText(QStringLiteral("12345"));
    QCOMPARE(edit.text(), QStringLiteral("12345"));
    edit.setThousands(true);
    QCOMPARE(edit.text(), QStringLiteral("12,345"));
    QCOMPARE(edit.Text(), QStringLiteral("12345"));
}

void TestEditEx::deletingRegroups()
{
    TEditEx edit;
    edit.setThousands(true);
    edit.setText(QStringLiteral("1234")); // 1,234
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("123"));
    QCOMPARE(edit.cursorPosition(), 3);
}

void TestEditEx::alignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("horizontal");
    QTest::newRow("left") << int(TEditEx::taLeftJustify) << int(Qt::AlignLeft);
    QTest::newRow("right") << int(TEditEx::taRightJustify) << int(Qt::AlignRight);
    QTest::newRow("centre") << int(TEditEx::taCenter) << int(Qt::AlignHCenter);
}

void TestEditEx::alignment()
{
    QFETCH(int, alignment);
    QFETCH(int, horizontal);
    TEditEx edit;
    QCOMPARE(edit.Alignment(), TEditEx::taLeftJustify);
    edit.setAlignment(TEditEx::TAlignment(alignment));
    QCOMPARE(edit.Alignment(), TEditEx::TAlignment(alignment));
    QCOMPARE(int(edit.QLineEdit::alignment() & Qt::AlignHorizontal_Mask), horizontal);
}

void TestEditEx::enterReachesDefaultButton()
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new TEditEx(&dialog);
    edit->setThousands(true);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(edit);
    layout->addWidget(ok);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus();
    edit->setText(QStringLiteral("1234"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(edit->text(), QStringLiteral("1,234"));
}

QTEST_MAIN(TestEditEx)
#include "tst_editex.moc"
