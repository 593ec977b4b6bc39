#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RuputerCom.h"
#include "device/RuputerComDlg.h"
#include "device/RuputerComWidgets.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QLibrary>
#include <QPushButton>
#include <QtTest>

using Call = ScriptedRupLibrary::Call;
const QString Nego = QStringLiteral("ネゴシエーション");
const QString NoAnswer = QStringLiteral("Ruputerが時間内に応答しません");

// The transfer component against a scripted library and against an outside
// library loaded from the settings, and its error dialog.
class TestRuputerCom : public QObject
{
    Q_OBJECT

private:
    // Test environment, notifier, library and windows of one case.
    struct Rig
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        TRuputerCom com;
    };
    // `meaning` follows the code after a blank, when there is one.
    static QString report(
        bool sending, int code, const QString &port, const QString &phase, const QString &meaning = {})
    {
        return (sending ? QStringLiteral("Ruputerへの送信に失敗しました。(")
                        : QStringLiteral("Ruputerからの受信に失敗しました。("))
            + QString::number(code) + u')' + (meaning.isEmpty() ? QString() : u' ' + meaning)
            + QStringLiteral("\r\nPort = ") + port + QStringLiteral("\r\nSpeed = 19200\r\nPhase = ") + phase;
    }
    // A report that fits the dialog's designed size.
    static QString dialogReport() { return report(false, 42, QStringLiteral("ドッキングステーション，COM1"), Nego); }
    static QFunctionPointer fake(const char *name) { return QLibrary::resolve(QStringLiteral(FAKE_K660), name); }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    // Out-of-range writes are ignored; the defaults show through.
    void propertyWrites_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("speed 0") << QByteArray("Speed") << 0 << 4;
        QTest::newRow("speed 11") << QByteArray("Speed") << 11 << 4;
        QTest::newRow("dock -1") << QByteArray("DockPort") << -1 << 1;
        QTest::newRow("dock 11") << QByteArray("DockPort") << 11 << 1;
        QTest::newRow("dock 10") << QByteArray("DockPort") << 10 << 10;
        QTest::newRow("ir -1") << QByteArray("IrPort") << -1 << 2;
        QTest::newRow("ir 11") << QByteArray("IrPort") << 11 << 2;
    }
    void propertyWrites()
    {
        QFETCH(QByteArray, property);
        QFETCH(int, value);
        QFETCH(int, expected);
        TRuputerCom com;
        QVERIFY(com.setProperty(property.constData(), value));
        QCOMPARE(com.property(property.constData()).toInt(), expected);
    }

    void uploadCallsInOrder()
    {
        Rig rig;
        rig.com.setSpeed(3);
        QVERIFY(rig.com.Upload(QStringLiteral("/local/TIDEMARK.TMD"), QStringLiteral("TODO.TMD")));
        const quintptr h = rig.ui.handle;
        const QList<Call> expected {
            {QStringLiteral("u_nego"), h, 1, 5, 3, {}, {}},
            {QStringLiteral("u_upload"), h, 1, -1, 3, QStringLiteral("/local/TIDEMARK.TMD"),
                QStringLiteral("TODO.TMD")},
            {QStringLiteral("u_end"), h, 1, 5, 3, {}, {}},
        };
        QCOMPARE(rig.library.calls, expected);
        QCOMPARE(rig.notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Asterisk});
        QVERIFY(rig.ui.texts.isEmpty());
    }

    // The failing step's code and phase reach the report; a failed
    // negotiation makes no u_end call, and the clean-up's own code never
    // replaces the transfer's. `plan` lists function=code.
    void failure_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("meaning");
        const QString upload = QStringLiteral("アップロード");
        const QString download = QStringLiteral("ダウンロード");
        const QString end = QStringLiteral("終了処理");
        QTest::newRow("upload nego") << true << "u_nego=3" << 3 << Nego << NoAnswer;
        QTest::newRow("download nego") << false << "u_nego=-2" << -2 << Nego << QString();
        QTest::newRow("upload transfer") << true << "u_upload=6" << 6 << upload << "ローカルファイルを読めません";
        QTest::newRow("download transfer")
            << false << "u_download=5" << 5 << download
            << "Ruputerにそのファイルがありません（または名前がファイル名ではありません）";
        QTest::newRow("download checksum")
            << false << "u_download=8" << 8 << download << "チェックサムエラー：データが4回続けて壊れて届きました";
        QTest::newRow("upload end") << true << "u_end=3" << 3 << end << NoAnswer;
        QTest::newRow("download end")
            << false << "u_end=9" << 9 << end
            << "通信が途切れました（転送中の無応答、不正なデータ、ポートの故障、Ruputer側の中断）";
        QTest::newRow("transfer code survives clean-up")
            << true << "u_upload=7 u_end=99" << 7 << upload << "ローカルファイルに書き込めません";
        QTest::newRow("unknown code") << true << "u_upload=42" << 42 << upload << QString();
    }
    void failure()
    {
        QFETCH(bool, sending);
        QFETCH(QString, plan);
        QFETCH(int, code);
        QFETCH(QString, phase);
        QFETCH(QString, meaning);
        Rig rig;
        for (const QString &step : plan.split(u' '))
            rig.library.plan(step.section(u'=', 0, 0), {step.section(u'=', 1).toInt()});
        const QString local = rig.env.path(QStringLiteral("local.tmd"));
        QVERIFY(!(sending ? rig.com.Upload(local, QStringLiteral("TODO.TMD"))
                          : rig.com.Download(local, QStringLiteral("TODO.TMD"))));
        const QStringList all {"u_nego", sending ? "u_upload" : "u_download", "u_end"};
        QCOMPARE(rig.library.functions(), phase == Nego ? QStringList {"u_nego"} : all);
        QCOMPARE(rig.ui.texts,
            QStringList {report(sending, code, QStringLiteral("ドッキングステーション，COM1"), phase, meaning)});
        QCOMPARE(rig.notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Exclamation});
    }

    // Cancel in the progress window ends the operation: the link is ended,
    // and neither the retry dialog nor a warning follows.
    void cancelEndsWithoutDialog_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void cancelEndsWithoutDialog()
    {
        QFETCH(bool, sending);
        Rig rig;
        rig.library.plan(sending ? QStringLiteral("u_upload") : QStringLiteral("u_download"), {RupError::Cancelled});
        rig.ui.answers = {RupDlgResult::Retry};
        const QString local = rig.env.path(QStringLiteral("local.tmd"));
        QVERIFY(!(sending ? rig.com.Upload(local, QStringLiteral("TODO.TMD"))
                          : rig.com.Download(local, QStringLiteral("TODO.TMD"))));
        QCOMPARE(rig.ui.texts, QStringList());
        QCOMPARE(rig.library.functions(), (QStringList {"u_nego", sending ? "u_upload" : "u_download", "u_end"}));
        QCOMPARE(rig.notifier.count(Notifier::Sound::Exclamation), 0);
    }

    void retryUntilSuccess()
    {
        Rig rig;
        // many failures: the loop has no limit of its own
        rig.library.plan(QStringLiteral("u_nego"), QList<qint32>(25, 3));
        rig.ui.answers = QList<RupDlgResult>(25, RupDlgResult::Retry);
        QVERIFY(rig.com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.ui.texts.size(), 25);
        QCOMPARE(rig.library.ports(), QList<int>(25 + 3, 1));
        QCOMPARE(rig.notifier.count(Notifier::Sound::Exclamation), 25);
        QCOMPARE(rig.notifier.sounds.last(), Notifier::Sound::Asterisk);
    }

    void switchAlternatesLinkKind()
    {
        Rig rig;
        rig.library.plan(QStringLiteral("u_nego"), {3, 3, 3, 3});
        rig.ui.answers = {RupDlgResult::Yes, RupDlgResult::Yes, RupDlgResult::Yes, RupDlgResult::Cancel};
        rig.com.setIrPort(3);
        QVERIFY(!rig.com.Download(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.ports(), (QList<int> {1, 3, 1, 3}));
        QCOMPARE(rig.ui.texts[0], report(false, 3, QStringLiteral("ドッキングステーション，COM1"), Nego, NoAnswer));
        QCOMPARE(rig.ui.texts[1], report(false, 3, QStringLiteral("赤外線，COM3"), Nego, NoAnswer));
        QCOMPARE(rig.ui.texts[2], rig.ui.texts[0]);
        QCOMPARE(rig.com.DefaultPort(), rpDockPort);

        // the next operation starts from the default link again
        rig.library.calls.clear();
        QVERIFY(rig.com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.calls.first().port, 1);
    }

    // Switching is offered only when both links are set; an unset link
    // chosen as the default is still called, on port 0.
    void switchOffered_data()
    {
        QTest::addColumn<int>("dock");
        QTest::addColumn<int>("ir");
        QTest::addColumn<bool>("irDefault");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("port");
        QTest::newRow("both") << 1 << 2 << false << true << "ドッキングステーション，COM1";
        QTest::newRow("no dock") << 0 << 2 << false << false << "ドッキングステーション，COM0";
        QTest::newRow("no ir") << 1 << 0 << false << false << "ドッキングステーション，COM1";
        QTest::newRow("none") << 0 << 0 << false << false << "ドッキングステーション，COM0";
        QTest::newRow("no ir, ir default") << 1 << 0 << true << false << "赤外線，COM0";
    }
    void switchOffered()
    {
        QFETCH(int, dock);
        QFETCH(int, ir);
        QFETCH(bool, irDefault);
        QFETCH(bool, allowed);
        QFETCH(QString, port);
        Rig rig;
        rig.library.plan(QStringLiteral("u_nego"), {1});
        rig.com.setDockPort(dock);
        rig.com.setIrPort(ir);
        rig.com.setDefaultPort(irDefault ? rpIrPort : rpDockPort);
        QVERIFY(!rig.com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.ports(), QList<int> {irDefault ? ir : dock});
        QCOMPARE(rig.ui.texts,
            QStringList {
                report(true, 1, port, Nego, QStringLiteral("ポート番号が0です（接続方法が設定されていません）"))});
        QCOMPARE(rig.ui.switchAllowed, QList<bool> {allowed});
    }

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
        dlg.setMemoText(dialogReport());
        QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(dlg.size(), QSize(244, 131));
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

    // Keys answer the dialog too; its buttons are clicked in realWindows
    // here and in the serial link's progress test.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<RupDlgResult>("result");
        QTest::newRow("escape") << int(Qt::Key_Escape) << RupDlgResult::Cancel;
        QTest::newRow("enter") << int(Qt::Key_Return) << RupDlgResult::Retry;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(RupDlgResult, result);
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(dialogReport());
        QTimer::singleShot(0, &dlg, [&] { QTest::keyClick(dlg.focusWidget(), Qt::Key(key)); });
        QCOMPARE(dlg.exec(), int(result));
    }

    void longReportGrowsTheDialog()
    {
        PortSwitchAllowed = true;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(dialogReport() + QStringLiteral("\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6"));
        QVERIFY(dlg.RetryBtn->y() > dlg.Memo->geometry().bottom());
        QVERIFY(dlg.height() >= dlg.RetryBtn->geometry().bottom());
    }

    // A head line wider than the dialog widens it; the buttons stay centred.
    void wideReportWidensTheDialog_data()
    {
        QTest::addColumn<bool>("allowed");
        QTest::newRow("three buttons") << true;
        QTest::newRow("without switching") << false;
    }
    void wideReportWidensTheDialog()
    {
        QFETCH(bool, allowed);
        PortSwitchAllowed = allowed;
        TRuputerComDlgForm dlg;
        dlg.setMemoText(report(false, 9, QStringLiteral("ドッキングステーション，COM1"), QStringLiteral("ダウンロード"),
            QStringLiteral("通信が途切れました（転送中の無応答、不正なデータ、ポートの故障、Ruputer側の中断）")));
        QVERIFY(dlg.width() > 244);
        QVERIFY(dlg.Memo->geometry().right() < dlg.width());
        // the designed row, moved by half the added width
        const int shift = (dlg.width() - 244) / 2;
        QCOMPARE(dlg.RetryBtn->x(), (allowed ? 4 : 24) + shift);
        QCOMPARE(dlg.CancelBtn->x(), (allowed ? 163 : 143) + shift);
        if (const QString shots = qEnvironmentVariable("TIDEMARK_SHOTS"); !shots.isEmpty()) {
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            dlg.grab().save(shots + QStringLiteral("/tidemark-ruputercomdlg-wide%1.png").arg(allowed ? "" : "2"));
        }
    }

    // The real windows: the owner's handle reaches the library, and the
    // dialog's answers drive the loop.
    void realWindows()
    {
        Rig rig;
        InstallRuputerComWidgets();
        rig.library.plan(QStringLiteral("u_nego"), {3, 3});
        QWidget window;
        QObject holder(&window);
        TRuputerCom com(&holder);
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
        QVERIFY(com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(QStringLiteral("ドッキングステーション，COM1\n")));
        QVERIFY(shown[1].contains(QStringLiteral("赤外線，COM2\n")));
        QCOMPARE(rig.library.ports(), (QList<int> {1, 2, 2, 2, 2}));
        QCOMPARE(rig.library.calls.first().window, quintptr(window.winId()));

        rig.library.calls.clear();
        QVERIFY(rig.com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.calls.last().window, quintptr(0));
        RuputerComUi::install(nullptr);
    }

    // The library named in the settings gets C values and code page 932 names.
    void externalLibrary()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        ui.handle = 0x1234;
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("Library"), QStringLiteral(FAKE_K660));
        RupLibrary::install(nullptr);
        QCOMPARE(RupLibrary::description(), QStringLiteral(FAKE_K660));
        auto log = [] { return QByteArray(reinterpret_cast<const char *(*)()>(fake("fake_log"))()); };
        auto failNext = reinterpret_cast<void (*)(const char *, qint32)>(fake("fake_fail"));
        QVERIFY(failNext);

        TRuputerCom com;
        com.setDockPort(3);
        com.setSpeed(5);
        QVERIFY(com.Upload(QStringLiteral("/tmp/日程/a.tmd"), QStringLiteral("予定.TMD")));
        // The local path as the file system spells it (UTF-8), the device's
        // name in code page 932: "予定" is 97 5C 92 E8.
        QCOMPARE(log(),
            "u_nego 0x1234 3 5 5\nu_upload 0x1234 3 -1 5 /tmp/\xE6\x97\xA5\xE7\xA8\x8B/a.tmd \x97\x5C\x92\xE8.TMD\n"
            "u_end 0x1234 3 5 5\n");

        // an empty device name goes over as an empty string, and the failing
        // call's code reaches the report
        failNext("u_download", 42);
        QVERIFY(!com.Download(env.path(QStringLiteral("x")), QString()));
        QVERIFY(log().endsWith("u_end 0x1234 3 5 5\n"));
        QVERIFY(log().contains("u_download 0x1234 3 -1 5  /"));
        QCOMPARE(ui.texts.size(), 1);
        QVERIFY(ui.texts[0].startsWith(QStringLiteral("Ruputerからの受信に失敗しました。(42)\r\n")));
        failNext("", 0);
        RupLibrary::install(nullptr);
    }

    void unusableLibraryFallsBack()
    {
        TestEnvironment env;
        Settings().writeString(
            QStringLiteral("Ports"), QStringLiteral("Library"), env.path(QStringLiteral("libnothing.so")));
        RupLibrary::install(nullptr);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot use library")));
        QCOMPARE(RupLibrary::description(), QStringLiteral("built-in serial link"));
    }
};

QTEST_MAIN(TestRuputerCom)
#include "tst_ruputercom.moc"
