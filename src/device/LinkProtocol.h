#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QtGlobal>

// Framing of the serial link between the PC and the device; both the
// built-in library and the device emulator speak it. docs/device-link.md is
// the full description.
//
//   SOH(0x01) type seq lenLo lenHi payload[len] crcLo crcHi
//
// The CRC is CRC-16/CCITT-FALSE over type, seq, the two length bytes and the
// payload.
namespace LinkProtocol {

inline constexpr char SOH = 0x01;
inline constexpr int HeaderSize = 5;
inline constexpr int MaxPayload = 1024;
inline constexpr int BlockSize = 512;
inline constexpr int Version = 1;
inline constexpr int MaxNameBytes = 255;
// A damaged block is sent this many times in all before the transfer fails.
inline constexpr int MaxBlockTries = 4;

enum Type : char {
    Negotiate = 'N', // host: version, speed code
    Get = 'G', // host: device file name
    Put = 'P', // host: size (4 bytes), device file name
    End = 'Q', // host
    Data = 'D', // either: one block of the file
    Cancel = 'C', // either: abandon the transfer; reason byte
    Ack = 'A', // either
    Nak = 'K', // receiver: block damaged, send again
    Size = 'S', // device: answer to Get, size (4 bytes)
    Refuse = 'R', // device: reason byte
};

// Reason bytes of Refuse and Cancel frames.
enum Reason : quint8 {
    ReasonRefused = 1,
    ReasonNotFound = 2,
    ReasonCannotStore = 3,
    ReasonNotNegotiated = 4,
    ReasonUserCancel = 5,
    ReasonChecksum = 6,
};

quint16 crc16(QByteArrayView data);
QByteArray makeFrame(char type, quint8 seq, QByteArrayView payload = {});
QByteArray le32(quint32 value);
quint32 readLe32(QByteArrayView bytes);

struct Frame
{
    char type = 0;
    quint8 seq = 0;
    QByteArray payload;
};

// Longest pause within one frame, in milliseconds, at `baud` bit/s (0:
// unknown): 500 ms, or the time 64 bytes take on the wire when that is
// longer. A sender never pauses inside a frame; bytes that stopped for
// longer are what is left of a frame whose sender died.
int frameGapMs(int baud);

// Collects received bytes and cuts frames out of them. Bytes before an SOH,
// and an SOH whose length is impossible, are skipped. A frame begun but not
// finished when its bytes stop for longer than frameGapMs() is dropped, so
// that the next command is not taken for the rest of its payload.
class FrameParser
{
public:
    enum Result { NeedMore, Good, Damaged };

    FrameParser();
    // The line's bit rate, for the longest pause within a frame.
    void setLineRate(int baud) { m_gapMs = frameGapMs(baud); }
    void feed(QByteArrayView bytes) { feedAt(bytes, m_clock.elapsed()); }
    // As feed(), with the arrival time in milliseconds on a clock of the
    // caller's (tests, the fuzzer).
    void feedAt(QByteArrayView bytes, qint64 ms);
    void clear() { m_buffer.clear(); }
    // Good: `frame` is a complete, intact frame. Damaged: a complete frame
    // whose CRC does not match; `frame` has its header fields.
    Result next(Frame &frame);
    // Bytes held of a frame not yet complete.
    qsizetype pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    QElapsedTimer m_clock;
    qint64 m_lastByteMs = 0;
    int m_gapMs;
};

} // namespace LinkProtocol
