#include "cli/Commands.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace {

struct DataArgs
{
    QString settingsPath;
    bool hasSettings = false;
    QStringList files;
};

// Splits `[--settings FILE] FILES...`; returns false with a usage error
// message in `error`.
bool parseArgs(const QStringList &args, int fileCount, DataArgs &out, QString &error)
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
