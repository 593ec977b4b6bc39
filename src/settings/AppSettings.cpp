#include "settings/AppSettings.h"

#include "data/DateValue.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>

namespace {

std::unique_ptr<SettingsFile> shared;
QString programDir;

QString withSlash(QString dir)
{
    dir = QDir::cleanPath(dir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString applicationDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

bool isWritableDir(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable() && !IsSystemDir(dir);
}

} // namespace

bool IsSystemDir(const QString &dir)
{
    // Canonical, so that /bin, a link to /usr/bin, counts too.
    QString path = QFileInfo(dir).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(dir);
    static const QStringList commandDirs = {QStringLiteral("/bin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
        QStringLiteral("/usr/sbin"), QStringLiteral("/usr/games"), QStringLiteral("/usr/local/bin"),
        QStringLiteral("/usr/local/sbin"), QStringLiteral("/usr/local/games")};
    return commandDirs.contains(path);
}

QString DefaultSettingsPath()
{
    const QString env = qEnvironmentVariable("TIDEMARK_SETTINGS");
    if (!env.isEmpty())
        return env;
    // Named after the main program, so that tidemark-cli beside it reads the
    // same file.
    const QString dir = applicationDir();
    if (isWritableDir(dir))
        return QDir(dir).absoluteFilePath(QStringLiteral("tidemark.ini"));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tidemark/tidemark.ini");
}

QString DefaultProgramDir()
{
    const QString env = qEnvironmentVariable("TIDEMARK_PROGRAM_DIR");
    if (!env.isEmpty())
        return withSlash(env);
    const QString dir = applicationDir();
    if (isWritableDir(dir))
        return withSlash(dir);
    const QString data
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tidemark");
    QDir().mkpath(data);
    return withSlash(data);
}

void InitSettings()
{
    InitSettings(DefaultSettingsPath());
}

void InitSettings(const QString &path)
{
    shared = std::make_unique<SettingsFile>(path);
    programDir = DefaultProgramDir();
    SetTwoDigitYearWindow(50);
}

SettingsFile &Settings()
{
    if (!shared)
        InitSettings();
    return *shared;
}

QString ProgramDir()
{
    if (programDir.isEmpty())
        programDir = DefaultProgramDir();
    return programDir;
}
