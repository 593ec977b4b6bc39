#include "device/LinkProtocol.h"

namespace LinkProtocol {

quint16 crc16(QByteArrayView data)
{
    quint16 crc = 0xFFFF;
    for (char c : data) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

quint32 readLe32(QByteArrayView bytes)
{
    quint32 value = 0;
    for (int i = 0; i < 4 && i < bytes.size(); ++i)
        value |= quint32(quint8(bytes[i])) << (8 * i);
    return value;
}

QByteArray makeFrame(char type, quint8 seq, QByteArrayView payload)
{
    Q_ASSERT(payload.size() <= MaxPayload);
    QByteArray frame;
    frame.reserve(HeaderSize + payload.size() + 2);
    frame.append(SOH);
    frame.append(type);
    frame.append(char(seq));
    frame.append(char(payload.size() & 0xFF));
    frame.append(char((payload.size() >> 8) & 0xFF));
    frame.append(payload);
    const quint16 crc = crc16(QByteArrayView(frame).sliced(1));
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

int frameGapMs(int baud)
{
    constexpr int MinGapMs = 500;
    constexpr int GapBytes = 64;
    if (baud <= 0)
        return MinGapMs;
    return qMax(MinGapMs, int(qint64(GapBytes) * 10 * 1000 / baud) + 1);
}

FrameParser::FrameParser()
    : m_gapMs(frameGapMs(0))
{
    m_clock.start();
}

void FrameParser::feedAt(QByteArrayView bytes, qint64 ms)
{
    if (bytes.isEmpty())
        return;
    if (!m_buffer.isEmpty() && ms - m_lastByteMs > m_gapMs)
        m_buffer.clear(); // a frame cut off: its sender is gone
    m_lastByteMs = ms;
    m_buffer.append(bytes);
}

FrameParser::Result FrameParser::next(Frame &frame)
{
    for (;;) {
        const qsizetype start = m_buffer.indexOf(SOH);
        if (start < 0) {
            m_buffer.clear();
            return NeedMore;
        }
        if (start > 0)
            m_buffer.remove(0, start);
        if (m_buffer.size() < HeaderSize)
            return NeedMore;
        const int length = quint8(m_buffer[3]) | (quint8(m_buffer[4]) << 8);
        if (length > MaxPayload) {
            m_buffer.remove(0, 1); // not a frame start after all
            continue;
        }
        const qsizetype total = HeaderSize + length + 2;
        if (m_buffer.size() < total)
            return NeedMore;
        const quint16 expected = crc16(QByteArrayView(m_buffer).sliced(1, HeaderSize - 1 + length));
        const quint16 got = quint8(m_buffer[total - 2]) | (quint8(m_buffer[total - 1]) << 8);
        frame.type = m_buffer[1];
        frame.seq = quint8(m_buffer[2]);
        frame.payload = m_buffer.mid(HeaderSize, length);
        m_buffer.remove(0, total);
        return expected == got ? Good : Damaged;
    }
}

} // namespace LinkProtocol
