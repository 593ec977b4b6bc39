#include "DeviceServer.h"

#include "data/TextCodec.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

using namespace LinkProtocol;

DeviceServer::DeviceServer(int fd, QString folder, Faults faults, int timeoutMs, bool verbose)
    : m_fd(fd)
    , m_folder(std::move(folder))
    , m_faults(faults)
    , m_timeoutMs(timeoutMs)
    , m_verbose(verbose)
{ }

void DeviceServer::log(const char *format, ...) const
{
    if (!m_verbose)
        return;
    va_list args;
    va_start(args, format);
    std::fputs("tidemark-device: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

bool DeviceServer::faulty() const
{
    return m_faults.sessions < 0 || m_session <= m_faults.sessions;
}

DeviceServer::Read DeviceServer::readFrame(Frame &frame, int timeoutMs)
{
    if (m_pending) {
        frame = *m_pending;
        m_pending.reset();
        return Read::Frame;
    }
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    for (;;) {
        const auto result = m_parser.next(frame);
        if (result == FrameParser::Good)
            return Read::Frame;
        if (result == FrameParser::Damaged)
            return Read::Damaged;
        if (deadline.hasExpired())
            return Read::Timeout;
        pollfd p {m_fd, POLLIN, 0};
        const qint64 remaining = deadline.isForever() ? -1 : deadline.remainingTime();
        const int ready = ::poll(&p, 1, remaining < 0 ? 1000 : int(qMin<qint64>(remaining, 1000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Read::Failed;
        if (ready == 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            m_failed = true;
            return Read::Failed;
        }
        m_parser.feed(QByteArrayView(buffer, n));
    }
}

bool DeviceServer::send(char type, quint8 seq, const QByteArray &payload, bool corrupt)
{
    if (m_faults.delayMs > 0 && faulty())
        QThread::msleep(m_faults.delayMs);
    QByteArray frame = makeFrame(type, seq, payload);
    if (corrupt)
        frame[HeaderSize] = char(frame[HeaderSize] ^ 0x5A); // first payload byte; the CRC no longer fits
    if (m_silent)
        return true;
    if (m_faults.dropAfterBytes >= 0 && faulty()) {
        const qint64 room = m_faults.dropAfterBytes - m_sentInSession;
        if (room < frame.size()) {
            frame.truncate(qMax<qint64>(room, 0));
            m_silent = true;
            log("dropping the link after %lld bytes", static_cast<long long>(m_faults.dropAfterBytes));
        }
    }
    qsizetype written = 0;
    while (written < frame.size()) {
        const ssize_t n = ::write(m_fd, frame.constData() + written, size_t(frame.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p {m_fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
            continue;
        }
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        written += n;
    }
    m_sentInSession += written;
    return !m_silent;
}

QString DeviceServer::pathOf(const QByteArray &name) const
{
    // Only plain names of files in the folder itself, and only names that are
    // code page 932: bytes that are not would all end up as one file name.
    if (!Cp932::isValid(name))
        return {};
    const QString text = Cp932::decode(name);
    if (text.isEmpty() || text == u"." || text == u".." || text.contains(u'/') || text.contains(u'\\')
        || name.contains('\0'))
        return {};
    return QDir(m_folder).filePath(text);
}

int DeviceServer::run()
{
    log("serving %s", qPrintable(m_folder));
    while (!m_failed) {
        Frame frame;
        const Read read = readFrame(frame, -1);
        if (read == Read::Failed)
            break;
        if (read != Read::Frame)
            continue;
        if (m_silent && frame.type != Negotiate)
            continue;
        switch (frame.type) {
        case Negotiate:
            ++m_session;
            m_silent = false;
            m_sentInSession = 0;
            log("session %d: negotiate", m_session);
            if (m_faults.refuseNegotiation && faulty()) {
                m_negotiated = false;
                send(Refuse, frame.seq, QByteArray(1, char(ReasonRefused)));
            } else {
                m_negotiated = true;
                send(Ack, frame.seq, QByteArray(1, char(Version)));
            }
            break;
        case Get:
        case Put:
            if (!m_negotiated) {
                send(Refuse, frame.seq, QByteArray(1, char(ReasonNotNegotiated)));
                break;
            }
            if (frame.type == Get)
                serveGet(frame);
            else
                servePut(frame);
            break;
        case End:
            log("session %d: end", m_session);
            m_negotiated = false;
            if (!(m_faults.ignoreEnd && faulty()))
                send(Ack, frame.seq);
            break;
        default:
            break; // left-overs of an abandoned transfer
        }
    }
    log("link closed");
    return 0;
}

void DeviceServer::serveGet(const Frame &command)
{
    const QString path = pathOf(command.payload);
    QFile file(path);
    if (path.isEmpty() || !file.exists()) {
        log("get %s: not found", command.payload.constData());
        send(Refuse, command.seq, QByteArray(1, char(ReasonNotFound)));
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        send(Refuse, command.seq, QByteArray(1, char(ReasonRefused)));
        return;
    }
    const QByteArray data = file.readAll();
    log("get %s: %lld bytes", command.payload.constData(), static_cast<long long>(data.size()));
    if (!send(Size, command.seq, le32(quint32(data.size()))))
        return;

    qsizetype offset = 0;
    int block = 0;
    while (offset < data.size()) {
        const QByteArray chunk = data.mid(offset, BlockSize);
        int sent = 0;
        bool acknowledged = false;
        while (!acknowledged) {
            const bool corrupt = block == m_faults.corruptBlock && faulty() && !(m_faults.corruptOnce && sent > 0);
            if (!send(Data, quint8(block), chunk, corrupt))
                return;
            ++sent;
            Frame answer;
            for (;;) {
                const Read read = readFrame(answer, m_timeoutMs);
                if (read == Read::Timeout || read == Read::Failed) {
                    log("get: no answer to block %d", block);
                    return;
                }
                if (read == Read::Damaged)
                    continue;
                if (answer.type == Cancel) {
                    log("get: cancelled by the PC");
                    return;
                }
                if (answer.type == Negotiate) {
                    m_pending = answer;
                    return;
                }
                if (answer.type == End) {
                    // the PC is done; our last acknowledgement went missing
                    m_negotiated = false;
                    send(Ack, answer.seq);
                    return;
                }
                if ((answer.type == Ack || answer.type == Nak) && answer.seq == quint8(block))
                    break;
            }
            acknowledged = answer.type == Ack;
            if (!acknowledged && sent >= MaxBlockTries) {
                log("get: block %d damaged too often", block);
                return;
            }
        }
        offset += chunk.size();
        ++block;
    }
}

void DeviceServer::servePut(const Frame &command)
{
    if (command.payload.size() < 4) {
        send(Refuse, command.seq, QByteArray(1, char(ReasonRefused)));
        return;
    }
    const qint64 size = readLe32(command.payload);
    const QByteArray name = command.payload.mid(4);
    const QString path = pathOf(name);
    log("put %s: %lld bytes", name.constData(), static_cast<long long>(size));
    if (path.isEmpty() || (m_faults.readOnly && faulty())) {
        send(Refuse, command.seq, QByteArray(1, char(ReasonCannotStore)));
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        send(Refuse, command.seq, QByteArray(1, char(ReasonCannotStore)));
        return;
    }
    if (size == 0) {
        const bool stored = file.commit();
        send(stored ? Ack : Refuse, command.seq, stored ? QByteArray() : QByteArray(1, char(ReasonCannotStore)));
        return;
    }
    if (!send(Ack, command.seq))
        return;

    qint64 received = 0;
    quint8 expected = 0;
    while (received < size) {
        Frame frame;
        const Read read = readFrame(frame, m_timeoutMs);
        if (read == Read::Timeout || read == Read::Failed) {
            log("put: no block");
            return;
        }
        if (read == Read::Damaged) {
            if (frame.type == Data && !send(Nak, expected))
                return;
            continue;
        }
        if (frame.type == Cancel || frame.type == Negotiate) {
            log("put: abandoned by the PC");
            if (frame.type == Negotiate)
                m_pending = frame;
            return;
        }
        if (frame.type != Data)
            continue;
        if (frame.seq == quint8(expected - 1) && received > 0) {
            send(Ack, frame.seq);
            continue;
        }
        if (frame.seq != expected || frame.payload.isEmpty() || received + frame.payload.size() > size)
            continue;
        file.write(frame.payload);
        received += frame.payload.size();
        if (received == size && !file.commit()) {
            send(Refuse, expected, QByteArray(1, char(ReasonCannotStore)));
            return;
        }
        if (!send(Ack, expected))
            return;
        ++expected;
    }
}
