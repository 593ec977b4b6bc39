#pragma once

#include <QString>
#include <exception>

// An error raised by a load, a save or a calculation. It carries the Japanese
// message that the command which started the operation shows.
class AppError : public std::exception
{
public:
    explicit AppError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    { }

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

enum class FileAction { Find, Open, Read, Create, Write };

// The message of a failed file operation, naming the file when `path` is
// given.
QString FileErrorMessage(FileAction action, const QString &path = QString());
