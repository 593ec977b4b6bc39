#include "cli/Commands.h"
#include "data/DocumentSaveFile.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char usage[] = "Usage: tidemark-cli COMMAND [ARGS]\n"
                     "\n"
                     "Commands:\n"
                     "  convert [--settings FILE] INPUT OUTPUT\n"
                     "      Load INPUT and save it as OUTPUT (CSV when the extension is .csv,\n"
                     "      else the item file).\n"
                     "  list [--settings FILE] INPUT\n"
                     "      Print one line per item: title and the six list texts, TAB-separated.\n"
                     "  days [--settings FILE] [--holidays law|classic] YEAR MONTH\n"
                     "      Print every day of a month: date, weekday, day flags and holiday names.\n"
                     "      law: today's holiday law; classic: the fifteen holiday lines with the\n"
                     "      equinox days and substitute holidays. Without --holidays the setting\n"
                     "      \"HolidayLaw\" of section \"Option\" decides (no settings file: law).\n"
                     "  julius DATE|N\n"
                     "      Print the Julian day number of DATE (Y-M-D), or the date of day N.\n"
                     "  fetch [--settings FILE] [--port N] [--speed CODE] DEVICEFILE LOCAL\n"
                     "      Copy DEVICEFILE from the device to LOCAL. LOCAL is replaced only\n"
                     "      when the whole file has arrived and the link ended cleanly.\n"
                     "  send [--settings FILE] [--port N] [--speed CODE] LOCAL DEVICEFILE\n"
                     "      Copy LOCAL to the device as DEVICEFILE.\n"
                     "      Both make one attempt over the port of section [Option] of the\n"
                     "      settings file (Dock, IrDA, DefaultPort, Speed) and the serial device\n"
                     "      of section [Ports]; --port and --speed (codes 1 = 115200 ... 10 = 300\n"
                     "      bit/s) override them. DEVICEFILE is sent in code page 932. A failure\n"
                     "      prints the error code and its meaning and exits with status 1.\n"
                     "\n"
                     "Options:\n"
                     "  --help       Show this text.\n"
                     "  --version    Show the version.\n";

} // namespace

void PrintOut(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
}

void PrintErr(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
}

int UsageError(const QString &text)
{
    PrintErr(QStringLiteral("tidemark-cli: ") + text + QStringLiteral("\nTry 'tidemark-cli --help'.\n"));
    return 2;
}

int main(int argc, char *argv[])
{
    IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tidemark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return UsageError(QStringLiteral("missing command"));
    const QString command = args.takeFirst();
    if (command == u"--help" || command == u"-h") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == u"--version") {
        PrintOut(QStringLiteral("tidemark-cli " TIDEMARK_VERSION "\n"));
        return 0;
    }
    if (command == u"convert")
        return RunConvert(args);
    if (command == u"list")
        return RunList(args);
    if (command == u"days")
        return RunDays(args);
    if (command == u"julius")
        return RunJulius(args);
    if (command == u"fetch")
        return RunFetch(args);
    if (command == u"send")
        return RunSend(args);
    return UsageError(QStringLiteral("unknown command '%1'").arg(command));
}
