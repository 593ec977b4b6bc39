#pragma once

#include <QObject>
#include <QString>
#include <array>

// The device link: moves one file between the PC and the Ruputer, in either
// direction, through the communication library (RupLibrary.h). It picks the
// port and speed code, calls the library in the right order, composes the
// error report and runs the retry-or-switch dialog until the transfer works
// or the user cancels.
//
// The main window holds one instance, `RupCom`, owned by the main window
// (the owner's window handle is handed to the library), and sets `DockPort`,
// `IrPort`, `DefaultPort` and `Speed` from the settings before use:
//
//     RupCom = new TRuputerCom(this);
//     RupCom->setDockPort(Settings().readInteger("Option", "Dock", 1));
//     ...
//     if (RupCom->Download(localPath, deviceFileName)) ...
//     if (RupCom->Upload(localPath, deviceFileName)) ...
//
// The GUI calls InstallRuputerComWidgets() (device/RuputerComWidgets.h) once
// at start so that the error dialog and the progress window are real windows;
// without it (command-line tool) errors go to the notifier and every failure
// ends the operation as if cancelled.

enum TRupPort { rpDockPort = 0, rpIrPort = 1 };

// Speed codes 1..10 and their texts in bits per second.
inline constexpr int MinSpeed = 1;
inline constexpr int MaxSpeed = 10;
inline constexpr int MaxPort = 10;
extern const std::array<const char *, 10> SpeedTexts; // index = code - 1
// The bit rate of a speed code, 0 for a code outside 1..10.
int SpeedToBaud(int code);
// "115200" ... "300"; empty outside 1..10.
QString SpeedText(int code);
// "ドッキングステーション", "赤外線".
QString LinkKindName(TRupPort kind);

// Set by Transfer before each error dialog: true when both ports are
// configured, so the dialog offers switching to the other link kind.
extern bool PortSwitchAllowed;

class SettingsFile;
class TRuputerCom;
// Sets the ports, the default link kind and the speed code from section
// "Option" of `settings`, as the main window does before a transfer.
void ApplyDeviceOptions(TRuputerCom &com, const SettingsFile &settings);

// Modal results of the error dialog.
enum class RupDlgResult { Cancel = 0, Retry = 4, Yes = 6 };

class TRuputerCom : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int DockPort READ DockPort WRITE setDockPort)
    Q_PROPERTY(int IrPort READ IrPort WRITE setIrPort)
    Q_PROPERTY(int DefaultPort READ defaultPortValue WRITE setDefaultPortValue)
    Q_PROPERTY(int Speed READ Speed WRITE setSpeed)
    Q_PROPERTY(QString Speedbps READ Speedbps)

public:
    enum class Direction { Receive, Send };

    explicit TRuputerCom(QObject *owner = nullptr);

    int DockPort() const { return m_dockPort; }
    int IrPort() const { return m_irPort; }
    TRupPort DefaultPort() const { return m_defaultPort; }
    int Speed() const { return m_speed; }
    QString Speedbps() const;

    // Out-of-range values (ports outside 0..10, speed outside 1..10) are
    // ignored: the property keeps its value.
    void setDockPort(int port);
    void setIrPort(int port);
    void setDefaultPort(TRupPort kind) { m_defaultPort = kind; }
    void setSpeed(int code);

    // Copies the device file to `localPath`. The file is received into a
    // temporary file beside `localPath`, which replaces it only when the
    // whole attempt succeeded, so a failed download never leaves a broken
    // copy in place of a good one. False when the user cancelled.
    bool Download(const QString &localPath, const QString &deviceFileName);
    // Copies `localPath` to the device as `deviceFileName`. False when the
    // user cancelled.
    bool Upload(const QString &localPath, const QString &deviceFileName);

    struct Attempt
    {
        bool ok = false;
        QString phase;
        int errorCode = 0;
    };
    // One negotiate / transfer / end sequence over link kind `kind`.
    Attempt TransferOnce(Direction direction, TRupPort kind, const QString &localPath, const QString &deviceFileName);
    // Attempts until success (true) or until the user cancels (false).
    bool Transfer(Direction direction, const QString &localPath, const QString &deviceFileName);

    int portOf(TRupPort kind) const { return kind == rpDockPort ? m_dockPort : m_irPort; }
    // The report of a failed attempt; `withMeaning` puts the code's meaning
    // beside it.
    QString errorText(Direction direction, TRupPort kind, const Attempt &attempt, bool withMeaning = true) const;

    // Where a download is received before it replaces `localPath`.
    static QString ReceivingPath(const QString &localPath);

    static QString PhaseNegotiation();
    static QString PhaseTransfer(Direction direction);
    static QString PhaseEnd();

private:
    int defaultPortValue() const { return int(m_defaultPort); }
    void setDefaultPortValue(int v) { m_defaultPort = v == int(rpIrPort) ? rpIrPort : rpDockPort; }

    int m_dockPort = 1;
    int m_irPort = 2;
    TRupPort m_defaultPort = rpDockPort;
    int m_speed = 4;
};
