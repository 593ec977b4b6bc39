#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/LinkProtocol.h"
#include "device/RuputerCom.h"
#include "device/RuputerComDlg.h"
#include "device/RuputerComWidgets.h"
#include "device/SerialRupLibrary.h"
#include "device/TransferProgressDlg.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace LinkProtocol;

namespace {

// tidemark-device on a pseudo-terminal of its own, serving a fresh folder.
struct Emulator
{
    QTemporaryDir folder;
    QProcess process;
    ~Emulator()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    // Starts it and names its end as port COM`com`; false if it did not start.
    bool start(const QStringList &options = {}, int com = 1)
    {
        process.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-device"),
            options + QStringList {folder.path()});
        QDeadlineTimer deadline(10000);
        while (process.waitForStarted(10000) && !process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(int(deadline.remainingTime()));
        const QString pty = QString::fromLocal8Bit(process.readLine()).trimmed();
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(com), pty);
        return !pty.isEmpty();
    }
    QString file(const QString &name) const { return folder.filePath(name); }
};

// The PC's end of a pseudo-terminal, spoken to frame by frame.
class RawLine
{
public:
    explicit RawLine(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    { }
    ~RawLine()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &bytes) { (void)!::write(m_fd, bytes.constData(), size_t(bytes.size())); }
    // Sends `frame` and waits up to 5 s for an intact answer of `type`.
    bool command(const QByteArray &frame, char type)
    {
        write(frame);
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            Frame answer;
            if (m_parser.next(answer) == FrameParser::Good)
                return answer.type == type;
            pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) > 0) {
                char buffer[256];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    m_parser.feed(QByteArrayView(buffer, n));
            }
        }
        return false;
    }

private:
    int m_fd;
    FrameParser m_parser;
};

struct Rig
{
    TestEnvironment env;
    ScriptedNotifier notifier;
    ScriptedRuputerComUi ui;
    Emulator device;
    TRuputerCom com;
    Rig() { com.setSpeed(1); }
    QString local(const QString &name = QStringLiteral("TODO.TMD")) const { return env.path(name); }
};

QByteArray pattern(int size, int seed)
{
    QByteArray bytes;
    for (QRandomGenerator random(seed); bytes.size() < size;)
        bytes += char(random.generate());
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString Nego = QStringLiteral("ネゴシエーション");
const QString Transfer = QStringLiteral("アップロード");

// The meanings the report gives the codes these tests meet.
const QMap<int, QString> Meanings {{1, QStringLiteral("ポート番号が0です（接続方法が設定されていません）")},
    {2, QStringLiteral("シリアルポートを開けません（ないか、使用中か、権限がありません）")},
    {3, QStringLiteral("Ruputerが時間内に応答しません")},
    {4, QStringLiteral("Ruputerが拒否しました（接続を断ったか、ファイルを読み書きできません）")},
    {5, QStringLiteral("Ruputerにそのファイルがありません（または名前がファイル名ではありません）")},
    {6, QStringLiteral("ローカルファイルを読めません")}, {7, QStringLiteral("ローカルファイルに書き込めません")},
    {8, QStringLiteral("チェックサムエラー：データが4回続けて壊れて届きました")},
    {9, QStringLiteral("通信が途切れました（転送中の無応答、不正なデータ、ポートの故障、Ruputer側の中断）")}};

// `phase` Transfer stands for the transfer step, which a download names
// "ダウンロード".
QString report(bool sending, int code, int port, const QString &phase)
{
    const QString shownPhase = phase == Transfer && !sending ? QStringLiteral("ダウンロード") : phase;
    return (sending ? QStringLiteral("Ruputerへの送信に失敗しました。")
                    : QStringLiteral("Ruputerからの受信に失敗しました。"))
        + QStringLiteral("(%1) %2\r\nPort = ドッキングステーション，COM%3\r\nSpeed = 115200\r\nPhase = %4")
              .arg(QString::number(code), Meanings.value(code), QString::number(port), shownPhase);
}

// A device on a pseudo-terminal of this process that answers the
// negotiation and the file request, then keeps talking without ever sending
// the next block: it repeats one kind of frame until the PC cancels or it has
// sent `MaxFrames` of them.
class ChatteringDevice
{
public:
    enum Chatter { StrayAnswers, RepeatedBlock, DamagedFrames };
    static constexpr int MaxFrames = 1500;

    explicit ChatteringDevice(Chatter chatter)
        : m_chatter(chatter)
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        // Writes never block: a PC that stopped reading must not stop the
        // device from seeing its cancel.
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0
            && fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) == 0)
            slave = QString::fromLocal8Bit(ptsname(m_master));
        if (!slave.isEmpty())
            m_thread = std::thread([this] { run(); });
    }
    ~ChatteringDevice()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_master >= 0)
            ::close(m_master);
    }

    QString slave;
    std::atomic<bool> sawCancel {false};

private:
    void send(const QByteArray &frame) { (void)!::write(m_master, frame.constData(), size_t(frame.size())); }

    void run()
    {
        FrameParser parser;
        bool chattering = false;
        int sent = 0;
        auto due = std::chrono::steady_clock::now();
        while (!m_stop && !sawCancel && sent < MaxFrames) {
            pollfd p {m_master, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0)
                    parser.feed(QByteArrayView(buffer, n));
            }
            Frame frame;
            while (parser.next(frame) == FrameParser::Good) {
                if (frame.type == Negotiate)
                    send(makeFrame(Ack, frame.seq));
                else if (frame.type == Get) {
                    send(makeFrame(Size, frame.seq, le32(2 * BlockSize)));
                    if (m_chatter == RepeatedBlock)
                        send(makeFrame(Data, 0, QByteArray(BlockSize, 'a')));
                    chattering = true;
                } else if (frame.type == LinkProtocol::Cancel) {
                    sawCancel = true;
                }
            }
            if (!chattering || std::chrono::steady_clock::now() < due)
                continue;
            due += std::chrono::milliseconds(5);
            ++sent;
            if (m_chatter == StrayAnswers)
                send(makeFrame(Ack, quint8(sent)));
            else if (m_chatter == RepeatedBlock)
                send(makeFrame(Data, 0, QByteArray(BlockSize, 'a')));
            else
                send(makeFrame(Data, 0, "x").replace(5, 1, "y")); // CRC no longer matches
        }
    }

    Chatter m_chatter;
    int m_master = -1;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

} // namespace

// Frames of the link protocol, and the program and the device emulator
// exchanging files over a pseudo-terminal with every fault the emulator can
// inject.
class TestSerialLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment env;
        RupLibrary::install(nullptr);
        QCOMPARE(RupLibrary::description(), QStringLiteral("built-in serial link"));
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
    }

    // Frames written byte by byte as the link document lays them out.
    void frames()
    {
        QCOMPARE(crc16("123456789"), quint16(0x29B1));
        QCOMPARE(makeFrame('N', 7, QByteArray("\x01\x04", 2)), QByteArray::fromHex("014E0702000104AA1D"));
        QCOMPARE(makeFrame('A', 7, QByteArray("\x01", 1)), QByteArray::fromHex("01410701000109DC"));
        const QByteArray frame = makeFrame(Data, 3, QByteArray(600, 'z'));
        QCOMPARE(frame.size(), 5 + 600 + 2);
        QCOMPARE(frame.mid(3, 2), QByteArray::fromHex("5802")); // 600, low byte first
        QCOMPARE(le32(0x12345678), QByteArray::fromHex("78563412"));
        QCOMPARE(readLe32(le32(0x12345678)), 0x12345678u);
    }

    void parser()
    {
        FrameParser parser;
        Frame frame;
        const QByteArray good = makeFrame(Size, 9, le32(32032));
        // noise, an SOH with an impossible length, then a frame fed in pieces
        parser.feed(QByteArray::fromHex("FF0002") + QByteArray::fromHex("0144000FFF"));
        parser.feed(good.left(4));
        QCOMPARE(parser.next(frame), FrameParser::NeedMore);
        parser.feed(good.mid(4));
        QCOMPARE(parser.next(frame), FrameParser::Good);
        QCOMPARE(frame.type, Size);
        QCOMPARE(frame.seq, quint8(9));
        QCOMPARE(readLe32(frame.payload), 32032u);
        QCOMPARE(parser.next(frame), FrameParser::NeedMore);
    }

    // The rest of a frame whose sender died never comes; bytes after a long
    // pause start afresh instead of filling its payload.
    void parserDropsCutOffFrame_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("fast line, short pause") << 115200 << 499 << false;
        QTest::newRow("fast line, long pause") << 115200 << 501 << true;
        QTest::newRow("unknown rate, long pause") << 0 << 501 << true;
        // 64 bytes at 300 bit/s take 2134 ms
        QTest::newRow("slow line, 2 s") << 300 << 2000 << false;
        QTest::newRow("slow line, 2.2 s") << 300 << 2200 << true;
    }
    void parserDropsCutOffFrame()
    {
        QFETCH(int, baud);
        QFETCH(int, pauseMs);
        QFETCH(bool, dropped);
        FrameParser parser;
        parser.setLineRate(baud);
        Frame frame;
        const QByteArray cut = makeFrame(Data, 0, QByteArray(512, 'd')).left(200);
        const QByteArray nego = makeFrame(Negotiate, 7, QByteArray("\x01\x04", 2));
        parser.feedAt(cut.left(100), 1000);
        parser.feedAt(cut.mid(100), 1400); // a pause below the limit within a frame is fine
        QCOMPARE(parser.next(frame), FrameParser::NeedMore);
        parser.feedAt(nego, 1400 + pauseMs);
        QCOMPARE(parser.next(frame), dropped ? FrameParser::Good : FrameParser::NeedMore);
        if (dropped) {
            QCOMPARE(frame.type, Negotiate);
            QCOMPARE(frame.seq, quint8(7));
            QCOMPARE(parser.pending(), 0);
        } else {
            QCOMPARE(parser.pending(), cut.size() + nego.size());
        }
    }

    void defaultDevice()
    {
        TestEnvironment env;
        QCOMPARE(SerialRupLibrary::deviceName(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(SerialRupLibrary::deviceName(10), QStringLiteral("/dev/ttyS9"));
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(SerialRupLibrary::deviceName(3), QStringLiteral("/dev/ttyUSB0"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("speed");
        // An item file of 200 records: the 32-byte header, then 160-byte records.
        QByteArray items = QByteArray("TideMk20", 8) + QByteArray(32 - 8, '\0');
        for (int i = 0; i < 200; ++i)
            items += char(i % 4) + pattern(159, i);
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("small, at 19200 bit/s") << pattern(100, 1) << 4;
        QTest::newRow("one block") << pattern(512, 2) << 1;
        QTest::newRow("block and a byte") << pattern(513, 3) << 1;
        QTest::newRow("many blocks") << pattern(5000, 4) << 1;
        QTest::newRow("200 items") << items << 1;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, speed);
        Rig rig;
        rig.com.setSpeed(speed);
        QVERIFY(rig.device.start());
        QVERIFY(write(rig.device.file(QStringLiteral("TODO.TMD")), content));
        QVERIFY(write(rig.local(), "an older local copy"));
        QVERIFY(rig.com.Download(rig.local(), QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(rig.local()), content);
        QCOMPARE(rig.ui.totals, QList<qint64> {content.size()});
        QCOMPARE(rig.ui.done.value(rig.ui.done.size() - 1, -1), content.isEmpty() ? -1 : content.size());

        // and back under a name in code page 932
        const QByteArray changed = content + "+";
        QVERIFY(write(rig.local(), changed));
        QVERIFY(rig.com.Upload(rig.local(), QStringLiteral("予定.TMD")));
        QCOMPARE(readAll(rig.device.file(QStringLiteral("予定.TMD"))), changed);
        QVERIFY(rig.ui.texts.isEmpty());
        QCOMPARE(rig.notifier.sounds, QList<Notifier::Sound>(2, Notifier::Sound::Asterisk));
    }

    // An injected fault, the report it gives (none: code 0), and what
    // answering Retry or Cancel does.
    void fault_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("sending");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("retry");
        const QString end = QStringLiteral("終了処理");
        const QString once = QStringLiteral(" --fault-sessions 1");
        QTest::newRow("refused, retry") << "--refuse-nego" + once << false << 4 << Nego << true;
        QTest::newRow("refused, cancel") << "--refuse-nego" << true << 4 << Nego << false;
        QTest::newRow("corrupt block, retry") << "--corrupt-block 1" + once << false << 8 << Transfer << true;
        QTest::newRow("corrupt block, cancel") << "--corrupt-block 0" << false << 8 << Transfer << false;
        QTest::newRow("corrupted once recovers") << "--corrupt-block 2 --corrupt-once" << false << 0 << "" << false;
        QTest::newRow("drop in download, retry") << "--drop-after 700" + once << false << 9 << Transfer << true;
        QTest::newRow("drop in upload, retry") << "--drop-after 20" + once << true << 9 << Transfer << true;
        QTest::newRow("drop in negotiation, cancel") << "--drop-after 3" << true << 3 << Nego << false;
        QTest::newRow("slow answer, cancel") << "--delay 2000" << false << 3 << Nego << false;
        QTest::newRow("no end answer, retry") << "--ignore-end" + once << false << 3 << end << true;
        QTest::newRow("no end answer on upload, cancel") << "--ignore-end" << true << 3 << end << false;
        QTest::newRow("device cannot store, retry") << "--read-only" + once << true << 4 << Transfer << true;
    }
    void fault()
    {
        QFETCH(QString, options);
        QFETCH(bool, sending);
        QFETCH(int, code);
        QFETCH(QString, phase);
        QFETCH(bool, retry);
        Rig rig;
        rig.ui.answers = {retry ? RupDlgResult::Retry : RupDlgResult::Cancel};
        QVERIFY(rig.device.start(options.split(u' ')));
        SerialRupLibrary::setAnswerTimeoutOverride(1000);

        const QByteArray content = pattern(3000, code);
        const QString remote = rig.device.file(QStringLiteral("TODO.TMD"));
        const QByteArray before = "the good local copy";
        QVERIFY(write(sending ? rig.local() : remote, content));
        if (!sending)
            QVERIFY(write(rig.local(), before));
        const bool ok = sending ? rig.com.Upload(rig.local(), QStringLiteral("TODO.TMD"))
                                : rig.com.Download(rig.local(), QStringLiteral("TODO.TMD"));
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        QCOMPARE(ok, retry || code == 0);
        QCOMPARE(rig.ui.texts, code ? QStringList {report(sending, code, 1, phase)} : QStringList());
        if (!sending) {
            QCOMPARE(readAll(rig.local()), ok ? content : before);
            QCOMPARE(QDir(rig.env.path({})).entryList({"TODO.TMD*"}, QDir::Files), QStringList {"TODO.TMD"});
        } else if (ok) {
            QCOMPARE(readAll(remote), content);
        }
        QCOMPARE(rig.notifier.count(Notifier::Sound::Exclamation), code ? 1 : 0);
    }

    // A device that keeps sending frames that bring no new block does not
    // keep the download waiting: the PC gives up and tells the device.
    void chatteringDeviceTimesOut_data()
    {
        QTest::addColumn<int>("chatter");
        QTest::addColumn<int>("code");
        QTest::newRow("stray answers") << int(ChatteringDevice::StrayAnswers) << int(RupError::LinkBroken);
        QTest::newRow("one block repeated") << int(ChatteringDevice::RepeatedBlock) << int(RupError::LinkBroken);
        // Damaged frames of the expected block are turned down a few times.
        QTest::newRow("damaged block") << int(ChatteringDevice::DamagedFrames) << int(RupError::Checksum);
    }
    void chatteringDeviceTimesOut()
    {
        QFETCH(int, chatter);
        QFETCH(int, code);
        TestEnvironment env;
        ChatteringDevice device {ChatteringDevice::Chatter(chatter)};
        QVERIFY(!device.slave.isEmpty());
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM1"), device.slave);
        SerialRupLibrary::setAnswerTimeoutOverride(300);
        SerialRupLibrary library;
        qint32 error = -1;
        QCOMPARE(library.u_nego(0, 1, -1, 1, &error), 0);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        const int result = library.u_download(0, 1, -1, 1, QStringLiteral("TODO.TMD"), local, &error);
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        QCOMPARE(result, 1);
        QCOMPARE(error, code);
        QTRY_VERIFY(device.sawCancel);
        QVERIFY(!QFile::exists(local));
    }

    // Local files, device names and ports that cannot be used: `names` holds
    // the local name, the device name and what COM1 names ("-": no port).
    void localAndPortFailures_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("code");
        QTest::newRow("not on device") << false << "L.TMD NONE.TMD" << 5;
        QTest::newRow("unsafe device name") << false << "L.TMD ../tidemark.ini" << 5;
        QTest::newRow("local unreadable") << true << "missing.tmd A.TMD" << 6;
        QTest::newRow("local unwritable") << false << "no/such/dir/L.TMD TODO.TMD" << 7;
        QTest::newRow("port 0") << false << "L.TMD TODO.TMD -" << 1;
        QTest::newRow("cannot open") << true << "L.TMD TODO.TMD /nonexistent/tty" << 2;
    }
    void localAndPortFailures()
    {
        QFETCH(bool, sending);
        QFETCH(QString, names);
        QFETCH(int, code);
        const QString local = names.section(u' ', 0, 0);
        const QString deviceName = names.section(u' ', 1, 1);
        const QString dockDevice = names.section(u' ', 2);
        Rig rig;
        QVERIFY(rig.device.start());
        if (dockDevice.size() > 1)
            Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM1"), dockDevice);
        const int port = dockDevice == u"-" ? 0 : 1;
        rig.com.setDockPort(port);
        QVERIFY(write(rig.device.file(QStringLiteral("TODO.TMD")), "x"));
        QVERIFY(write(rig.local(QStringLiteral("L.TMD")), "y"));
        QVERIFY(
            !(sending ? rig.com.Upload(rig.local(local), deviceName) : rig.com.Download(rig.local(local), deviceName)));
        QCOMPARE(rig.ui.texts, QStringList {report(sending, code, port, code <= 2 ? Nego : Transfer)});
        QCOMPARE(rig.ui.switchAllowed, QList<bool> {port != 0});
    }

    void switchToWorkingLink()
    {
        Rig rig;
        rig.ui.answers = {RupDlgResult::Yes};
        QVERIFY(rig.device.start({}, 4));
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM1"), QStringLiteral("/nonexistent/tty"));
        QVERIFY(write(rig.device.file(QStringLiteral("TODO.TMD")), "infrared"));
        rig.com.setIrPort(4);
        QVERIFY(rig.com.Download(rig.local(), QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(rig.local()), QByteArray("infrared"));
        QCOMPARE(rig.ui.texts, QStringList {report(false, 2, 1, Nego)});
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
        Rig rig;
        rig.ui.cancelAfterUpdates = 2;
        QVERIFY(rig.device.start());
        const QByteArray content = pattern(8000, 5);
        const QString local = rig.local();
        QVERIFY(write(sending ? local : rig.device.file(QStringLiteral("TODO.TMD")), content));
        if (!sending)
            QVERIFY(write(local, "good"));
        QVERIFY(!(sending ? rig.com.Upload(local, QStringLiteral("TODO.TMD"))
                          : rig.com.Download(local, QStringLiteral("TODO.TMD"))));
        // Cancel is the user's answer: no retry dialog, no warning beep.
        QCOMPARE(rig.ui.texts, QStringList());
        QCOMPARE(rig.notifier.count(Notifier::Sound::Exclamation), 0);
        QCOMPARE(rig.ui.done.last(), 1024);
        if (!sending)
            QCOMPARE(readAll(local), QByteArray("good"));

        // the device is ready for the next operation at once
        rig.ui.cancelAfterUpdates = -1;
        QVERIFY(write(local, content));
        QVERIFY(rig.com.Upload(local, QStringLiteral("NEXT.TMD")));
        QCOMPARE(readAll(rig.device.file(QStringLiteral("NEXT.TMD"))), content);
    }

    // A PC that died in the middle of an upload left the device half a block.
    // The next PC's negotiation is answered promptly, not after dozens of
    // negotiations have filled up that block.
    void cutOffFrameThenNegotiation()
    {
        Rig rig;
        QVERIFY(rig.device.start());
        const QString pty = Settings().readString(QStringLiteral("Ports"), QStringLiteral("COM1"), {});
        {
            RawLine dead(pty);
            QVERIFY(dead.isOpen());
            QVERIFY(dead.command(makeFrame(Negotiate, 1, QByteArray("\x01\x01", 2)), Ack));
            QVERIFY(dead.command(makeFrame(Put, 2, le32(3000) + "TODO.TMD"), Ack));
            dead.write(makeFrame(Data, 0, pattern(512, 5)).left(300));
        }
        SerialRupLibrary::setAnswerTimeoutOverride(700);
        QElapsedTimer clock;
        clock.start();
        SerialRupLibrary library;
        qint32 code = -1;
        int attempts = 0;
        while (attempts < 40 && code != 0) {
            ++attempts;
            library.u_nego(0, 1, 5, 1, &code);
        }
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        QCOMPARE(code, 0);
        QVERIFY2(attempts <= 2, qPrintable(QString::number(attempts)));
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(library.u_end(0, 1, 5, 1, &code), 0);
        QVERIFY(!QFile::exists(rig.device.file(QStringLiteral("TODO.TMD"))));

        // and a whole transfer works
        QVERIFY(write(rig.local(), pattern(3000, 6)));
        QVERIFY(rig.com.Upload(rig.local(), QStringLiteral("TODO.TMD")));
        QCOMPARE(readAll(rig.device.file(QStringLiteral("TODO.TMD"))), pattern(3000, 6));
    }

    // Names that are not code page 932 (a lead byte cut off, a byte no
    // character has, an unassigned double-byte code) are neither stored nor
    // looked up: they would all have become one file.
    void deviceRefusesNamesNotInCodePage932_data()
    {
        QTest::addColumn<QString>("name");
        const auto raw = [](uchar b) { return QChar(char16_t(0xDC00 + b)); };
        QTest::newRow("cut lead byte") << QStringLiteral("A") + raw(0x81);
        QTest::newRow("no character") << raw(0xA0) + QStringLiteral("B");
        QTest::newRow("unassigned") << raw(0x85) + QStringLiteral("@C");
    }
    void deviceRefusesNamesNotInCodePage932()
    {
        QFETCH(QString, name);
        Rig rig;
        QVERIFY(rig.device.start());
        QVERIFY(write(rig.local(), "content"));
        QVERIFY(!rig.com.Upload(rig.local(), name));
        QCOMPARE(rig.ui.texts, QStringList {report(true, 4, 1, Transfer)});
        QCOMPARE(QDir(rig.device.folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!rig.com.Download(rig.local(), name));
        QCOMPARE(rig.ui.texts.value(1), report(false, 5, 1, Transfer));
        QCOMPARE(readAll(rig.local()), QByteArray("content"));
    }

    // The real progress window over the owner, and its Cancel.
    void progressWindowCancels()
    {
        Rig rig;
        InstallRuputerComWidgets();
        QVERIFY(rig.device.start({"--delay", "40"}));
        QVERIFY(write(rig.device.file(QStringLiteral("TODO.TMD")), QByteArray(32 * 1024, 'x')));
        QVERIFY(write(rig.local(), "good"));
        QWidget window;
        window.show();
        TRuputerCom com(&window);
        com.setSpeed(1);
        TransferProgressDlg *progress = nullptr;
        QString bytesText;
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *dlg = qobject_cast<TRuputerComDlgForm *>(w); dlg && dlg->isVisible()) {
                    shown = dlg->Memo->text();
                    QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
                } else if (auto *p = qobject_cast<TransferProgressDlg *>(w); p && p->isVisible() && !progress) {
                    progress = p;
                    QCOMPARE(p->parentWidget(), &window);
                    QVERIFY(p->isModal());
                    QCOMPARE(p->LName->text(), QStringLiteral("受信中: TODO.TMD"));
                    bytesText = p->LBytes->text();
                    QTest::mouseClick(p->CancelBtn, Qt::LeftButton);
                }
            }
        });
        poll.start(10);
        QVERIFY(!com.Download(rig.local(), QStringLiteral("TODO.TMD")));
        RuputerComUi::install(nullptr);
        QVERIFY(progress);
        QVERIFY2(bytesText.endsWith(QLocale().toString(32768) + QStringLiteral(" バイト")), qPrintable(bytesText));
        QCOMPARE(shown, QString());
        QCOMPARE(readAll(rig.local()), QByteArray("good"));
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
