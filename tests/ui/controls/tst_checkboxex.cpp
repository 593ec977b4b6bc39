#include "ui/controls/CheckBoxEx.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestCheckBoxEx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsChecked();
    void linkTakesCurrentState();
    void userClickTogglesLinkedControl();
    void settingCheckedFromCode_data();
    void settingCheckedFromCode();
    void grayedLeavesLinkedControl();
    void linkedControlSeesOldStateInClick();
    void destroyedLinkIsDropped();
};

void TestCheckBoxEx::startsChecked()
{
    TCheckBoxEx box;
    QVERIFY(box.Checked());
    QCOMPARE(box.EnableControl(), nullptr);
}

void TestCheckBoxEx::linkTakesCurrentState()
{
    TCheckBoxEx box;
    QLineEdit field;
    box.setChecked(false);
    box.setEnableControl(&field);
    QVERIFY(!field.isEnabled());
}

void TestCheckBoxEx::userClickTogglesLinkedControl()
{
    QWidget window;
    auto *box = new TCheckBoxEx(QStringLiteral("開始日"), &window);
    auto *field = new QLineEdit(&window);
    box->setEnableControl(field);
    box->resize(100, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(field->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, 10));
    QVERIFY(!box->isChecked());
    QVERIFY(!field->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, 10));
    QVERIFY(box->isChecked());
    QVERIFY(field->isEnabled());
}

void TestCheckBoxEx::settingCheckedFromCode_data()
{
    QTest::addColumn<bool>("initial");
    QTest::addColumn<bool>("written");
    QTest::newRow("uncheck") << true << false;
    QTest::newRow("check") << false << true;
    QTest::newRow("same checked") << true << true;
    QTest::newRow("same unchecked") << false << false;
}

void TestCheckBoxEx::settingCheckedFromCode()
{
    QFETCH(bool, initial);
    QFETCH(bool, written);
    TCheckBoxEx box;
    QLineEdit field;
    box.setChecked(initial);
    box.setEnableControl(&field);
    field.setEnabled(!written); // out of line on purpose
    box.setChecked(written);
    QCOMPARE(field.isEnabled(), written);
}

void TestCheckBoxEx::grayedLeavesLinkedControl()
{
    TCheckBoxEx box;
    box.setTristate(true);
    QLineEdit field;
    box.setEnableControl(&field);
    QVERIFY(field.isEnabled());
    box.setCheckState(Qt::PartiallyChecked);
    QVERIFY(field.isEnabled());
    box.setCheckState(Qt::Unchecked);
    QVERIFY(!field.isEnabled());
    box.setCheckState(Qt::PartiallyChecked);
    QVERIFY(!field.isEnabled());
}

void TestCheckBoxEx::linkedControlSeesOldStateInClick()
{
    TCheckBoxEx box;
    QLineEdit field;
    box.setEnableControl(&field);
    QList<bool> seen;
    connect(&box, &TCheckBoxEx::Click, &box, [&] { seen << field.isEnabled(); });
    box.setChecked(false);
    QCOMPARE(seen, QList<bool> {true});
    QVERIFY(!field.isEnabled());
}

void TestCheckBoxEx::destroyedLinkIsDropped()
{
    TCheckBoxEx box;
    auto *field = new QLineEdit;
    box.setEnableControl(field);
    delete field;
    QCOMPARE(box.EnableControl(), nullptr);
    box.setChecked(false);
    box.setChecked(true);
    QVERIFY(box.isChecked());
}

QTEST_MAIN(TestCheckBoxEx)
#include "tst_checkboxex.moc"
