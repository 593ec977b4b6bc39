#include "cli/Commands.h"

int RunDays(const QStringList &)
{
    return UsageError(QStringLiteral("days is not available yet"));
}

int RunJulius(const QStringList &)
{
    return UsageError(QStringLiteral("julius is not available yet"));
}
