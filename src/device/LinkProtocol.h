#pragma once

#include <QByteArray>
#include <QByteArrayView>
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

// Collects received bytes and cuts frames out of them. Bytes before an SOH,
// and an SOH whose length is impossible, are skipped.
class FrameParser
{
public:
    enum Result { NeedMore, Good, Damaged };

    void feed(QByteArrayView bytes) { m_buffer.append(bytes); }
    void clear() { m_buffer.clear(); }
    // Good: `frame` is a complete, intact frame. Damaged: a complete frame
    // whose CRC does not match; `frame` has its header fields.
    Result next(Frame &frame);

private:
    QByteArray m_buffer;
};

} // namespace LinkProtocol
