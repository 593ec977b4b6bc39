#include "ui/controls/UpDown.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestUpDown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positionFollowsBuddyText_data();
    void positionFollowsBuddyText();
    void wrapsAtBothEnds_data();
    void wrapsAtBothEnds();
    void stopsAtEndsWithoutWrap();
    void arrowKeysInBuddyStep();
    void mouseSteps();
    void sitsAtBuddysRightEdge();
};

void TestUpDown::positionFollowsBuddyText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::newRow("in range") << QStringLiteral("42") << 42;
    QTest::newRow("spaces") << QStringLiteral(" 7 ") << 7;
    QTest::newRow("empty keeps previous") << QString() << 5;
    QTest::newRow("not a number keeps previous") << QStringLiteral("ab") << 5;
    QTest::newRow("above range keeps previous") << QStringLiteral("100") << 5;
    QTest::newRow("below range keeps previous") << QStringLiteral("-1") << 5;
}

void TestUpDown::positionFollowsBuddyText()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    TUpDown ud(&parent);
    ud.setRange(0, 99);
    ud.setAssociate(edit);
    ud.setPosition(5);
    QCOMPARE(edit->text(), QStringLiteral("5"));
    edit->setText(text);
    QCOMPARE(ud.position(), position);
}

void TestUpDown::wrapsAtBothEnds_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("99 up") << 0 << 99 << 99 << true << 0;
    QTest::newRow("0 down") << 0 << 99 << 0 << false << 99;
    QTest::newRow("-99 down") << -99 << 99 << -99 << false << 99;
    QTest::newRow("31 up") << 0 << 31 << 31 << true << 0;
    QTest::newRow("middle") << 0 << 31 << 10 << true << 11;
}

void TestUpDown::wrapsAtBothEnds()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(int, expected);
    QLineEdit edit;
    TUpDown ud;
    ud.setRange(min, max);
    ud.setWrap(true);
    ud.setAssociate(&edit);
    ud.setPosition(start);
    QSignalSpy clicked(&ud, &TUpDown::clicked);
    up ? ud.stepUp() : ud.stepDown();
    QCOMPARE(ud.position(), expected);
    QCOMPARE(edit.text(), QString::number(expected));
    QCOMPARE(clicked.count(), 1);
}

void TestUpDown::stopsAtEndsWithoutWrap()
{
    QLineEdit edit;
    TUpDown ud;
    ud.setRange(0, 3);
    ud.setAssociate(&edit);
    ud.setPosition(3);
    ud.stepUp();
    QCOMPARE(ud.position(), 3);
    ud.setPosition(-5);
    QCOMPARE(ud.position(), 0);
}

void TestUpDown::arrowKeysInBuddyStep()
{
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    auto *ud = new TUpDown(&parent);
    ud->setRange(0, 99);
    ud->setWrap(true);
    ud->setAssociate(edit);
    ud->setPosition(1);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("2"));
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->text(), QStringLiteral("99"));
}

void TestUpDown::mouseSteps()
{
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    edit->setGeometry(0, 0, 60, 21);
    auto *ud = new TUpDown(&parent);
    ud->setRange(0, 99);
    ud->setAssociate(edit);
    ud->setPosition(10);
    parent.show();
    QSignalSpy pressed(ud, &TUpDown::mousePressed);
    QSignalSpy released(ud, &TUpDown::mouseReleased);
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, 2));
    QCOMPARE(ud->position(), 11);
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, ud->height() - 2));
    QCOMPARE(ud->position(), 10);
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(released.count(), 2);
}

void TestUpDown::sitsAtBuddysRightEdge()
{
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    edit->setGeometry(10, 20, 60, 21);
    auto *ud = new TUpDown(&parent);
    ud->setAssociate(edit);
    QCOMPARE(edit->geometry().right() + 1, ud->geometry().left());
    QCOMPARE(ud->geometry().right(), 69);
    QCOMPARE(ud->geometry().top(), 20);
    QCOMPARE(ud->height(), 21);
}

QTEST_MAIN(TestUpDown)
#include "tst_updown.moc"
