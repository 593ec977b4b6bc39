#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "device/RupLibrary.h"
#include "device/RuputerCom.h"
#include "device/RuputerComUi.h"
#include "device/SerialRupLibrary.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {

constexpr int AnswerMs = 400; // the PC's every answer timeout here
constexpr int SlackMs = 300; // scheduling on a busy machine

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

// Times every call of the built-in library and every sign of progress, so
// that no wait can be longer than its timeout unnoticed.
class TimedLibrary : public RupLibrary, public RuputerComUi
{
public:
    SerialRupLibrary serial;
    qint64 longestWait = 0; // beyond the allowed wait, in ms
    QString longestCall;

    int u_nego(quintptr w, int port, int timeout, int speed, qint32 *error) override
    {
        return timed("nego", [&] { return serial.u_nego(w, port, timeout, speed, error); });
    }
    int u_download(quintptr w, int port, int timeout, int speed, const QString &device, const QString &local,
        qint32 *error) override
    {
        return timed("download", [&] { return serial.u_download(w, port, timeout, speed, device, local, error); });
    }
    int u_upload(quintptr w, int port, int timeout, int speed, const QString &local, const QString &device,
        qint32 *error) override
    {
        return timed("upload", [&] { return serial.u_upload(w, port, timeout, speed, local, device, error); });
    }
    int u_end(quintptr w, int port, int timeout, int speed, qint32 *error) override
    {
        return timed("end", [&] { return serial.u_end(w, port, timeout, speed, error); });
    }

    quintptr windowHandle(QObject *) override { return 0; }
    RupDlgResult showErrorDialog(const QString &) override { return RupDlgResult::Cancel; }
    std::unique_ptr<TransferProgress> createProgress(quintptr, TRuputerCom::Direction, const QString &) override
    {
        struct Progress : TransferProgress
        {
            TimedLibrary *owner;
            explicit Progress(TimedLibrary *o)
                : owner(o)
            { }
            void setTotal(qint64) override { owner->m_lastSign = owner->m_clock.elapsed(); }
            void setDone(qint64) override { owner->m_lastSign = owner->m_clock.elapsed(); }
            bool wasCanceled() const override { return false; }
            bool acceptsInput() const override { return false; }
        };
        return std::make_unique<Progress>(this);
    }

private:
    template <typename Call> int timed(const char *name, Call call)
    {
        if (!m_clock.isValid())
            m_clock.start();
        m_lastSign = m_clock.elapsed();
        const int result = call();
        // Only the last wait can have run out: every earlier one ended with
        // a sign of progress. A block's wait may add its time on the wire.
        const qint64 over = m_clock.elapsed() - m_lastSign - AnswerMs;
        if (over > longestWait) {
            longestWait = over;
            longestCall = QString::fromLatin1(name);
        }
        return result;
    }

    QElapsedTimer m_clock;
    qint64 m_lastSign = 0;
};

struct Emulator
{
    QTemporaryDir folder;
    QProcess process;
    ~Emulator()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    bool start(const QStringList &options)
    {
        process.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-device"),
            options + QStringList {folder.path()});
        QDeadlineTimer deadline(10000);
        while (process.waitForStarted(10000) && !process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(int(deadline.remainingTime()));
        const QString pty = QString::fromLocal8Bit(process.readLine()).trimmed();
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM1"), pty);
        return !pty.isEmpty();
    }
};

// Faults for one run of the emulator, drawn from `random`; they hold for its
// first few sessions.
QStringList drawFaults(QRandomGenerator &random)
{
    QStringList options {"--timeout", "500", "--fault-sessions", QString::number(1 + random.bounded(3))};
    switch (random.bounded(8)) {
    case 0:
        options << "--refuse-nego";
        break;
    case 1:
        options << "--drop-after" << QString::number(random.bounded(3000));
        break;
    case 2:
        options << "--corrupt-block" << QString::number(random.bounded(6));
        break;
    case 3:
        options << "--corrupt-block" << QString::number(random.bounded(6)) << "--corrupt-once";
        break;
    case 4:
        options << "--delay" << QString::number(random.bounded(2) ? 20 : AnswerMs + 200);
        break;
    case 5:
        options << "--ignore-end";
        break;
    case 6:
        options << "--read-only";
        break;
    default:
        break; // no fault
    }
    return options;
}

} // namespace

// A few hundred transfers against the emulator with faults drawn from a
// fixed seed.
class TestLinkSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void soak()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        TimedLibrary library;
        RupLibrary::install(&library);
        RuputerComUi::install(&library);
        SerialRupLibrary::setAnswerTimeoutOverride(AnswerMs);

        QRandomGenerator random(20261208);
        TRuputerCom com;
        com.setSpeed(1);
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        int transfers = 0, failures = 0, endFailures = 0;
        QElapsedTimer clock;
        clock.start();
        for (int run = 0; run < 12 && clock.elapsed() < 40000; ++run) {
            Emulator device;
            const QStringList options = drawFaults(random);
            QVERIFY(device.start(options));
            const QString remote = device.folder.filePath(QStringLiteral("TODO.TMD"));
            for (int i = 0; i < 25; ++i, ++transfers) {
                const bool sending = random.bounded(2);
                QByteArray fresh(int(random.bounded(4000)), Qt::Uninitialized);
                for (char &c : fresh)
                    c = char(random.bounded(256));
                const QByteArray oldLocal = "local " + QByteArray::number(transfers);
                const QByteArray oldRemote = "remote " + QByteArray::number(transfers);
                QVERIFY(write(local, sending ? fresh : oldLocal));
                QVERIFY(write(remote, sending ? oldRemote : fresh));

                // As the window's commands do it: a download replaces the
                // local copy only after the link ended cleanly.
                const auto direction = sending ? TRuputerCom::Direction::Send : TRuputerCom::Direction::Receive;
                const QString target = sending ? local : TRuputerCom::ReceivingPath(local);
                const auto attempt = com.TransferOnce(direction, rpDockPort, target, QStringLiteral("TODO.TMD"));
                const QString where = QStringLiteral("run %1 (%2), transfer %3, %4, phase %5, code %6")
                                          .arg(run)
                                          .arg(options.join(u' '))
                                          .arg(i)
                                          .arg(sending ? "send" : "fetch")
                                          .arg(attempt.phase)
                                          .arg(attempt.errorCode);
                if (!sending && attempt.ok)
                    std::filesystem::rename(
                        QFile::encodeName(target).toStdString(), QFile::encodeName(local).toStdString());
                QFile::remove(TRuputerCom::ReceivingPath(local));

                if (attempt.ok) {
                    QVERIFY2(readAll(local) == fresh, qPrintable(where));
                    QVERIFY2(readAll(remote) == fresh, qPrintable(where));
                    continue;
                }
                ++failures;
                QVERIFY2(attempt.errorCode != 0, qPrintable(where));
                QVERIFY2(readAll(local) == (sending ? fresh : oldLocal), qPrintable(where));
                if (!sending) {
                    QVERIFY2(readAll(remote) == fresh, qPrintable(where));
                } else if (attempt.phase == TRuputerCom::PhaseEnd()) {
                    // The file went over whole; only the goodbye was lost.
                    ++endFailures;
                    QVERIFY2(readAll(remote) == fresh, qPrintable(where));
                } else {
                    // Never a torn file; the new one only when the device
                    // stored it and its last acknowledgement was what got lost.
                    const QByteArray now = readAll(remote);
                    QVERIFY2(now == oldRemote || (now == fresh && options.contains("--drop-after")), qPrintable(where));
                }
            }
        }
        SerialRupLibrary::setAnswerTimeoutOverride(0);
        RuputerComUi::install(nullptr);
        RupLibrary::install(nullptr);
        qInfo("%d transfers, %d failed (%d in the end phase), in %lld ms; longest wait %lld ms beyond its timeout (%s)",
            transfers, failures, endFailures, static_cast<long long>(clock.elapsed()),
            static_cast<long long>(library.longestWait), qPrintable(library.longestCall));
        QVERIFY(transfers >= 200);
        QVERIFY(failures > 0);
        QVERIFY2(library.longestWait <= SlackMs, qPrintable(library.longestCall));
    }
};

QTEST_GUILESS_MAIN(TestLinkSoak)
#include "tst_linksoak.moc"
