#include "cli/Commands.h"

int RunConvert(const QStringList &)
{
    return UsageError(QStringLiteral("convert is not available yet"));
}

int RunList(const QStringList &)
{
    return UsageError(QStringLiteral("list is not available yet"));
}
