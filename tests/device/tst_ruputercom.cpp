#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RuputerCom.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QLibrary>
#include <QtTest>

using Call = ScriptedRupLibrary::Call;

// The transfer component against a scripted library, and against an outside
// library loaded from the settings.
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
    static QString report(bool sending, int code, const QString &port, const QString &phase)
    {
        return (sending ? QStringLiteral("Ruputerへの送信に失敗しました。(")
                        : QStringLiteral("Ruputerからの受信に失敗しました。("))
            + QString::number(code) + QStringLiteral(")\r\nPort = ") + port
            + QStringLiteral("\r\nSpeed = 19200\r\nPhase = ") + phase;
    }
    static QFunctionPointer fake(const char *name) { return QLibrary::resolve(QStringLiteral(FAKE_K660), name); }

private Q_SLOTS:
    void speeds()
    {
        TRuputerCom com;
        QCOMPARE(com.property("Speedbps").toString(), QStringLiteral("19200"));
        const QStringList bps {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200", "600", "300"};
        for (int code = 1; code <= 10; ++code) {
            com.setSpeed(code);
            QCOMPARE(com.Speedbps(), bps[code - 1]);
            QCOMPARE(SpeedToBaud(code), bps[code - 1].toInt());
        }
    }

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
        QTest::newRow("dock 0") << QByteArray("DockPort") << 0 << 0;
        QTest::newRow("dock 10") << QByteArray("DockPort") << 10 << 10;
        QTest::newRow("ir -1") << QByteArray("IrPort") << -1 << 2;
        QTest::newRow("ir 11") << QByteArray("IrPort") << 11 << 2;
        QTest::newRow("ir 0") << QByteArray("IrPort") << 0 << 0;
        QTest::newRow("default ir") << QByteArray("DefaultPort") << 1 << 1;
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

    // A download is received beside the local copy and replaces it only on
    // success; a failed one leaves the good copy and no fragment.
    void downloadReplacesLocalCopy_data()
    {
        QTest::addColumn<qint32>("code");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("success") << 0 << QByteArray("device bytes");
        QTest::newRow("failure") << 9 << QByteArray("good copy");
    }
    void downloadReplacesLocalCopy()
    {
        QFETCH(qint32, code);
        QFETCH(QByteArray, after);
        Rig rig;
        rig.library.plan(QStringLiteral("u_download"), {code});
        rig.com.setDockPort(7);
        const QString local = rig.env.path(QStringLiteral("TODO.TMD"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("good copy") == 9);
        file.close();
        QCOMPARE(rig.com.Download(local, QStringLiteral("TODO.TMD")), code == 0);
        QCOMPARE(rig.library.functions(), (QStringList {"u_nego", "u_download", "u_end"}));
        const Call &transfer = rig.library.calls[1];
        QCOMPARE(transfer.port, 7);
        QCOMPARE(transfer.timeout, -1);
        QCOMPARE(transfer.first, QStringLiteral("TODO.TMD")); // source first
        QCOMPARE(QFileInfo(transfer.second).absolutePath(), QFileInfo(local).absolutePath());
        QVERIFY(transfer.second != local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
        QCOMPARE(QDir(rig.env.path({})).entryList({"TODO.TMD*"}, QDir::Files), QStringList {"TODO.TMD"});
    }

    // The failing step's code and phase reach the report; a failed
    // negotiation makes no u_end call, and the clean-up's own code never
    // replaces the transfer's.
    void failure_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QList<qint32>>("codes");
        QTest::addColumn<QStringList>("functions");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        const QString nego = QStringLiteral("ネゴシエーション");
        const QString transfer = QStringLiteral("アップロード");
        const QString end = QStringLiteral("終了処理");
        const QStringList all {"u_nego", "u_upload", "u_end"};
        const QStringList allDown {"u_nego", "u_download", "u_end"};
        QTest::newRow("upload nego") << true << QStringList {"u_nego"} << QList<qint32> {3} << QStringList {"u_nego"}
                                     << 3 << nego;
        QTest::newRow("download nego") << false << QStringList {"u_nego"} << QList<qint32> {-2}
                                       << QStringList {"u_nego"} << -2 << nego;
        QTest::newRow("upload transfer") << true << QStringList {"u_upload"} << QList<qint32> {6} << all << 6
                                         << transfer;
        QTest::newRow("download transfer")
            << false << QStringList {"u_download"} << QList<qint32> {5} << allDown << 5 << transfer;
        QTest::newRow("upload end") << true << QStringList {"u_end"} << QList<qint32> {3} << all << 3 << end;
        QTest::newRow("download end") << false << QStringList {"u_end"} << QList<qint32> {9} << allDown << 9 << end;
        QTest::newRow("transfer code survives clean-up")
            << true << QStringList {"u_upload", "u_end"} << QList<qint32> {7, 99} << all << 7 << transfer;
    }
    void failure()
    {
        QFETCH(bool, sending);
        QFETCH(QStringList, failing);
        QFETCH(QList<qint32>, codes);
        QFETCH(QStringList, functions);
        QFETCH(int, code);
        QFETCH(QString, phase);
        Rig rig;
        for (int i = 0; i < failing.size(); ++i)
            rig.library.plan(failing[i], {codes[i]});
        const QString local = rig.env.path(QStringLiteral("local.tmd"));
        QVERIFY(!(sending ? rig.com.Upload(local, QStringLiteral("TODO.TMD"))
                          : rig.com.Download(local, QStringLiteral("TODO.TMD"))));
        QCOMPARE(rig.library.functions(), functions);
        QCOMPARE(
            rig.ui.texts, QStringList {report(sending, code, QStringLiteral("ドッキングステーション，COM1"), phase)});
        QCOMPARE(rig.notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Exclamation});
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
        QCOMPARE(rig.ui.texts[0], report(false, 3, QStringLiteral("ドッキングステーション，COM1"), "ネゴシエーション"));
        QCOMPARE(rig.ui.texts[1], report(false, 3, QStringLiteral("赤外線，COM3"), "ネゴシエーション"));
        QCOMPARE(rig.ui.texts[2], rig.ui.texts[0]);
        QCOMPARE(rig.com.DefaultPort(), rpDockPort);

        // the next operation starts from the default link again
        rig.library.calls.clear();
        QVERIFY(rig.com.Upload(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.calls.first().port, 1);
    }

    void switchSucceedsOnOtherLink()
    {
        Rig rig;
        rig.library.plan(QStringLiteral("u_download"), {9});
        rig.ui.answers = {RupDlgResult::Yes};
        rig.com.setDefaultPort(rpIrPort);
        QVERIFY(rig.com.Download(rig.env.path("a"), QStringLiteral("A")));
        QCOMPARE(rig.library.ports(), (QList<int> {2, 2, 2, 1, 1, 1}));
        QCOMPARE(rig.com.DefaultPort(), rpIrPort);
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
        QCOMPARE(rig.ui.texts, QStringList {report(true, 1, port, QStringLiteral("ネゴシエーション"))});
        QCOMPARE(rig.ui.switchAllowed, QList<bool> {allowed});
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
        auto log = [] { return QString::fromLatin1(reinterpret_cast<const char *(*)()>(fake("fake_log"))()); };
        auto failNext = reinterpret_cast<void (*)(const char *, qint32)>(fake("fake_fail"));
        QVERIFY(failNext);

        TRuputerCom com;
        com.setDockPort(3);
        com.setSpeed(5);
        QVERIFY(com.Upload(QStringLiteral("/tmp/a.tmd"), QStringLiteral("予定.TMD")));
        // "予定" is 97 5C 92 E8 in code page 932
        QCOMPARE(log(),
            QStringLiteral("u_nego 0x1234 3 5 5\n"
                           "u_upload 0x1234 3 -1 5 2F746D702F612E746D64 975C92E82E544D44\n"
                           "u_end 0x1234 3 5 5\n"));

        // an empty device name goes over as an empty string, and the failing
        // call's code reaches the report
        failNext("u_download", 42);
        QVERIFY(!com.Download(env.path(QStringLiteral("x")), QString()));
        QVERIFY(log().endsWith(QStringLiteral("u_end 0x1234 3 5 5\n")));
        QVERIFY(log().contains(QStringLiteral("u_download 0x1234 3 -1 5  ")));
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

QTEST_GUILESS_MAIN(TestRuputerCom)
#include "tst_ruputercom.moc"
