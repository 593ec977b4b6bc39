#pragma once

#include "device/LinkProtocol.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The device side of the serial link: serves the files of one folder over a
// file descriptor (a serial device or the master end of a pseudo-terminal),
// with faults that can be switched on to exercise the PC's error paths.
class DeviceServer
{
public:
    struct Faults
    {
        bool refuseNegotiation = false;
        qint64 dropAfterBytes = -1; // fall silent after sending this many bytes in a session
        int corruptBlock = -1; // damage this data block (0 = first) every time it is sent
        bool corruptOnce = false; // ... only the first time
        int delayMs = 0; // wait before every answer
        bool ignoreEnd = false; // never answer the end command
        bool readOnly = false; // refuse to store files
        int sessions = -1; // faults apply to the first N sessions only (-1: all)
    };

    DeviceServer(int fd, QString folder, Faults faults, int timeoutMs, bool verbose);

    // The line's bit rate, when known, for the longest pause within a frame.
    void setLineRate(int baud) { m_parser.setLineRate(baud); }

    // Serves until the descriptor fails; returns the process exit status.
    int run();

private:
    enum class Read { Frame, Damaged, Timeout, Failed };

    Read readFrame(LinkProtocol::Frame &frame, int timeoutMs);
    bool send(char type, quint8 seq, const QByteArray &payload = {}, bool corrupt = false);
    bool faulty() const;
    void serveGet(const LinkProtocol::Frame &command);
    void servePut(const LinkProtocol::Frame &command);
    QString pathOf(const QByteArray &name) const;
    void log(const char *format, ...) const;

    int m_fd;
    QString m_folder;
    Faults m_faults;
    int m_timeoutMs;
    bool m_verbose;
    LinkProtocol::FrameParser m_parser;
    int m_session = 0;
    bool m_negotiated = false;
    bool m_silent = false; // dropped: nothing goes out until the next negotiation
    qint64 m_sentInSession = 0;
    bool m_failed = false;
    // A command that arrived in the middle of a transfer, for the main loop.
    std::optional<LinkProtocol::Frame> m_pending;
};
