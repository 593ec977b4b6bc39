#include "DeviceEmulator.h"
#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RupLibrary.h"
#include "device/RuputerCom.h"
#include "device/SerialRupLibrary.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QtTest>

// The program and the device emulator exchanging files over a
// pseudo-terminal, and every fault the emulator can inject.
class TestSerialLink : public QObject
{
    Q_OBJECT

private:
    static QByteArray pattern(int size, int seed)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        quint32 x = quint32(seed) * 2654435761u + 1;
        for (int i = 0; i < size; ++i) {
            x = x * 1103515245u + 12345u;
            bytes[i] = char(x >> 16);
        }
        return bytes;
    }
    // An item file of 200 records: the 32-byte header, then 160-byte records.
    static QByteArray itemFile()
    {
        QByteArray file("TideMk20", 8);
        file.append(QByteArray(32 - 8, '\0'));
        for (int i = 0; i < 200; ++i) {
            QByteArray record = pattern(160, i);
            record[0] = char(i % 4);
            file.append(record);
        }
        return file;
    }
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    static QString port(int n, const QString &device)
    {
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), device);
        return device;
    }
    static QString text(bool sending, int code, const QString &link, int port, const QString &phase)
    {
        return (sending ? QStringLiteral("Ruputerへの送信に失敗しました。")
                        : QStringLiteral("Ruputerからの受信に失敗しました。"))
            + QStringLiteral("(%1)\r\nPort = %2，COM%3\r\nSpeed = 115200\r\nPhase = %4")
                  .arg(QString::number(code), link, QString::number(port), phase);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment env;
        RupLibrary::install(nullptr);
        QCOMPARE(RupLibrary::description(), QStringLiteral("built-in serial link"));
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
    }

    void defaultDevice()
    {
        TestEnvironment env;
        QCOMPARE(SerialRupLibrary::deviceName(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(SerialRupLibrary::deviceName(10), QStringLiteral("/dev/ttyS9"));
        port(3, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(SerialRupLibrary::deviceName(3), QStringLiteral("/dev/ttyUSB0"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("small") << pattern(100, 1);
        QTest::newRow("one block") << pattern(512, 2);
        QTest::newRow("block and a byte") << pattern(513, 3);
        QTest::newRow("many blocks") << pattern(5000, 4);
        QTest::newRow("200 items") << itemFile();
    }
    void roundTrip()
    {
        QFETCH(QByteArray, content);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        DeviceEmulator device;
        const QString pty = device.start();
        QVERIFY(!pty.isEmpty());
        port(1, pty);
        QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), content));

        TRuputerCom com;
        com.setSpeed(1);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        QVERIFY(write(local, "an older local copy"));
        QVERIFY(com.Download(local, QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(local), content);
        QVERIFY(ui.texts.isEmpty());
        QCOMPARE(ui.totals, QList<qint64> {content.size()});
        QCOMPARE(ui.lastDone, content.isEmpty() ? -1 : content.size());

        // and back under another name
        const QByteArray changed = content + "+";
        QVERIFY(write(local, changed));
        QVERIFY(com.Upload(local, QStringLiteral("BACK.TMD")));
        QCOMPARE(readAll(device.file(QStringLiteral("BACK.TMD"))), changed);
        QVERIFY(ui.texts.isEmpty());
        QCOMPARE(notifier.sounds, (QList<Notifier::Sound> {Notifier::Sound::Asterisk, Notifier::Sound::Asterisk}));
    }

    void shiftJisDeviceName()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        DeviceEmulator device;
        port(1, device.start());
        TRuputerCom com; // at the default 19200 bit/s
        const QString local = env.path(QStringLiteral("l.tmd"));
        QVERIFY(write(local, "abc"));
        QVERIFY(com.Upload(local, QStringLiteral("予定.TMD")));
        QCOMPARE(readAll(device.file(QStringLiteral("予定.TMD"))), QByteArray("abc"));
    }

    // An injected fault, the report it gives, and what the user's answer does.
    void fault_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("sending");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        const QString nego = QStringLiteral("ネゴシエーション");
        const QString transfer = QStringLiteral("アップロード");
        const QString end = QStringLiteral("終了処理");
        const int retry = int(RupDlgResult::Retry);
        const int cancel = int(RupDlgResult::Cancel);
        const QStringList once {"--fault-sessions", "1"};
        QTest::newRow("refused, retry") << (QStringList {"--refuse-nego"} + once) << false << 700 << 4 << nego << retry
                                        << true;
        QTest::newRow("refused, cancel") << QStringList {"--refuse-nego"} << true << 700 << 4 << nego << cancel
                                         << false;
        QTest::newRow("corrupt block, retry")
            << (QStringList {"--corrupt-block", "1"} + once) << false << 2000 << 8 << transfer << retry << true;
        QTest::newRow("corrupt block, cancel")
            << QStringList {"--corrupt-block", "0"} << false << 2000 << 8 << transfer << cancel << false;
        QTest::newRow("drop in download, retry")
            << (QStringList {"--drop-after", "700"} + once) << false << 3000 << 9 << transfer << retry << true;
        QTest::newRow("drop in upload, retry")
            << (QStringList {"--drop-after", "20"} + once) << true << 3000 << 9 << transfer << retry << true;
        QTest::newRow("drop in negotiation, cancel")
            << QStringList {"--drop-after", "3"} << true << 10 << 3 << nego << cancel << false;
        QTest::newRow("no end answer, retry")
            << (QStringList {"--ignore-end"} + once) << false << 600 << 3 << end << retry << true;
        QTest::newRow("no end answer on upload, cancel")
            << QStringList {"--ignore-end"} << true << 600 << 3 << end << cancel << false;
        QTest::newRow("device cannot store, retry")
            << (QStringList {"--read-only"} + once) << true << 600 << 4 << transfer << retry << true;
    }
    void fault()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, sending);
        QFETCH(int, size);
        QFETCH(int, code);
        QFETCH(QString, phase);
        QFETCH(int, answer);
        QFETCH(bool, result);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        ui.answers = {RupDlgResult(answer)};
        DeviceEmulator device;
        port(1, device.start(options));
        SerialRupLibrary::setAnswerTimeoutOverride(1000);

        const QByteArray content = pattern(size, size);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        const QString remote = device.file(QStringLiteral("TODO.TMD"));
        const QByteArray before = "the good local copy";
        QVERIFY(write(sending ? local : remote, content));
        if (!sending)
            QVERIFY(write(local, before));

        TRuputerCom com;
        com.setSpeed(1);
        const bool ok
            = sending ? com.Upload(local, QStringLiteral("TODO.TMD")) : com.Download(local, QStringLiteral("TODO.TMD"));
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        QCOMPARE(ok, result);
        QCOMPARE(ui.texts, QStringList {text(sending, code, QStringLiteral("ドッキングステーション"), 1, phase)});
        if (sending) {
            if (result)
                QCOMPARE(readAll(remote), content);
        } else {
            QCOMPARE(readAll(local), result ? content : before);
            QCOMPARE(QDir(env.path({})).entryList({"TODO.TMD*"}, QDir::Files), QStringList {"TODO.TMD"});
        }
        QCOMPARE(notifier.count(Notifier::Sound::Exclamation), 1);
    }

    void slowAnswer()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        DeviceEmulator device;
        port(1, device.start({"--delay", "2000"}));
        SerialRupLibrary::setAnswerTimeoutOverride(300);
        TRuputerCom com;
        com.setSpeed(1);
        const bool ok = com.Download(env.path(QStringLiteral("TODO.TMD")), QStringLiteral("TODO.TMD"));
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        QVERIFY(!ok);
        QCOMPARE(ui.texts,
            QStringList {
                text(false, 3, QStringLiteral("ドッキングステーション"), 1, QStringLiteral("ネゴシエーション"))});
    }

    void corruptedOnceRecovers()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        DeviceEmulator device;
        port(1, device.start({"--corrupt-block", "2", "--corrupt-once"}));
        const QByteArray content = pattern(4000, 9);
        QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), content));
        TRuputerCom com;
        com.setSpeed(1);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        QVERIFY(com.Download(local, QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(local), content);
        QVERIFY(ui.texts.isEmpty());
    }

    void localAndPortFailures_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QString>("localName");
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<int>("dockPort");
        QTest::addColumn<QString>("dockDevice");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        const QString nego = QStringLiteral("ネゴシエーション");
        const QString transfer = QStringLiteral("アップロード");
        QTest::newRow("not on device") << false << "L.TMD"
                                       << "NONE.TMD" << 1 << "" << 5 << transfer;
        QTest::newRow("unsafe device name") << false << "L.TMD"
                                            << "../tidemark.ini" << 1 << "" << 5 << transfer;
        QTest::newRow("local unreadable") << true << "missing.tmd"
                                          << "A.TMD" << 1 << "" << 6 << transfer;
        QTest::newRow("local unwritable") << false << "no/such/dir/L.TMD"
                                          << "TODO.TMD" << 1 << "" << 7 << transfer;
        QTest::newRow("port 0") << false << "L.TMD"
                                << "TODO.TMD" << 0 << "" << 1 << nego;
        QTest::newRow("cannot open") << true << "L.TMD"
                                     << "TODO.TMD" << 1 << "/nonexistent/tty" << 2 << nego;
    }
    void localAndPortFailures()
    {
        QFETCH(bool, sending);
        QFETCH(QString, localName);
        QFETCH(QString, deviceName);
        QFETCH(int, dockPort);
        QFETCH(QString, dockDevice);
        QFETCH(int, code);
        QFETCH(QString, phase);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        DeviceEmulator device;
        port(1, dockDevice.isEmpty() ? device.start() : dockDevice);
        QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), "x"));
        QVERIFY(write(env.path(QStringLiteral("L.TMD")), "y"));
        TRuputerCom com;
        com.setSpeed(1);
        com.setDockPort(dockPort);
        const QString local = env.path(localName);
        QVERIFY(!(sending ? com.Upload(local, deviceName) : com.Download(local, deviceName)));
        QCOMPARE(
            ui.texts, QStringList {text(sending, code, QStringLiteral("ドッキングステーション"), dockPort, phase)});
        QCOMPARE(ui.switchAllowed, QList<bool> {dockPort != 0});
    }

    void switchToWorkingLink()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        ui.answers = {RupDlgResult::Yes};
        DeviceEmulator device;
        port(1, QStringLiteral("/nonexistent/tty"));
        port(4, device.start());
        QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), "infrared"));
        TRuputerCom com;
        com.setSpeed(1);
        com.setIrPort(4);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        QVERIFY(com.Download(local, QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(local), QByteArray("infrared"));
        QCOMPARE(ui.texts,
            QStringList {
                text(false, 2, QStringLiteral("ドッキングステーション"), 1, QStringLiteral("ネゴシエーション"))});
    }

    void cancelInProgress_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void cancelInProgress()
    {
        QFETCH(bool, sending);
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        ui.cancelAfterUpdates = 2;
        DeviceEmulator device;
        port(1, device.start());
        const QByteArray content = pattern(8000, 5);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        const QString remote = device.file(QStringLiteral("TODO.TMD"));
        QVERIFY(write(sending ? local : remote, content));
        if (!sending)
            QVERIFY(write(local, "good"));
        TRuputerCom com;
        com.setSpeed(1);
        QVERIFY(!(
            sending ? com.Upload(local, QStringLiteral("TODO.TMD")) : com.Download(local, QStringLiteral("TODO.TMD"))));
        QCOMPARE(ui.texts,
            QStringList {
                text(sending, 10, QStringLiteral("ドッキングステーション"), 1, QStringLiteral("アップロード"))});
        QCOMPARE(ui.lastDone, 1024);
        if (!sending)
            QCOMPARE(readAll(local), QByteArray("good"));

        // the device is ready for the next operation at once
        ui.cancelAfterUpdates = -1;
        QVERIFY(write(local, content));
        QVERIFY(com.Upload(local, QStringLiteral("NEXT.TMD")));
        QCOMPARE(readAll(device.file(QStringLiteral("NEXT.TMD"))), content);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
