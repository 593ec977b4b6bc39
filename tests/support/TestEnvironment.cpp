#include "TestEnvironment.h"

#include "data/Clock.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>

TestEnvironment::TestEnvironment(const QDateTime &now)
{
    QDir().mkpath(programDir());
    qputenv("TIDEMARK_SETTINGS", settingsPath().toUtf8());
    qputenv("TIDEMARK_PROGRAM_DIR", programDir().toUtf8());
    Clock::setFixed(now);
    InitSettings();
}

TestEnvironment::~TestEnvironment()
{
    Clock::clearFixed();
}

QString TestEnvironment::settingsPath() const
{
    return m_dir.filePath(QStringLiteral("tidemark.ini"));
}

QString TestEnvironment::programDir() const
{
    return m_dir.filePath(QStringLiteral("program"));
}

QString TestEnvironment::path(const QString &name) const
{
    return m_dir.filePath(name);
}

void TestEnvironment::resetSettings()
{
    QFile::remove(settingsPath());
    InitSettings();
}
