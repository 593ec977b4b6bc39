#include "ProgramRun.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

// tidemark-device on a pseudo-terminal of its own, serving a fresh folder.
struct Emulator
{
    QTemporaryDir folder;
    QProcess process;
    QString pty;
    ~Emulator()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    bool start(const QStringList &options = {})
    {
        process.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-device"),
            options + QStringList {folder.path()});
        QDeadlineTimer deadline(10000);
        while (process.waitForStarted(10000) && !process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(int(deadline.remainingTime()));
        pty = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !pty.isEmpty();
    }
    QString file(const QString &name) const { return folder.filePath(name); }
};

} // namespace

// fetch and send: one attempt through the device link, against the emulator.
class TestDeviceCommands : public QObject
{
    Q_OBJECT

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    Run run(const QStringList &args) { return RunProgram(m_bin, args); }
    // A settings file whose docking-station port `com` is the emulator at
    // 115200 bit/s; the other ports lead nowhere.
    QString settings(const Emulator &device, int com = 1)
    {
        QByteArray ini = "[Option]\nDock=1\nIrDA=2\nSpeed=1\n[Ports]\n";
        for (int n = 1; n <= 3; ++n)
            ini += "COM" + QByteArray::number(n) + "="
                + (n == com ? QFile::encodeName(device.pty) : QFile::encodeName(path("no-such-tty"))) + "\n";
        const QString file = path("link.ini");
        write(file, ini);
        return file;
    }
    QStringList leftovers() const { return QDir(m_dir->path()).entryList({"*.part"}, QDir::Files); }

private Q_SLOTS:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
        QVERIFY2(QFile::exists(m_bin), qPrintable(m_bin));
    }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void fetchAndSend()
    {
        Emulator device;
        QVERIFY(device.start());
        const QString ini = settings(device);
        const QByteArray content = pattern(5000, 1);
        QVERIFY(write(device.file(QStringLiteral("予定.TMD")), content));
        QVERIFY(write(path("copy.tmd"), "an older copy"));

        Run r = run({"fetch", "--settings", ini, QStringLiteral("予定.TMD"), path("copy.tmd")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(readAll(path("copy.tmd")), content);
        QCOMPARE(leftovers(), QStringList());

        QVERIFY(write(path("new.tmd"), content + "+"));
        r = run({"send", "--settings", ini, path("new.tmd"), QStringLiteral("自動.TMD")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(readAll(device.file(QStringLiteral("自動.TMD"))), content + "+");
    }

    // --port and --speed win over the settings file.
    void optionsOverrideSettings()
    {
        Emulator device;
        QVERIFY(device.start());
        const QString ini = settings(device, 3);
        QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), "abc"));
        Run r = run({"fetch", "--settings", ini, "TODO.TMD", path("a.tmd")});
        QCOMPARE(r.exitCode, 1); // COM1 leads nowhere
        QVERIFY2(r.err.contains("(2)"), r.err.constData());
        r = run({"fetch", "--settings", ini, "--port", "3", "--speed=4", "TODO.TMD", path("a.tmd")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readAll(path("a.tmd")), QByteArray("abc"));
    }

    // A failure names the code and its meaning, and leaves both sides'
    // files as they were.
    void failures_data()
    {
        QTest::addColumn<QStringList>("deviceOptions");
        QTest::addColumn<bool>("sending");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("meaning");
        const QString transfer = QStringLiteral("アップロード");
        QTest::newRow("refused") << QStringList {"--refuse-nego"} << false << 4 << QStringLiteral("ネゴシエーション")
                                 << QStringLiteral("Ruputerが拒否しました");
        // a download names its transfer step as such
        const QString download = QStringLiteral("ダウンロード");
        QTest::newRow("not on the device")
            << QStringList() << false << 5 << download << QStringLiteral("Ruputerにそのファイルがありません");
        QTest::newRow("damaged") << QStringList {"--corrupt-block", "1"} << false << 8 << download
                                 << QStringLiteral("チェックサムエラー");
        QTest::newRow("cannot store") << QStringList {"--read-only"} << true << 4 << transfer
                                      << QStringLiteral("Ruputerが拒否しました");
        QTest::newRow("damaged on the way out")
            << QStringList {"--corrupt-block", "0"} << false << 8 << download << QStringLiteral("チェックサムエラー");
    }
    void failures()
    {
        QFETCH(QStringList, deviceOptions);
        QFETCH(bool, sending);
        QFETCH(int, code);
        QFETCH(QString, phase);
        QFETCH(QString, meaning);
        Emulator device;
        QVERIFY(device.start(deviceOptions));
        const QString ini = settings(device);
        const QByteArray remote = pattern(3000, 2);
        const QByteArray local = pattern(2000, 3);
        if (code != 5)
            QVERIFY(write(device.file(QStringLiteral("TODO.TMD")), remote));
        QVERIFY(write(path("local.tmd"), local));
        const Run r = sending ? run({"send", "--settings", ini, path("local.tmd"), "TODO.TMD"})
                              : run({"fetch", "--settings", ini, "TODO.TMD", path("local.tmd")});
        QCOMPARE(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        const QString head = sending ? QStringLiteral("Ruputerへの送信に失敗しました。")
                                     : QStringLiteral("Ruputerからの受信に失敗しました。");
        QVERIFY2(err.startsWith(QStringLiteral("tidemark-cli: ") + head + QStringLiteral("(%1)\n").arg(code)),
            qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("\nPhase = ") + phase + u'\n'), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("\n%1: ").arg(code) + meaning), qPrintable(err));
        QVERIFY(!err.contains(u'\r'));
        QCOMPARE(readAll(path("local.tmd")), local);
        QCOMPARE(readAll(device.file(QStringLiteral("TODO.TMD"))), code == 5 ? QByteArray("<missing>") : remote);
        QCOMPARE(leftovers(), QStringList());
    }

    void sendingAMissingFile()
    {
        const Run r = run({"send", "--settings", path("none.ini"), path("missing.tmd"), "TODO.TMD"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err),
            QStringLiteral("tidemark-cli: ファイルが見つかりません\"%1\"\n").arg(path("missing.tmd")));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("fetch without files") << QStringList {"fetch"};
        QTest::newRow("send with one file") << QStringList {"send", "a"};
        QTest::newRow("three files") << QStringList {"fetch", "a", "b", "c"};
        QTest::newRow("port too high") << QStringList {"fetch", "--port", "11", "a", "b"};
        QTest::newRow("port not a number") << QStringList {"fetch", "--port=x", "a", "b"};
        QTest::newRow("speed 0") << QStringList {"send", "--speed", "0", "a", "b"};
        QTest::newRow("speed missing") << QStringList {"send", "a", "b", "--speed"};
        QTest::newRow("unknown option") << QStringList {"fetch", "--baud", "9600", "a", "b"};
        QTest::newRow("name without code page 932 form") << QStringList {"fetch", QStringLiteral("😀.TMD"), "b"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("Try 'tidemark-cli --help'"));
    }

    void helpNamesTheCommands()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("fetch [--settings FILE] [--port N] [--speed CODE] DEVICEFILE LOCAL"));
        QVERIFY(r.out.contains("send [--settings FILE] [--port N] [--speed CODE] LOCAL DEVICEFILE"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
