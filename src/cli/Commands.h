#pragma once

#include <QStringList>

// Sub-commands of tidemark-cli. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 error (message on stderr), 2 usage.
int RunConvert(const QStringList &args);
int RunList(const QStringList &args);
int RunDays(const QStringList &args);
int RunJulius(const QStringList &args);
int RunFetch(const QStringList &args);
int RunSend(const QStringList &args);

// Prints `text` to stdout as UTF-8 (LF line ends are the caller's).
void PrintOut(const QString &text);
void PrintErr(const QString &text);
int UsageError(const QString &text);
