#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs tidemark-device on a pseudo-terminal of its own, serving a fresh
// temporary folder.
class DeviceEmulator
{
public:
    DeviceEmulator() = default;
    ~DeviceEmulator();

    // Starts the emulator with `options`; returns the path of the PC's end,
    // empty when it did not start.
    QString start(const QStringList &options = {});
    QString folder() const { return m_folder.path(); }
    QString file(const QString &name) const { return m_folder.filePath(name); }
    QString errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
};
