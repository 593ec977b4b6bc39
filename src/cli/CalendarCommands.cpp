#include "calendar/HolidaySettings.h"
#include "calendar/Julius.h"
#include "cli/Commands.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QRegularExpression>
#include <optional>

namespace {

// Keeps every Julius day of the accepted years inside 32 bits.
constexpr int maxAbsYear = 999999;
constexpr int maxAbsJulius = 300000000;

QString formatYmd(int year, int month, int day)
{
    const QString y = QStringLiteral("%1").arg(qAbs(qint64(year)), 4, 10, QLatin1Char('0'));
    return QStringLiteral("%1%2-%3-%4")
        .arg(year < 0 ? QStringLiteral("-") : QString(), y)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

bool parseNumber(const QString &text, int limit, int &value)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (!ok || v < -limit || v > limit)
        return false;
    value = int(v);
    return true;
}

// "--" ends the options, so that a negative year is not taken for one.
QStringList withoutMarker(QStringList args)
{
    if (!args.isEmpty() && args.first() == u"--")
        args.removeFirst();
    return args;
}

} // namespace

int RunDays(const QStringList &rawArgs)
{
    // Options first; "--" ends them, and a negative year is no option.
    QStringList args;
    std::optional<QString> settingsPath;
    std::optional<QString> setName;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < rawArgs.size(); ++i) {
        const QString &a = rawArgs[i];
        if (optionsEnded || !a.startsWith(QLatin1String("--"))) {
            args << a;
            continue;
        }
        if (a == u"--") {
            optionsEnded = true;
            continue;
        }
        std::optional<QString> *target = nullptr;
        QString name = a;
        const qsizetype equals = a.indexOf(u'=');
        if (equals > 0)
            name = a.left(equals);
        if (name == u"--settings")
            target = &settingsPath;
        else if (name == u"--holidays")
            target = &setName;
        else
            return UsageError(QStringLiteral("unknown option '%1'").arg(a));
        if (equals > 0) {
            *target = a.mid(equals + 1);
        } else {
            if (i + 1 >= rawArgs.size())
                return UsageError(QStringLiteral("option '%1' needs a value").arg(a));
            *target = rawArgs[++i];
        }
    }
    if (args.size() != 2)
        return UsageError(QStringLiteral("days needs YEAR and MONTH"));
    int year = 0, month = 0;
    if (!parseNumber(args[0], maxAbsYear, year))
        return UsageError(QStringLiteral("YEAR must be a whole number from -%1 to %1").arg(maxAbsYear));
    if (!parseNumber(args[1], 12, month) || month < 1)
        return UsageError(QStringLiteral("MONTH must be a number from 1 to 12"));

    HolidaySet set = HolidaySet::Law;
    if (setName) {
        const std::optional<HolidaySet> parsed = ParseHolidaySetName(*setName);
        if (!parsed)
            return UsageError(QStringLiteral("--holidays must be 'law' or 'classic', not '%1'").arg(*setName));
        set = *parsed;
    } else if (settingsPath) {
        set = HolidaySetFromSettings(SettingsFile(*settingsPath));
    } else {
        set = HolidaySetFromSettings(Settings());
    }

    HolidayRules rules;
    ApplyHolidaySet(rules, set);
    QString out;
    const int last = JuliusMonthDays(year, month);
    for (int day = 1; day <= last; ++day) {
        if (year == 1582 && month == 10 && day >= 5 && day <= 14)
            continue;
        const int weekday = JuliusDayOfWeek(YmdToJulius(year, month, day));
        const TDayFlags flags = rules.GetDayFlags(year, month, day);
        out += QStringLiteral("%1\t%2\t%3\t%4\n")
                   .arg(formatYmd(year, month, day))
                   .arg(weekday)
                   .arg(int(flags.toInt()))
                   .arg(rules.GetDayNames(year, month, day));
    }
    PrintOut(out);
    return 0;
}

int RunJulius(const QStringList &rawArgs)
{
    const QStringList args = withoutMarker(rawArgs);
    if (args.size() != 1)
        return UsageError(QStringLiteral("julius needs one DATE (Y-M-D) or day number N"));
    const QString &arg = args[0];

    static const QRegularExpression datePattern(QStringLiteral("^\\s*(-?\\d+)-(\\d+)-(\\d+)\\s*$"));
    const QRegularExpressionMatch match = datePattern.match(arg);
    if (match.hasMatch()) {
        int year = 0, month = 0, day = 0;
        if (!parseNumber(match.captured(1), maxAbsYear, year) || !parseNumber(match.captured(2), 99, month)
            || !parseNumber(match.captured(3), 99, day))
            return UsageError(QStringLiteral("'%1' is out of range").arg(arg));
        try {
            if (!IsValidYmd(year, month, day)) {
                PrintErr(QStringLiteral("tidemark-cli: '%1' is not a valid date\n").arg(arg));
                return 1;
            }
            PrintOut(QStringLiteral("%1\n").arg(YmdToJulius(year, month, day)));
        } catch (const EJuliusError &e) {
            PrintErr(e.message() + u'\n');
            return 1;
        }
        return 0;
    }

    int julius = 0;
    if (!parseNumber(arg.trimmed(), maxAbsJulius, julius))
        return UsageError(
            QStringLiteral("'%1' is neither a date Y-M-D nor a day number from -%2 to %2").arg(arg).arg(maxAbsJulius));
    int year, month, day;
    JuliusToYmd(julius, year, month, day);
    PrintOut(formatYmd(year, month, day) + u'\n');
    return 0;
}
