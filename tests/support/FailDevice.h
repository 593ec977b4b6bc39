#pragma once

#include <QBuffer>

// A buffer that takes or gives only its first `limit` bytes; every read or
// write beyond them fails, as a full disk or a pulled medium would.
class FailDevice : public QBuffer
{
public:
    explicit FailDevice(qint64 limit, QObject *parent = nullptr)
        : QBuffer(parent)
        , m_limit(limit)
    { }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (pos() >= m_limit)
            return -1;
        return QBuffer::readData(data, qMin(maxSize, m_limit - pos()));
    }

    qint64 writeData(const char *data, qint64 len) override
    {
        if (pos() >= m_limit)
            return -1;
        return QBuffer::writeData(data, qMin(len, m_limit - pos()));
    }

private:
    qint64 m_limit;
};
