#pragma once

#include "device/RupLibrary.h"

#include <map>
#include <memory>

class QSerialPort;
class TransferProgress;

// The communication library built on QSerialPort, for when no outside
// library is installed. Port n is the serial device named by section
// "Ports", key "COMn" of the settings file, by default /dev/ttyS{n-1}
// ("COMn" on Windows). u_nego opens the port and negotiates, u_download and
// u_upload move the file over the open port, u_end closes the link; the
// protocol and the error codes are in docs/device-link.md.
class SerialRupLibrary : public RupLibrary
{
public:
    SerialRupLibrary();
    ~SerialRupLibrary() override;

    int u_nego(quintptr window, int port, int timeout, int speed, qint32 *error) override;
    int u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
        const QString &localPath, qint32 *error) override;
    int u_upload(quintptr window, int port, int timeout, int speed, const QString &localPath,
        const QString &deviceFileName, qint32 *error) override;
    int u_end(quintptr window, int port, int timeout, int speed, qint32 *error) override;

    // Seconds a transfer waits for an answer when called with timeout -1.
    static constexpr int DefaultTransferTimeout = 10;
    // The serial device of port `port` as the settings name it.
    static QString deviceName(int port);
    // Replaces every answer timeout by `ms` milliseconds (0: the callers'
    // values). For tests, which must not wait seconds for silence.
    static void setAnswerTimeoutOverride(int ms);

private:
    struct Link;
    int fail(int port, qint32 code, qint32 *error);
    Link *openLink(int port);

    std::map<int, std::unique_ptr<Link>> m_links;
};
