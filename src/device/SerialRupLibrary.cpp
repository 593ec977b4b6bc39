#include "device/SerialRupLibrary.h"

#include "data/TextCodec.h"
#include "device/LinkProtocol.h"
#include "device/RuputerCom.h"
#include "device/RuputerComUi.h"
#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSerialPort>
#include <initializer_list>

using namespace LinkProtocol;

namespace {

int answerTimeoutOverride = 0;

enum class Wait { Frame, Timeout, PortError, Cancelled };

// Milliseconds `bytes` take on the wire at `baud` (start + 8 data + stop bits),
// so slow links are not mistaken for silent ones.
int transmitMs(qsizetype bytes, int baud)
{
    return baud > 0 ? int(bytes * 10 * 1000 / baud) + 1 : 0;
}

} // namespace

struct SerialRupLibrary::Link
{
    QSerialPort port;
    FrameParser parser;
    int baud = 0;

    void pump(TransferProgress *progress)
    {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(
                progress && progress->acceptsInput() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }

    bool portFailed()
    {
        const auto error = port.error();
        if (error == QSerialPort::TimeoutError) {
            port.clearError();
            return false;
        }
        return error != QSerialPort::NoError;
    }

    // Next intact frame; damaged frames are returned with `damaged` set.
    Wait next(Frame &frame, bool &damaged, int timeoutMs, TransferProgress *progress)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            const auto result = parser.next(frame);
            if (result != FrameParser::NeedMore) {
                damaged = result == FrameParser::Damaged;
                return Wait::Frame;
            }
            if (progress && progress->wasCanceled())
                return Wait::Cancelled;
            if (deadline.hasExpired())
                return Wait::Timeout;
            if (port.bytesAvailable() == 0) {
                port.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 20)));
                if (portFailed())
                    return Wait::PortError;
            }
            parser.feed(port.readAll());
            pump(progress);
        }
    }

    // Next intact frame of one of `types` with sequence number `seq`; others are
    // left-overs of an earlier exchange and are dropped.
    Wait answer(Frame &frame, quint8 seq, std::initializer_list<char> types, int timeoutMs, TransferProgress *progress)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            bool damaged = false;
            const Wait wait = next(frame, damaged, int(qMax<qint64>(deadline.remainingTime(), 0)), progress);
            if (wait != Wait::Frame)
                return wait;
            if (!damaged && frame.seq == seq && std::find(types.begin(), types.end(), frame.type) != types.end())
                return Wait::Frame;
        }
    }

    Wait send(const QByteArray &frame, TransferProgress *progress)
    {
        if (port.write(frame) != frame.size())
            return Wait::PortError;
        QDeadlineTimer deadline(5000 + transmitMs(frame.size(), baud));
        while (port.bytesToWrite() > 0) {
            if (progress && progress->wasCanceled())
                return Wait::Cancelled;
            if (deadline.hasExpired())
                return Wait::Timeout;
            port.waitForBytesWritten(20);
            if (portFailed())
                return Wait::PortError;
            pump(progress);
        }
        return Wait::Frame;
    }

    void cancel(quint8 reason) { send(makeFrame(LinkProtocol::Cancel, 0, QByteArray(1, char(reason))), nullptr); }

    // Sends command `type` under a fresh sequence number and waits for its
    // answer, a frame of one of `answers`.
    Wait command(Frame &frame, char type, QByteArrayView payload, std::initializer_list<char> answers, int timeoutMs,
        TransferProgress *progress);
    // Starts a transfer with command `type`, which the device takes with
    // `accepted` or turns down with Refuse. Gives 0 or the error code; a
    // cancel by the user is told to the device.
    qint32 startTransfer(
        Frame &frame, char type, QByteArrayView payload, char accepted, int timeoutMs, TransferProgress *progress);
    // Gives up a transfer whose wait failed, telling the device why; gives the
    // error code.
    qint32 abandon(Wait wait);
};

namespace {

quint8 commandSeq = quint8(QRandomGenerator::global()->generate());

quint8 nextCommandSeq()
{
    return ++commandSeq;
}

int timeoutMs(int seconds)
{
    if (answerTimeoutOverride > 0)
        return answerTimeoutOverride;
    if (seconds < 0)
        seconds = SerialRupLibrary::DefaultTransferTimeout;
    return seconds * 1000;
}

// Error code of a device's Refuse frame.
qint32 refusal(const Frame &frame)
{
    const quint8 reason = frame.payload.isEmpty() ? 0 : quint8(frame.payload[0]);
    switch (reason) {
    case ReasonNotFound:
        return RupError::FileNotFound;
    case ReasonNotNegotiated:
        return RupError::NotNegotiated;
    default:
        return RupError::Refused;
    }
}

// Error code when waiting for the answer to a command did not give one.
qint32 commandFailure(Wait wait)
{
    switch (wait) {
    case Wait::Timeout:
        return RupError::NoAnswer;
    case Wait::Cancelled:
        return RupError::Cancelled;
    default:
        return RupError::LinkBroken;
    }
}

// ... and in the middle of a transfer, where silence means the link broke.
qint32 transferFailure(Wait wait)
{
    return wait == Wait::Cancelled ? RupError::Cancelled : RupError::LinkBroken;
}

// Error code of a transfer over a negotiated link or none, before anything
// is sent; 0 if it may go ahead.
qint32 argumentFailure(bool negotiated, const QByteArray &name)
{
    if (!negotiated)
        return RupError::NotNegotiated;
    return name.size() <= MaxNameBytes && !name.contains('\0') ? 0 : RupError::BadArgument;
}

int succeeded(qint32 *error)
{
    if (error)
        *error = 0;
    return 0;
}

} // namespace

Wait SerialRupLibrary::Link::command(Frame &frame, char type, QByteArrayView payload,
    std::initializer_list<char> answers, int timeoutMs, TransferProgress *progress)
{
    const quint8 seq = nextCommandSeq();
    const Wait wait = send(makeFrame(type, seq, payload), progress);
    return wait == Wait::Frame ? answer(frame, seq, answers, timeoutMs, progress) : wait;
}

qint32 SerialRupLibrary::Link::startTransfer(
    Frame &frame, char type, QByteArrayView payload, char accepted, int timeoutMs, TransferProgress *progress)
{
    const Wait wait = command(frame, type, payload, {accepted, Refuse}, timeoutMs, progress);
    if (wait != Wait::Frame) {
        if (wait == Wait::Cancelled)
            cancel(ReasonUserCancel);
        return commandFailure(wait);
    }
    return frame.type == Refuse ? refusal(frame) : 0;
}

qint32 SerialRupLibrary::Link::abandon(Wait wait)
{
    cancel(wait == Wait::Cancelled ? ReasonUserCancel : ReasonRefused);
    return transferFailure(wait);
}

SerialRupLibrary::SerialRupLibrary() = default;
SerialRupLibrary::~SerialRupLibrary() = default;

void SerialRupLibrary::setAnswerTimeoutOverride(int ms)
{
    answerTimeoutOverride = ms;
}

QString SerialRupLibrary::deviceName(int port)
{
#ifdef Q_OS_WIN
    const QString fallback = QStringLiteral("COM%1").arg(port);
#else
    const QString fallback = QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
    return Settings().readString(
        QString::fromLatin1(SettingKeys::PortsSection), QStringLiteral("COM%1").arg(port), fallback);
}

int SerialRupLibrary::fail(int port, qint32 code, qint32 *error)
{
    if (error)
        *error = code;
    Q_UNUSED(port);
    return 1;
}

SerialRupLibrary::Link *SerialRupLibrary::openLink(int port)
{
    const auto it = m_links.find(port);
    return it == m_links.end() ? nullptr : it->second.get();
}

int SerialRupLibrary::u_nego(quintptr, int port, int timeout, int speed, qint32 *error)
{
    m_links.erase(port); // a link left open by a caller that never ended it
    if (port <= 0)
        return fail(port, RupError::NoPort, error);
    const int baud = SpeedToBaud(speed);
    if (baud == 0)
        return fail(port, RupError::BadArgument, error);

    auto link = std::make_unique<Link>();
    link->baud = baud;
    link->parser.setLineRate(baud);
    link->port.setPortName(deviceName(port));
    link->port.setBaudRate(baud);
    link->port.setDataBits(QSerialPort::Data8);
    link->port.setParity(QSerialPort::NoParity);
    link->port.setStopBits(QSerialPort::OneStop);
    link->port.setFlowControl(QSerialPort::NoFlowControl);
    if (!link->port.open(QIODevice::ReadWrite))
        return fail(port, RupError::CannotOpenPort, error);
    link->port.clear();

    Frame frame;
    const Wait wait = link->command(
        frame, Negotiate, QByteArray {char(Version), char(speed)}, {Ack, Refuse}, timeoutMs(timeout), nullptr);
    if (wait != Wait::Frame)
        return fail(port, commandFailure(wait), error);
    if (frame.type == Refuse)
        return fail(port, RupError::Refused, error);

    m_links[port] = std::move(link);
    return succeeded(error);
}

int SerialRupLibrary::u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
    const QString &localPath, qint32 *error)
{
    Q_UNUSED(speed);
    Link *link = openLink(port);
    const QByteArray name = Cp932::encode(deviceFileName);
    if (const qint32 code = argumentFailure(link != nullptr, name))
        return fail(port, code, error);
    QSaveFile out(localPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(port, RupError::LocalWrite, error);

    const int wait = timeoutMs(timeout);
    const int blockWait = wait + transmitMs(HeaderSize + BlockSize + 2, link->baud);
    const auto progress
        = RuputerComUi::instance().createProgress(window, TRuputerCom::Direction::Receive, deviceFileName);
    TransferProgress *shown = progress.get();

    Frame frame;
    if (const qint32 code = link->startTransfer(frame, Get, name, Size, blockWait, shown))
        return fail(port, code, error);
    if (frame.payload.size() != 4)
        return fail(port, RupError::LinkBroken, error);

    const qint64 size = readLe32(frame.payload);
    if (shown)
        shown->setTotal(size);
    qint64 received = 0;
    quint8 expected = 0;
    int damagedCount = 0;
    int repeatCount = 0;
    // Only a new block earns another wait: frames that bring nothing (stray
    // answers, other types, a block repeated without end) must not keep the
    // link alive.
    QDeadlineTimer blockDeadline(blockWait);
    while (received < size) {
        bool damaged = false;
        Wait result = link->next(frame, damaged, int(qMax<qint64>(blockDeadline.remainingTime(), 0)), shown);
        if (result != Wait::Frame)
            return fail(port, link->abandon(result), error);
        if (damaged) {
            if (frame.type != Data)
                continue;
            if (++damagedCount >= MaxBlockTries) {
                link->cancel(ReasonChecksum);
                return fail(port, RupError::Checksum, error);
            }
            link->send(makeFrame(Nak, expected), shown);
            blockDeadline.setRemainingTime(blockWait); // the block comes again
            continue;
        }
        if (frame.type == LinkProtocol::Cancel)
            return fail(port, RupError::LinkBroken, error);
        if (frame.type != Data)
            continue;
        if (frame.seq == quint8(expected - 1) && received > 0) {
            link->send(makeFrame(Ack, frame.seq), shown); // our answer got lost
            // The device sends a block this many times at most.
            if (++repeatCount < MaxBlockTries)
                blockDeadline.setRemainingTime(blockWait);
            continue;
        }
        if (frame.seq != expected)
            continue;
        if (frame.payload.isEmpty() || received + frame.payload.size() > size) {
            link->cancel(ReasonRefused);
            return fail(port, RupError::LinkBroken, error);
        }
        if (out.write(frame.payload) != frame.payload.size()) {
            link->cancel(ReasonRefused);
            return fail(port, RupError::LocalWrite, error);
        }
        received += frame.payload.size();
        damagedCount = 0;
        repeatCount = 0;
        blockDeadline.setRemainingTime(blockWait);
        result = link->send(makeFrame(Ack, expected), shown);
        if (result != Wait::Frame)
            return fail(port, transferFailure(result), error);
        ++expected;
        if (shown)
            shown->setDone(received);
    }
    if (!out.commit())
        return fail(port, RupError::LocalWrite, error);
    return succeeded(error);
}

int SerialRupLibrary::u_upload(quintptr window, int port, int timeout, int speed, const QString &localPath,
    const QString &deviceFileName, qint32 *error)
{
    Q_UNUSED(speed);
    Link *link = openLink(port);
    const QByteArray name = Cp932::encode(deviceFileName);
    if (const qint32 code = argumentFailure(link != nullptr, name))
        return fail(port, code, error);
    QFile in(localPath);
    if (!in.open(QIODevice::ReadOnly) || in.size() > qint64(0xFFFFFFFF))
        return fail(port, RupError::LocalRead, error);
    const QByteArray data = in.readAll();
    if (data.size() != in.size())
        return fail(port, RupError::LocalRead, error);
    in.close();

    const int wait = timeoutMs(timeout);
    const int blockWait = wait + transmitMs(HeaderSize + BlockSize + 2, link->baud);
    const auto progress = RuputerComUi::instance().createProgress(window, TRuputerCom::Direction::Send, deviceFileName);
    TransferProgress *shown = progress.get();
    if (shown)
        shown->setTotal(data.size());

    Frame frame;
    if (const qint32 code = link->startTransfer(frame, Put, le32(quint32(data.size())) + name, Ack, wait, shown))
        return fail(port, code, error);

    qint64 sent = 0;
    quint8 block = 0;
    while (sent < data.size()) {
        const QByteArray chunk = data.mid(sent, BlockSize);
        int tries = 0;
        bool acknowledged = false;
        while (!acknowledged) {
            if (tries == MaxBlockTries) {
                link->cancel(ReasonChecksum);
                return fail(port, RupError::Checksum, error);
            }
            ++tries;
            Wait result = link->send(makeFrame(Data, block, chunk), shown);
            if (result == Wait::Frame)
                result = link->answer(frame, block, {Ack, Nak, Refuse}, blockWait, shown);
            if (result == Wait::Frame && frame.type == Refuse)
                return fail(port, refusal(frame), error);
            if (result != Wait::Frame)
                return fail(port, link->abandon(result), error);
            acknowledged = frame.type == Ack;
        }
        sent += chunk.size();
        ++block;
        if (shown)
            shown->setDone(sent);
    }
    return succeeded(error);
}

int SerialRupLibrary::u_end(quintptr, int port, int timeout, int speed, qint32 *error)
{
    Q_UNUSED(speed);
    Link *link = openLink(port);
    if (!link)
        return fail(port, RupError::NotNegotiated, error);
    Frame frame;
    const Wait wait = link->command(frame, End, {}, {Ack}, timeoutMs(timeout), nullptr);
    m_links.erase(port);
    if (wait != Wait::Frame)
        return fail(port, commandFailure(wait), error);
    return succeeded(error);
}
