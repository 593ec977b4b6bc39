#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RuputerCom.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using Direction = TRuputerCom::Direction;
using Call = ScriptedRupLibrary::Call;

class TestRuputerCom : public QObject
{
    Q_OBJECT

private:
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private Q_SLOTS:
    void defaults()
    {
        TRuputerCom com;
        QCOMPARE(com.DockPort(), 1);
        QCOMPARE(com.IrPort(), 2);
        QCOMPARE(com.DefaultPort(), rpDockPort);
        QCOMPARE(com.Speed(), 4);
        QCOMPARE(com.Speedbps(), QStringLiteral("19200"));
        QCOMPARE(com.property("Speedbps").toString(), QStringLiteral("19200"));
    }

    void speedTable_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const char *texts[] = {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200", "600", "300"};
        for (int code = 1; code <= 10; ++code)
            QTest::addRow("%d", code) << code << QString::fromLatin1(texts[code - 1]);
    }
    void speedTable()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        TRuputerCom com;
        com.setSpeed(code);
        QCOMPARE(com.Speed(), code);
        QCOMPARE(com.Speedbps(), text);
        QCOMPARE(SpeedToBaud(code), text.toInt());
    }

    void propertyWrites_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("speed 0") << QByteArray("Speed") << 0 << 4;
        QTest::newRow("speed 11") << QByteArray("Speed") << 11 << 4;
        QTest::newRow("speed 1") << QByteArray("Speed") << 1 << 1;
        QTest::newRow("speed 10") << QByteArray("Speed") << 10 << 10;
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
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        QObject owner;
        TRuputerCom com(&owner);
        com.setSpeed(3);
        QVERIFY(com.Upload(QStringLiteral("/local/TIDEMARK.TMD"), QStringLiteral("TODO.TMD")));
        const quintptr h = ui.handle;
        const QList<Call> expected {
            {QStringLiteral("u_nego"), h, 1, 5, 3, {}, {}},
            {QStringLiteral("u_upload"), h, 1, -1, 3, QStringLiteral("/local/TIDEMARK.TMD"),
                QStringLiteral("TODO.TMD")},
            {QStringLiteral("u_end"), h, 1, 5, 3, {}, {}},
        };
        QCOMPARE(library.calls, expected);
        QCOMPARE(notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Asterisk});
        QVERIFY(ui.texts.isEmpty());
        QVERIFY(ui.owners.contains(&owner));
    }

    void downloadReplacesLocalCopyOnSuccess()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        TRuputerCom com;
        com.setDockPort(7);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        write(local, "old copy");
        QVERIFY(com.Download(local, QStringLiteral("TODO.TMD")));
        QCOMPARE(library.functions(), (QStringList {"u_nego", "u_download", "u_end"}));
        const Call &transfer = library.calls[1];
        QCOMPARE(transfer.port, 7);
        QCOMPARE(transfer.timeout, -1);
        QCOMPARE(transfer.first, QStringLiteral("TODO.TMD")); // source first
        // received beside the local copy, then moved over it
        QCOMPARE(QFileInfo(transfer.second).absolutePath(), QFileInfo(local).absolutePath());
        QVERIFY(transfer.second != local);
        QCOMPARE(readAll(local), QByteArray("device bytes"));
        QCOMPARE(QDir(env.path({})).entryList({"TODO.TMD*"}, QDir::Files), QStringList {"TODO.TMD"});
    }

    void failedDownloadKeepsGoodCopy()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_download"), {9});
        TRuputerCom com;
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        write(local, "good copy");
        QVERIFY(!com.Download(local, QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(local), QByteArray("good copy"));
        QVERIFY(!QFile::exists(library.calls[1].second));
    }

    void failure_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QList<qint32>>("codes");
        QTest::addColumn<QStringList>("functions");
        QTest::addColumn<QString>("text");
        const QString send = QStringLiteral("Ruputerへの送信に失敗しました。");
        const QString receive = QStringLiteral("Ruputerからの受信に失敗しました。");
        const QString port = QStringLiteral("\r\nPort = ドッキングステーション，COM1\r\nSpeed = 19200\r\nPhase = ");
        QTest::newRow("upload nego") << true << "u_nego" << QList<qint32> {3} << QStringList {"u_nego"}
                                     << send + "(3)" + port + QStringLiteral("ネゴシエーション");
        QTest::newRow("download nego") << false << "u_nego" << QList<qint32> {-2} << QStringList {"u_nego"}
                                       << receive + "(-2)" + port + QStringLiteral("ネゴシエーション");
        QTest::newRow("upload transfer") << true << "u_upload" << QList<qint32> {6}
                                         << QStringList {"u_nego", "u_upload", "u_end"}
                                         << send + "(6)" + port + QStringLiteral("アップロード");
        QTest::newRow("download transfer")
            << false << "u_download" << QList<qint32> {5} << QStringList {"u_nego", "u_download", "u_end"}
            << receive + "(5)" + port + QStringLiteral("アップロード");
        QTest::newRow("upload end") << true << "u_end" << QList<qint32> {3}
                                    << QStringList {"u_nego", "u_upload", "u_end"}
                                    << send + "(3)" + port + QStringLiteral("終了処理");
        QTest::newRow("download end") << false << "u_end" << QList<qint32> {9}
                                      << QStringList {"u_nego", "u_download", "u_end"}
                                      << receive + "(9)" + port + QStringLiteral("終了処理");
    }
    void failure()
    {
        QFETCH(bool, sending);
        QFETCH(QString, failing);
        QFETCH(QList<qint32>, codes);
        QFETCH(QStringList, functions);
        QFETCH(QString, text);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(failing, codes);
        TRuputerCom com;
        const QString local = env.path(QStringLiteral("local.tmd"));
        const bool ok
            = sending ? com.Upload(local, QStringLiteral("TODO.TMD")) : com.Download(local, QStringLiteral("TODO.TMD"));
        QVERIFY(!ok);
        QCOMPARE(library.functions(), functions);
        QCOMPARE(ui.texts, QStringList {text});
        QCOMPARE(notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Exclamation});
    }

    void transferCodeSurvivesCleanUp()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_upload"), {7});
        library.plan(QStringLiteral("u_end"), {99});
        TRuputerCom com;
        QVERIFY(!com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(ui.texts.size(), 1);
        QVERIFY(ui.texts[0].startsWith(QStringLiteral("Ruputerへの送信に失敗しました。(7)\r\n")));
        QVERIFY(ui.texts[0].endsWith(QStringLiteral("Phase = アップロード")));
    }

    void retryUntilSuccess()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        // many failures: the loop has no limit of its own
        QList<qint32> failures(25, 3);
        library.plan(QStringLiteral("u_nego"), failures);
        ui.answers = QList<RupDlgResult>(25, RupDlgResult::Retry);
        TRuputerCom com;
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(ui.texts.size(), 25);
        QCOMPARE(library.calls.size(), 25 + 3);
        for (const Call &call : std::as_const(library.calls))
            QCOMPARE(call.port, 1);
        QCOMPARE(notifier.count(Notifier::Sound::Exclamation), 25);
        QCOMPARE(notifier.sounds.last(), Notifier::Sound::Asterisk);
    }

    void switchAlternatesLinkKind()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_nego"), {3, 3, 3, 3});
        ui.answers = {RupDlgResult::Yes, RupDlgResult::Yes, RupDlgResult::Yes, RupDlgResult::Cancel};
        TRuputerCom com;
        com.setIrPort(3);
        QVERIFY(!com.Download(env.path("a"), QStringLiteral("A")));
        QList<int> ports;
        for (const Call &call : std::as_const(library.calls))
            ports << call.port;
        QCOMPARE(ports, (QList<int> {1, 3, 1, 3}));
        QCOMPARE(ui.switchAllowed, (QList<bool> {true, true, true, true}));
        QVERIFY(ui.texts[0].contains(QStringLiteral("Port = ドッキングステーション，COM1\r\n")));
        QVERIFY(ui.texts[1].contains(QStringLiteral("Port = 赤外線，COM3\r\n")));
        QVERIFY(ui.texts[2].contains(QStringLiteral("Port = ドッキングステーション，COM1\r\n")));
        QCOMPARE(com.DefaultPort(), rpDockPort);

        // the next operation starts from the default link again
        library.calls.clear();
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.first().port, 1);
    }

    void switchSucceedsOnOtherLink()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_download"), {9});
        ui.answers = {RupDlgResult::Yes};
        TRuputerCom com;
        com.setDefaultPort(rpIrPort);
        QVERIFY(com.Download(env.path("a"), QStringLiteral("A")));
        QList<int> ports;
        for (const Call &call : std::as_const(library.calls))
            ports << call.port;
        QCOMPARE(ports, (QList<int> {2, 2, 2, 1, 1, 1}));
        QCOMPARE(com.DefaultPort(), rpIrPort);
    }

    void switchOffered_data()
    {
        QTest::addColumn<int>("dock");
        QTest::addColumn<int>("ir");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("both") << 1 << 2 << true;
        QTest::newRow("no dock") << 0 << 2 << false;
        QTest::newRow("no ir") << 1 << 0 << false;
        QTest::newRow("none") << 0 << 0 << false;
    }
    void switchOffered()
    {
        QFETCH(int, dock);
        QFETCH(int, ir);
        QFETCH(bool, allowed);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_nego"), {1});
        TRuputerCom com;
        com.setDockPort(dock);
        com.setIrPort(ir);
        QVERIFY(!com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(ui.switchAllowed, QList<bool> {allowed});
    }

    void unconfiguredIrPortIsStillCalled()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        ScriptedRuputerComUi ui;
        library.plan(QStringLiteral("u_nego"), {1});
        TRuputerCom com;
        com.setIrPort(0);
        com.setDefaultPort(rpIrPort);
        QVERIFY(!com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.first().port, 0);
        QVERIFY(ui.texts.first().contains(QStringLiteral("Port = 赤外線，COM0\r\n")));
        QCOMPARE(ui.switchAllowed, QList<bool> {false});
    }
};

QTEST_GUILESS_MAIN(TestRuputerCom)
#include "tst_ruputercom.moc"
