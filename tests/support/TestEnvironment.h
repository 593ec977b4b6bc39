#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// Gives a test its own empty settings file and program directory, and a fixed
// "now". Restores the real clock when destroyed.
class TestEnvironment
{
public:
    explicit TestEnvironment(const QDateTime &now = QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    ~TestEnvironment();

    QString settingsPath() const;
    QString programDir() const;
    // A path inside the test's own temporary directory.
    QString path(const QString &name) const;

    // Deletes the settings file and reopens the shared settings object.
    void resetSettings();

private:
    QTemporaryDir m_dir;
};
