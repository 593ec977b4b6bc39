// tidemark-device: the device side of the serial link, for trying the
// program without a Ruputer and for testing every error path.

#include "DeviceServer.h"
#include "data/DocumentSaveFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedConstant(int baud)
{
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

bool makeRaw(int fd, speed_t speed)
{
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (speed != B0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "tidemark-device: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tidemark-device"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the files of FOLDER as the device does, over a serial device or over a pseudo-terminal that it\n"
        "opens itself (the default; the path of the PC's end is printed on the first line of the output)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("folder holding the device's files"));
    const QCommandLineOption port(
        QStringLiteral("port"), QStringLiteral("serve on serial device DEVICE"), QStringLiteral("DEVICE"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("bit rate for --port (default 19200)"),
        QStringLiteral("BPS"), QStringLiteral("19200"));
    const QCommandLineOption link(QStringLiteral("link"),
        QStringLiteral("also make PATH a symbolic link to the pseudo-terminal"), QStringLiteral("PATH"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
        QStringLiteral("milliseconds to wait for the PC in a transfer (default 10000)"), QStringLiteral("MS"),
        QStringLiteral("10000"));
    const QCommandLineOption refuse(QStringLiteral("refuse-nego"), QStringLiteral("refuse every negotiation"));
    const QCommandLineOption drop(QStringLiteral("drop-after"),
        QStringLiteral("fall silent after sending N bytes in a session"), QStringLiteral("N"));
    const QCommandLineOption corrupt(QStringLiteral("corrupt-block"),
        QStringLiteral("damage data block N (0 = first) of every file sent"), QStringLiteral("N"));
    const QCommandLineOption corruptOnce(
        QStringLiteral("corrupt-once"), QStringLiteral("damage that block only the first time it is sent"));
    const QCommandLineOption delay(
        QStringLiteral("delay"), QStringLiteral("wait MS milliseconds before every answer"), QStringLiteral("MS"));
    const QCommandLineOption ignoreEnd(QStringLiteral("ignore-end"), QStringLiteral("never answer the end command"));
    const QCommandLineOption readOnly(QStringLiteral("read-only"), QStringLiteral("refuse to store files"));
    const QCommandLineOption sessions(QStringLiteral("fault-sessions"),
        QStringLiteral("apply the faults to the first N sessions only"), QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("log what happens to stderr"));
    parser.addOptions(
        {port, baud, link, timeout, refuse, drop, corrupt, corruptOnce, delay, ignoreEnd, readOnly, sessions, verbose});
    parser.process(app);

    if (parser.positionalArguments().size() != 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    const QString folder = parser.positionalArguments().first();
    if (!QDir(folder).exists())
        return fail(QStringLiteral("no folder %1").arg(folder));

    auto number = [&parser](const QCommandLineOption &option, int fallback) {
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        return parser.isSet(option) && ok ? value : fallback;
    };
    DeviceServer::Faults faults;
    faults.refuseNegotiation = parser.isSet(refuse);
    faults.dropAfterBytes = number(drop, -1);
    faults.corruptBlock = number(corrupt, -1);
    faults.corruptOnce = parser.isSet(corruptOnce);
    faults.delayMs = number(delay, 0);
    faults.ignoreEnd = parser.isSet(ignoreEnd);
    faults.readOnly = parser.isSet(readOnly);
    faults.sessions = number(sessions, -1);

    int fd = -1;
    if (parser.isSet(port)) {
        const speed_t speed = speedConstant(number(baud, 19200));
        if (speed == B0)
            return fail(QStringLiteral("unsupported bit rate %1").arg(parser.value(baud)));
        fd = ::open(QFile::encodeName(parser.value(port)).constData(), O_RDWR | O_NOCTTY);
        if (fd < 0 || !makeRaw(fd, speed))
            return fail(QStringLiteral("cannot open %1").arg(parser.value(port)));
    } else {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&fd, &slave, name, nullptr, nullptr) != 0 || !makeRaw(slave, B0) || !makeRaw(fd, B0))
            return fail(QStringLiteral("cannot open a pseudo-terminal"));
        // The PC's end stays open here too, so that the PC closing and
        // reopening it never hangs up our end.
        if (parser.isSet(link)) {
            QFile::remove(parser.value(link));
            if (!QFile::link(QString::fromLocal8Bit(name), parser.value(link)))
                return fail(QStringLiteral("cannot create %1").arg(parser.value(link)));
        }
        std::printf("%s\n", name);
        std::fflush(stdout);
    }

    DeviceServer server(fd, folder, faults, number(timeout, 10000), parser.isSet(verbose));
    if (parser.isSet(port))
        server.setLineRate(number(baud, 19200));
    return server.run();
}
