#include "cli/Commands.h"
#include "data/TextCodec.h"
#include "device/RupLibrary.h"
#include "device/RuputerCom.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <optional>

namespace {

struct LinkArgs
{
    std::optional<QString> settingsPath;
    std::optional<int> port;
    std::optional<int> speed;
    QStringList files;
};

std::optional<int> numberIn(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// Splits `[--settings FILE] [--port N] [--speed CODE] A B`; false with a
// usage error message in `error`.
bool parseLinkArgs(const QStringList &args, LinkArgs &out, QString &error)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (optionsEnded || a == u"-" || !a.startsWith(u'-')) {
            out.files.append(a);
            continue;
        }
        if (a == u"--") {
            optionsEnded = true;
            continue;
        }
        QString name = a;
        QString value;
        const qsizetype eq = a.indexOf(u'=');
        if (eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
        } else if (a == u"--settings" || a == u"--port" || a == u"--speed") {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option '%1' needs a value").arg(a);
                return false;
            }
            value = args[++i];
        }
        if (name == u"--settings") {
            out.settingsPath = value;
        } else if (name == u"--port") {
            out.port = numberIn(value, 0, MaxPort);
            if (!out.port) {
                error = QStringLiteral("port must be a number from 0 to %1").arg(MaxPort);
                return false;
            }
        } else if (name == u"--speed") {
            out.speed = numberIn(value, MinSpeed, MaxSpeed);
            if (!out.speed) {
                error = QStringLiteral("speed code must be a number from %1 to %2").arg(MinSpeed).arg(MaxSpeed);
                return false;
            }
        } else {
            error = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        }
    }
    if (out.files.size() != 2) {
        error = out.files.size() < 2 ? QStringLiteral("missing file name") : QStringLiteral("too many arguments");
        return false;
    }
    return true;
}

// The report of a failed attempt as the window's error dialog words it,
// followed by what the code means.
int reportFailure(
    const TRuputerCom &com, TRuputerCom::Direction direction, TRupPort kind, const TRuputerCom::Attempt &attempt)
{
    // The meaning follows on a line of its own.
    QString text = com.errorText(direction, kind, attempt, false);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    PrintErr(QStringLiteral("tidemark-cli: ") + text + u'\n' + QString::number(attempt.errorCode) + QStringLiteral(": ")
        + DeviceErrorText(attempt.errorCode) + u'\n');
    return 1;
}

int reportLocal(qint32 code, const QString &path)
{
    PrintErr(QStringLiteral("tidemark-cli: %1: %2: %3\n").arg(path, QString::number(code), DeviceErrorText(code)));
    return 1;
}

int runTransfer(TRuputerCom::Direction direction, const QStringList &args)
{
    const bool receiving = direction == TRuputerCom::Direction::Receive;
    const QString command = receiving ? QStringLiteral("fetch: ") : QStringLiteral("send: ");
    LinkArgs parsed;
    QString error;
    if (!parseLinkArgs(args, parsed, error))
        return UsageError(command + error);
    const QString deviceFile = receiving ? parsed.files[0] : parsed.files[1];
    const QString local = receiving ? parsed.files[1] : parsed.files[0];
    if (deviceFile.isEmpty() || local.isEmpty())
        return UsageError(command + QStringLiteral("empty file name"));
    // The device names its files in code page 932; a name without a form
    // there would reach it as some other name.
    if (!Cp932::canEncode(deviceFile) || deviceFile.contains(QChar(0)))
        return UsageError(command + QStringLiteral("device file name '%1' has no code page 932 form").arg(deviceFile));

    if (parsed.settingsPath)
        InitSettings(*parsed.settingsPath);
    SettingsFile &settings = Settings();

    const QFileInfo localInfo(local);
    if (receiving && localInfo.exists() && !localInfo.isFile())
        return reportLocal(RupError::LocalWrite, local); // a FIFO or device is not replaced by a file
    if (!receiving && !localInfo.isFile()) {
        PrintErr(QStringLiteral("tidemark-cli: ファイルが見つかりません\"%1\"\n").arg(local));
        return 1;
    }

    TRuputerCom com;
    ApplyDeviceOptions(com, settings);
    const TRupPort kind = com.DefaultPort();
    if (parsed.port)
        kind == rpDockPort ? com.setDockPort(*parsed.port) : com.setIrPort(*parsed.port);
    if (parsed.speed)
        com.setSpeed(*parsed.speed);

    // One attempt, received beside LOCAL: LOCAL changes only in one step
    // after the link has ended cleanly.
    const QString target = receiving ? TRuputerCom::ReceivingPath(local) : local;
    const TRuputerCom::Attempt attempt = com.TransferOnce(direction, kind, target, deviceFile);
    if (!attempt.ok) {
        if (receiving)
            QFile::remove(target);
        return reportFailure(com, direction, kind, attempt);
    }
    if (receiving) {
        std::error_code renameError;
        std::filesystem::rename(
            QFile::encodeName(target).toStdString(), QFile::encodeName(local).toStdString(), renameError);
        if (renameError) {
            QFile::remove(target);
            return reportLocal(RupError::LocalWrite, local);
        }
    }
    return 0;
}

} // namespace

int RunFetch(const QStringList &args)
{
    return runTransfer(TRuputerCom::Direction::Receive, args);
}

int RunSend(const QStringList &args)
{
    return runTransfer(TRuputerCom::Direction::Send, args);
}
