#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// What one run of a program gave: its exit status (-1 when it did not end
// within a minute, -2 when it crashed), its standard output and its errors.
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline Run RunProgram(const QString &program, const QStringList &args,
    const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
