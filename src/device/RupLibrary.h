#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// The device's communication library: four calls, each returning 0 on success
// and non-zero on failure, with an error code written through `error`.
//
// `window` is the native handle of the window that owns the transfer (0 when
// there is none); `port` the COM port number; `timeout` the answer timeout in
// seconds, -1 for the library's own default. `speed` is the speed code 1..10,
// never a bit rate. Names are handed over as text; an external library gets
// them as NUL-terminated code page 932 strings, source before destination.
class RupLibrary
{
public:
    virtual ~RupLibrary();

    virtual int u_nego(quintptr window, int port, int timeout, int speed, qint32 *error) = 0;
    virtual int u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
        const QString &localPath, qint32 *error)
        = 0;
    virtual int u_upload(quintptr window, int port, int timeout, int speed, const QString &localPath,
        const QString &deviceFileName, qint32 *error)
        = 0;
    virtual int u_end(quintptr window, int port, int timeout, int speed, qint32 *error) = 0;

    // The library in use. On first use: the library named by section "Ports",
    // key "Library" of the settings file, else libK660rsh32.so beside the
    // program or on the library path, else the built-in serial link.
    static RupLibrary &instance();
    // Puts `library` (not owned) in place; nullptr goes back to the search
    // above on the next use.
    static void install(RupLibrary *library);
    // A short description of the library in use ("built-in serial link" or
    // the file that was loaded).
    static QString description();
};

// Loads an external library exporting u_nego, u_download, u_upload and u_end
// with C linkage. Null when the file cannot be loaded or lacks a function.
std::unique_ptr<RupLibrary> LoadExternalRupLibrary(const QString &fileName, QString *loadedFrom = nullptr);

// Error codes of the built-in serial link (docs/device-link.md).
namespace RupError {
enum : qint32 {
    None = 0,
    NoPort = 1, // port number 0: link not configured
    CannotOpenPort = 2, // the serial device cannot be opened
    NoAnswer = 3, // the device did not answer a command in time
    Refused = 4, // the device refused the command
    FileNotFound = 5, // the device has no such file
    LocalRead = 6, // the local file cannot be read
    LocalWrite = 7, // the local file cannot be written
    Checksum = 8, // a block arrived damaged again and again
    LinkBroken = 9, // silence or garbage in the middle of a transfer, port lost
    Cancelled = 10, // the user pressed Cancel in the progress window
    NotNegotiated = 11, // transfer or end without a negotiated link
    BadArgument = 12, // speed code outside 1..10, device file name unusable
};
}

// What an error code of the link means, in Japanese ("" for 0): for reports
// that show the code.
QString DeviceErrorText(int code);
