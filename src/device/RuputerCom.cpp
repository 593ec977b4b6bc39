#include "device/RuputerCom.h"

#include "data/Notifier.h"
#include "device/RupLibrary.h"
#include "device/RuputerComUi.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

const std::array<const char *, 10> SpeedTexts
    = {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200", "600", "300"};

bool PortSwitchAllowed = false;

int SpeedToBaud(int code)
{
    if (code < MinSpeed || code > MaxSpeed)
        return 0;
    return QByteArray(SpeedTexts[code - 1]).toInt();
}

QString SpeedText(int code)
{
    if (code < MinSpeed || code > MaxSpeed)
        return {};
    return QString::fromLatin1(SpeedTexts[code - 1]);
}

QString LinkKindName(TRupPort kind)
{
    return kind == rpIrPort ? QStringLiteral("赤外線") : QStringLiteral("ドッキングステーション");
}

QString TRuputerCom::ReceivingPath(const QString &localPath)
{
    const QFileInfo info(localPath);
    return info.dir().filePath(info.fileName() + QStringLiteral(".part"));
}

void ApplyDeviceOptions(TRuputerCom &com, const SettingsFile &settings)
{
    com.setDockPort(ReadSetting(settings, SettingKeys::Dock));
    com.setIrPort(ReadSetting(settings, SettingKeys::IrDA));
    com.setDefaultPort(ReadSetting(settings, SettingKeys::DefaultPort) ? rpDockPort : rpIrPort);
    com.setSpeed(ReadSetting(settings, SettingKeys::Speed));
}

TRuputerCom::TRuputerCom(QObject *owner)
    : QObject(owner)
{
    setObjectName(QStringLiteral("RupCom"));
}

QString TRuputerCom::Speedbps() const
{
    return SpeedText(m_speed);
}

void TRuputerCom::setDockPort(int port)
{
    if (port >= 0 && port <= MaxPort)
        m_dockPort = port;
}

void TRuputerCom::setIrPort(int port)
{
    if (port >= 0 && port <= MaxPort)
        m_irPort = port;
}

void TRuputerCom::setSpeed(int code)
{
    if (code >= MinSpeed && code <= MaxSpeed)
        m_speed = code;
}

QString TRuputerCom::PhaseNegotiation()
{
    return QStringLiteral("ネゴシエーション");
}

QString TRuputerCom::PhaseTransfer(Direction direction)
{
    return direction == Direction::Receive ? QStringLiteral("ダウンロード") : QStringLiteral("アップロード");
}

QString TRuputerCom::PhaseEnd()
{
    return QStringLiteral("終了処理");
}

bool TRuputerCom::Download(const QString &localPath, const QString &deviceFileName)
{
    return Transfer(Direction::Receive, localPath, deviceFileName);
}

bool TRuputerCom::Upload(const QString &localPath, const QString &deviceFileName)
{
    return Transfer(Direction::Send, localPath, deviceFileName);
}

TRuputerCom::Attempt TRuputerCom::TransferOnce(
    Direction direction, TRupPort kind, const QString &localPath, const QString &deviceFileName)
{
    RupLibrary &library = RupLibrary::instance();
    Notifier &notifier = Notifier::instance();
    const quintptr window = RuputerComUi::instance().windowHandle(parent());
    const int port = portOf(kind);
    Attempt attempt;
    qint32 code = 0;

    attempt.phase = PhaseNegotiation();
    if (library.u_nego(window, port, 5, m_speed, &code) != 0) {
        attempt.errorCode = code;
        notifier.sound(Notifier::Sound::Exclamation);
        return attempt;
    }

    attempt.phase = PhaseTransfer(direction);
    const int result = direction == Direction::Receive
        ? library.u_download(window, port, -1, m_speed, deviceFileName, localPath, &code)
        : library.u_upload(window, port, -1, m_speed, localPath, deviceFileName, &code);
    if (result != 0) {
        attempt.errorCode = code;
        qint32 scratch = 0; // keeps the transfer's own code for the report
        library.u_end(window, port, 5, m_speed, &scratch);
        // Cancel was the user's own choice, not a fault to warn about.
        if (code != RupError::Cancelled)
            notifier.sound(Notifier::Sound::Exclamation);
        return attempt;
    }

    attempt.phase = PhaseEnd();
    if (library.u_end(window, port, 5, m_speed, &code) != 0) {
        attempt.errorCode = code;
        notifier.sound(Notifier::Sound::Exclamation);
        return attempt;
    }

    notifier.sound(Notifier::Sound::Asterisk);
    attempt.ok = true;
    attempt.errorCode = 0;
    return attempt;
}

QString TRuputerCom::errorText(Direction direction, TRupPort kind, const Attempt &attempt, bool withMeaning) const
{
    QString text = direction == Direction::Send ? QStringLiteral("Ruputerへの送信に失敗しました。")
                                                : QStringLiteral("Ruputerからの受信に失敗しました。");
    text += u'(' + QString::number(attempt.errorCode) + u')';
    // Codes of the link's own table get their meaning; an outside library's
    // other codes are its own.
    if (withMeaning && attempt.errorCode >= RupError::NoPort && attempt.errorCode <= RupError::BadArgument)
        text += u' ' + DeviceErrorText(attempt.errorCode);
    text
        += QStringLiteral("\r\nPort = ") + LinkKindName(kind) + QStringLiteral("，COM") + QString::number(portOf(kind));
    text += QStringLiteral("\r\nSpeed = ") + Speedbps();
    text += QStringLiteral("\r\nPhase = ") + attempt.phase;
    return text;
}

bool TRuputerCom::Transfer(Direction direction, const QString &localPath, const QString &deviceFileName)
{
    TRupPort kind = m_defaultPort;
    const QString target = direction == Direction::Receive ? ReceivingPath(localPath) : localPath;
    for (;;) {
        const Attempt attempt = TransferOnce(direction, kind, target, deviceFileName);
        if (attempt.ok) {
            if (direction == Direction::Receive) {
                // The received copy replaces the old one only now, in one step.
                std::error_code error;
                std::filesystem::rename(
                    QFile::encodeName(target).toStdString(), QFile::encodeName(localPath).toStdString(), error);
                if (error) {
                    QFile::remove(target);
                    Notifier::instance().showError(QStringLiteral("%1 を置き換えられません").arg(localPath));
                    return false;
                }
            }
            return true;
        }
        if (direction == Direction::Receive)
            QFile::remove(target);
        // Cancel in the progress window already was the user's answer.
        if (attempt.errorCode == RupError::Cancelled)
            return false;

        const QString text = errorText(direction, kind, attempt);
        PortSwitchAllowed = m_dockPort != 0 && m_irPort != 0;
        const RupDlgResult answer = RuputerComUi::instance().showErrorDialog(text);
        if (answer == RupDlgResult::Cancel)
            return false;
        if (answer == RupDlgResult::Yes)
            kind = kind == rpDockPort ? rpIrPort : rpDockPort;
    }
}
