#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "cli/Commands.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "schedule/ICalendarWriter.h"
#include "schedule/Schedule.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

struct DataArgs
{
    QString settingsPath;
    bool hasSettings = false;
    QString holidays;
    bool hasHolidays = false;
    QStringList files;
};

// Splits `[--settings FILE] [--holidays SET] FILES...` (--holidays only where
// `holidays` allows it); returns false with a usage error message in `error`.
bool parseArgs(const QStringList &args, int fileCount, DataArgs &out, QString &error, bool holidays = false)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && a == u"--settings") {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option '--settings' needs a file name");
                return false;
            }
            out.settingsPath = args[++i];
            out.hasSettings = true;
        } else if (!optionsEnded && a.startsWith(QLatin1String("--settings="))) {
            out.settingsPath = a.mid(11);
            out.hasSettings = true;
        } else if (holidays && !optionsEnded && a == u"--holidays") {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option '--holidays' needs law or classic");
                return false;
            }
            out.holidays = args[++i];
            out.hasHolidays = true;
        } else if (holidays && !optionsEnded && a.startsWith(QLatin1String("--holidays="))) {
            out.holidays = a.mid(11);
            out.hasHolidays = true;
        } else if (!optionsEnded && a.size() > 1 && a.startsWith(u'-')) {
            error = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        } else {
            out.files.append(a);
        }
    }
    if (out.files.size() != fileCount) {
        error
            = out.files.size() < fileCount ? QStringLiteral("missing file name") : QStringLiteral("too many arguments");
        return false;
    }
    return true;
}

// Loads `input` the way the main window opens a document. False (message
// shown) when the file is missing or the load fails.
bool loadDocument(TData &data, SettingsFile &settings, const QString &input)
{
    // Loading treats a missing file as an empty document; here it is an error.
    if (!QFileInfo(input).isFile()) {
        Notifier::instance().showError(FileErrorMessage(FileAction::Find, input));
        return false;
    }
    try {
        ApplyCSVOption(data, settings);
        data.LoadFromFile(input);
    } catch (const AppError &e) {
        Notifier::instance().showError(e.message());
        return false;
    }
    return true;
}

// One item is one line: control characters (a TAB, CR or LF in a title
// would split it) are printed as spaces.
QString oneLineField(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    return text;
}

template <typename Body> int runWithSettings(const DataArgs &args, Body body)
{
    std::unique_ptr<SettingsFile> own;
    if (args.hasSettings)
        own = std::make_unique<SettingsFile>(args.settingsPath);
    SettingsFile &settings = own ? *own : Settings();
    TData data(settings);
    return body(data, settings);
}

} // namespace

int RunConvert(const QStringList &args)
{
    DataArgs parsed;
    QString error;
    if (!parseArgs(args, 2, parsed, error))
        return UsageError(QStringLiteral("convert: ") + error);
    return runWithSettings(parsed, [&](TData &data, SettingsFile &settings) {
        if (!loadDocument(data, settings, parsed.files[0]))
            return 1;
        try {
            ApplyCSVOption(data, settings);
            data.SaveToFile(parsed.files[1]);
        } catch (const AppError &e) {
            Notifier::instance().showError(e.message());
            return 1;
        }
        return 0;
    });
}

int RunList(const QStringList &args)
{
    DataArgs parsed;
    QString error;
    if (!parseArgs(args, 1, parsed, error))
        return UsageError(QStringLiteral("list: ") + error);
    return runWithSettings(parsed, [&](TData &data, SettingsFile &settings) {
        if (!loadDocument(data, settings, parsed.files[0]))
            return 1;
        QString out;
        ListRow row;
        for (int i = 0; i < data.count(); ++i) {
            data.at(i)->FillListItem(row);
            out += oneLineField(row.caption);
            for (const QString &sub : row.subItems) {
                out += u'\t';
                out += oneLineField(sub);
            }
            out += u'\n';
            if (out.size() > (1 << 20)) {
                PrintOut(out);
                out.clear();
            }
        }
        PrintOut(out);
        std::fflush(stdout);
        return 0;
    });
}

namespace {

// YYYY-MM-DD within 1901-01-01..2099-12-31.
std::optional<int> parseAgendaDate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<DateValue> date
        = TryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date || *date < ScheduleEvaluator::firstNominalDay() || *date > ScheduleEvaluator::lastNominalDay())
        return std::nullopt;
    return int(*date);
}

QString isoDate(int day)
{
    return FormatDateParts(day, u"-");
}

// The set --holidays names, else the one chosen in the settings.
HolidaySet holidaySetFor(const DataArgs &args, const SettingsFile &settings)
{
    if (args.hasHolidays)
        return *ParseHolidaySetName(args.holidays);
    return HolidaySetFromSettings(settings);
}

// FROM and TO as agenda takes them; false with the usage error in `error`.
bool parseRange(const QString &fromText, const QString &toText, int &from, int &to, QString &error)
{
    const std::optional<int> f = parseAgendaDate(fromText);
    const std::optional<int> t = parseAgendaDate(toText);
    if (!f || !t) {
        error = QStringLiteral("FROM and TO are dates YYYY-MM-DD from 1901-01-01 to 2099-12-31");
        return false;
    }
    if (*f > *t) {
        error = QStringLiteral("FROM is after TO");
        return false;
    }
    from = *f;
    to = *t;
    return true;
}

} // namespace

int RunAgenda(const QStringList &args)
{
    DataArgs parsed;
    QString error;
    if (!parseArgs(args, 3, parsed, error, true))
        return UsageError(QStringLiteral("agenda: ") + error);
    const std::optional<HolidaySet> named
        = parsed.hasHolidays ? ParseHolidaySetName(parsed.holidays) : std::optional<HolidaySet>();
    if (parsed.hasHolidays && !named)
        return UsageError(
            QStringLiteral("agenda: --holidays must be 'law' or 'classic', not '%1'").arg(parsed.holidays));
    const std::optional<int> from = parseAgendaDate(parsed.files[1]);
    const std::optional<int> to = parseAgendaDate(parsed.files[2]);
    if (!from || !to)
        return UsageError(QStringLiteral("agenda: FROM and TO are dates YYYY-MM-DD from 1901-01-01 to 2099-12-31"));
    if (*from > *to)
        return UsageError(QStringLiteral("agenda: FROM is after TO"));

    return runWithSettings(parsed, [&](TData &data, SettingsFile &settings) {
        if (!loadDocument(data, settings, parsed.files[0]))
            return 1;
        HolidayRules rules;
        ApplyHolidaySet(rules, named ? *named : HolidaySetFromSettings(settings));
        ScheduleEvaluator evaluator(rules);
        QString out;
        for (const Occurrence &o : evaluator.documentOccurrences(data, *from, *to)) {
            out += isoDate(o.target) + u'\t' + isoDate(o.lastDay) + u'\t' + isoDate(o.nominal) + u'\t'
                + isoDate(o.shownFrom) + u'\t' + (o.openEnd ? QStringLiteral("済まで") : isoDate(o.shownTo)) + u'\t'
                + QString::number(o.itemIndex + 1) + u'\t' + data.at(o.itemIndex)->Title + u'\n';
            if (out.size() > (1 << 20)) {
                PrintOut(out);
                out.clear();
            }
        }
        PrintOut(out);
        std::fflush(stdout);
        return 0;
    });
}

int RunICal(const QStringList &args)
{
    DataArgs parsed;
    QString error;
    if (!parseArgs(args, 4, parsed, error, true))
        return UsageError(QStringLiteral("ical: ") + error);
    if (parsed.hasHolidays && !ParseHolidaySetName(parsed.holidays))
        return UsageError(QStringLiteral("ical: --holidays must be 'law' or 'classic', not '%1'").arg(parsed.holidays));
    int from = 0, to = 0;
    if (!parseRange(parsed.files[2], parsed.files[3], from, to, error))
        return UsageError(QStringLiteral("ical: ") + error);

    return runWithSettings(parsed, [&](TData &data, SettingsFile &settings) {
        if (!loadDocument(data, settings, parsed.files[0]))
            return 1;
        HolidayRules rules;
        ApplyHolidaySet(rules, holidaySetFor(parsed, settings));
        try {
            SaveICalendar(data, rules, from, to, parsed.files[1]);
        } catch (const AppError &e) {
            Notifier::instance().showError(e.message());
            return 1;
        }
        return 0;
    });
}
