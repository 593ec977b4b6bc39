#pragma once

#include <QByteArray>
#include <QtGlobal>

// Builds item file bytes field by field, straight from the layout tables, so
// that tests never depend on our own writer.
class RecordBytes
{
public:
    explicit RecordBytes(int size)
        : bytes(size, '\0')
    { }

    RecordBytes &u8(int offset, int value)
    {
        bytes[offset] = char(value & 0xFF);
        return *this;
    }
    RecordBytes &u16(int offset, int value)
    {
        u8(offset, value);
        return u8(offset + 1, value >> 8);
    }
    RecordBytes &u32(int offset, quint32 value)
    {
        u16(offset, int(value & 0xFFFF));
        return u16(offset + 2, int(value >> 16));
    }
    RecordBytes &text(int offset, const QByteArray &text)
    {
        bytes.replace(offset, text.size(), text);
        return *this;
    }
    // Date field: signed 16-bit year, month, day.
    RecordBytes &date(int offset, int year, int month, int day)
    {
        u16(offset, year);
        u8(offset + 2, month);
        return u8(offset + 3, day);
    }

    QByteArray bytes;
};

// A 32-byte header: the signature, then `fill` in bytes 9..31.
inline QByteArray HeaderBytes(const QByteArray &signature, char fill = 0)
{
    QByteArray h(32, fill);
    h.replace(0, 9, QByteArray(9, '\0'));
    h.replace(0, signature.size(), signature);
    return h;
}

// A DOS date-time value.
inline quint32 DosStamp(int year, int month, int day, int hour, int minute, int second)
{
    return quint32(year - 1980) << 25 | quint32(month) << 21 | quint32(day) << 16 | quint32(hour) << 11
        | quint32(minute) << 5 | quint32(second / 2);
}
