#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RuputerCom.h"
#include "device/RuputerComDlg.h"
#include "device/RuputerComWidgets.h"
#include "ui/controls/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The transfer error dialog, alone and driving the retry loop, and the
// owner's window handle.
class TestRuputerComDlg : public QObject
{
    Q_OBJECT

private:
    static const QString report;

private Q_SLOTS:
    void initTestCase()
    {
        InstallFontSubstitutes();
        InstallRuputerComWidgets();
    }
    void cleanupTestCase() { RuputerComUi::install(nullptr); }

    void layout_data()
    {
        QTest::addColumn<bool>("allowed");
        QTest::newRow("three buttons") << true;
        QTest::newRow("without switching") << false;
    }
    void layout()
    {
        QFETCH(bool, allowed);
        PortSwitchAllowed = allowed;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("エラーが発生しました"));
        QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(dlg.size(), QSize(244, 131));
        QCOMPARE(dlg.RetryBtn->text(), QStringLiteral("再試行(&R)"));
        QCOMPARE(dlg.YesBtn->text(), QStringLiteral("切り替え(&C)"));
        QCOMPARE(dlg.CancelBtn->text(), QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(dlg.YesBtn->toolTip(), QStringLiteral("転送するポートを切り替えて再試行"));
        QCOMPARE(dlg.RetryBtn->geometry(), QRect(allowed ? 4 : 24, 100, 75, 25));
        QCOMPARE(dlg.YesBtn->isHidden(), !allowed);
        QCOMPARE(dlg.CancelBtn->geometry(), QRect(allowed ? 163 : 143, 100, 75, 25));
        if (allowed) {
            QCOMPARE(dlg.YesBtn->geometry(), QRect(84, 100, 75, 25));
            QCOMPARE(dlg.RetryBtn->nextInFocusChain(), dlg.YesBtn);
            QCOMPARE(dlg.YesBtn->nextInFocusChain(), dlg.CancelBtn);
        }
        QVERIFY(dlg.RetryBtn->isDefault());
        QCOMPARE(dlg.Memo->pos(), QPoint(4, 4));
        QCOMPARE(dlg.Memo->text().split(u'\n').size(), 4);
        QVERIFY(dlg.Memo->geometry().bottom() < 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (const QString shots = qEnvironmentVariable("TIDEMARK_SHOTS"); !shots.isEmpty())
            dlg.grab().save(shots + QStringLiteral("/tidemark-ruputercomdlg%1.png").arg(allowed ? "" : "2"));
    }

    void results_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<RupDlgResult>("result");
        QTest::newRow("retry") << "RetryBtn" << RupDlgResult::Retry;
        QTest::newRow("switch") << "YesBtn" << RupDlgResult::Yes;
        QTest::newRow("cancel") << "CancelBtn" << RupDlgResult::Cancel;
        QTest::newRow("escape") << "" << RupDlgResult::Cancel;
        QTest::newRow("enter") << "enter" << RupDlgResult::Retry;
    }
    void results()
    {
        QFETCH(QString, button);
        QFETCH(RupDlgResult, result);
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
        QCOMPARE(dlg.exec(), int(result));
    }

    void longReportGrowsTheDialog()
    {
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report + QStringLiteral("\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6"));
        QVERIFY(dlg.RetryBtn->y() > dlg.Memo->geometry().bottom());
        QVERIFY(dlg.height() >= dlg.RetryBtn->geometry().bottom());
    }

    void ownerWindowHandle()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        QWidget window;
        QObject holder(&window);
        TRuputerCom com(&holder);
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.first().window, quintptr(window.winId()));

        TRuputerCom loose;
        QVERIFY(loose.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.last().window, quintptr(0));
    }

    void errorDialogDrivesTheLoop()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        library.plan(QStringLiteral("u_nego"), {3, 3});
        QWidget window;
        TRuputerCom com(&window);
        QStringList shown;
        QStringList clicks {"YesBtn", "RetryBtn"};
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *dlg = qobject_cast<TRuputerComDlgForm *>(w); dlg && dlg->isVisible()) {
                    shown << dlg->findChild<QLabel *>(QStringLiteral("Memo"))->text();
                    QVERIFY(dlg->YesBtn->isVisible());
                    QTest::mouseClick(dlg->findChild<QPushButton *>(clicks.takeFirst()), Qt::LeftButton);
                }
            }
        });
        poll.start(10);
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(QStringLiteral("ドッキングステーション，COM1\n")));
        QVERIFY(shown[1].contains(QStringLiteral("赤外線，COM2\n")));
        QCOMPARE(library.ports(), (QList<int> {1, 2, 2, 2, 2}));
    }
};

const QString TestRuputerComDlg::report = QStringLiteral(
    "Ruputerからの受信に失敗しました。(3)\r\nPort = ドッキングステーション，COM1\r\nSpeed = 19200\r\nPhase = "
    "ネゴシエーション");

QTEST_MAIN(TestRuputerComDlg)
#include "tst_ruputercomdlg.moc"
