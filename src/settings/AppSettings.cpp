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
    return info.isDir() && info.isWritable();
}

} // namespace

QString DefaultSettingsPath()
{
    const QString env = qEnvironmentVariable("TIDEMARK_SETTINGS");
    if (!env.isEmpty())
        return env;
    const QString dir = applicationDir();
    if (isWritableDir(dir)) {
        const QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                         : dir + QStringLiteral("/tidemark");
        const QFileInfo info(exe);
        return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".ini");
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/tidemark.ini");
}

QString DefaultProgramDir()
{
    const QString env = qEnvironmentVariable("TIDEMARK_PROGRAM_DIR");
    if (!env.isEmpty())
        return withSlash(env);
    const QString dir = applicationDir();
    if (isWritableDir(dir))
        return withSlash(dir);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
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
