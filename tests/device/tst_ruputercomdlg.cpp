#include "TestEnvironment.h"
#include "device/RuputerCom.h"
#include "device/RuputerComDlg.h"
#include "ui/controls/Fonts.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestRuputerComDlg : public QObject
{
    Q_OBJECT

private:
    static const QString report;

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    void threeButtons()
    {
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("エラーが発生しました"));
        QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(dlg.size(), QSize(244, 131));
        auto *retry = dlg.findChild<QPushButton *>(QStringLiteral("RetryBtn"));
        auto *yes = dlg.findChild<QPushButton *>(QStringLiteral("YesBtn"));
        auto *cancel = dlg.findChild<QPushButton *>(QStringLiteral("CancelBtn"));
        QVERIFY(retry && yes && cancel);
        QCOMPARE(retry->text(), QStringLiteral("再試行(&R)"));
        QCOMPARE(yes->text(), QStringLiteral("切り替え(&C)"));
        QCOMPARE(cancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(retry->geometry(), QRect(4, 100, 75, 25));
        QCOMPARE(yes->geometry(), QRect(84, 100, 75, 25));
        QCOMPARE(cancel->geometry(), QRect(163, 100, 75, 25));
        QCOMPARE(yes->toolTip(), QStringLiteral("転送するポートを切り替えて再試行"));
        QVERIFY(retry->isDefault());
        QVERIFY(!yes->isHidden());
        QCOMPARE(retry->nextInFocusChain(), yes);
        QCOMPARE(yes->nextInFocusChain(), cancel);

        auto *memo = dlg.findChild<QLabel *>(QStringLiteral("Memo"));
        QCOMPARE(memo->pos(), QPoint(4, 4));
        QCOMPARE(memo->text().split(u'\n').size(), 4);
        QVERIFY(memo->geometry().bottom() < 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (const QString shots = qEnvironmentVariable("TIDEMARK_SHOTS"); !shots.isEmpty())
            dlg.grab().save(shots + QStringLiteral("/tidemark-ruputercomdlg.png"));
    }

    void twoButtonsWithoutSwitching()
    {
        PortSwitchAllowed = false;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report);
        auto *retry = dlg.findChild<QPushButton *>(QStringLiteral("RetryBtn"));
        auto *yes = dlg.findChild<QPushButton *>(QStringLiteral("YesBtn"));
        auto *cancel = dlg.findChild<QPushButton *>(QStringLiteral("CancelBtn"));
        QVERIFY(yes->isHidden());
        QCOMPARE(retry->geometry(), QRect(24, 100, 75, 25));
        QCOMPARE(cancel->geometry(), QRect(143, 100, 75, 25));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (const QString shots = qEnvironmentVariable("TIDEMARK_SHOTS"); !shots.isEmpty())
            dlg.grab().save(shots + QStringLiteral("/tidemark-ruputercomdlg2.png"));
    }

    void results_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("retry") << "RetryBtn" << int(RupDlgResult::Retry);
        QTest::newRow("switch") << "YesBtn" << int(RupDlgResult::Yes);
        QTest::newRow("cancel") << "CancelBtn" << int(RupDlgResult::Cancel);
        QTest::newRow("escape") << "" << int(RupDlgResult::Cancel);
        QTest::newRow("enter") << "enter" << int(RupDlgResult::Retry);
    }
    void results()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report);
        QTimer::singleShot(0, &dlg, [&] {
            if (button.isEmpty())
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else if (button == u"enter")
                QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
            else
                QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), result);
    }

    void longReportGrowsTheDialog()
    {
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report + QStringLiteral("\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6"));
        auto *memo = dlg.findChild<QLabel *>(QStringLiteral("Memo"));
        auto *retry = dlg.findChild<QPushButton *>(QStringLiteral("RetryBtn"));
        QVERIFY(retry->y() > memo->geometry().bottom());
        QVERIFY(dlg.height() >= retry->geometry().bottom());
    }
};

const QString TestRuputerComDlg::report = QStringLiteral(
    "Ruputerからの受信に失敗しました。(3)\r\nPort = ドッキングステーション，COM1\r\nSpeed = 19200\r\nPhase = "
    "ネゴシエーション");

QTEST_MAIN(TestRuputerComDlg)
#include "tst_ruputercomdlg.moc"
