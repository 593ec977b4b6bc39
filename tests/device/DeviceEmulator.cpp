#include "DeviceEmulator.h"

#include <QDeadlineTimer>

DeviceEmulator::~DeviceEmulator()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString DeviceEmulator::start(const QStringList &options)
{
    const QString program = qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-device");
    m_process.start(program, options + QStringList {m_folder.path()});
    if (!m_process.waitForStarted(10000))
        return {};
    QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return {};
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    }
    return QString::fromLocal8Bit(m_process.readLine()).trimmed();
}
