// Times settings-file reads on a large file: the first read parses it, the
// following ones must not while the file is unchanged.
//
//   tidemark-bench-settings [MEGABYTES] [FOLDER]    (default 100, /dev/shm)
#include "settings/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Makes the file look as old as a settings file usually is.
void age(const QString &path)
{
    const timespec old[2] = {{1700000000, 0}, {1700000000, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0);
}

} // namespace

int main(int argc, char **argv)
{
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 100;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/dev/shm");
    const QString path = QDir(folder).filePath(QStringLiteral("tidemark-bench.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("[Option]\r\nDock=1\r\nIrDA=2\r\nSpeed=4\r\nRupAutoOpen=0\r\n[CSVOption]\r\nCommaChar=44\r\n");
        f.write("[Junk]\r\n");
        QByteArray line;
        for (qint64 n = 0; f.size() < qint64(megabytes) << 20; ++n) {
            line = "Key" + QByteArray::number(n) + "=" + QByteArray(40, 'x') + "\r\n";
            f.write(line);
        }
        f.write("[WindowPos]\r\nListForm=10,10,600,400,0\r\n");
    }
    age(path);

    SettingsFile settings(path);
    QElapsedTimer t;
    t.start();
    const int speed = settings.readInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 0);
    std::printf("first read (reads and parses %d MB): %.1f ms\n", megabytes, msSince(t));

    constexpr int Reads = 1000;
    t.restart();
    int sum = 0;
    for (int i = 0; i < Reads; ++i)
        sum += settings.readInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 0);
    std::printf("%d more reads of the unchanged file: %.3f ms each\n", Reads, msSince(t) / Reads);

    t.restart();
    settings.readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm"), {});
    std::printf("first read of the last section: %.1f ms\n", msSince(t));
    t.restart();
    settings.readString(QStringLiteral("Junk"), QStringLiteral("Key12345"), {});
    std::printf("first read in the %d MB section (indexes its keys): %.1f ms\n", megabytes, msSince(t));
    t.restart();
    for (int i = 0; i < Reads; ++i)
        settings.readString(QStringLiteral("Junk"), QStringLiteral("Key%1").arg(i * 97), {});
    std::printf("%d more reads in that section: %.3f ms each\n", Reads, msSince(t) / Reads);

    t.restart();
    settings.writeInteger(QStringLiteral("Option"), QStringLiteral("Speed"), speed == 4 ? 5 : 4);
    std::printf("one write (the whole file again): %.1f ms\n", msSince(t));
    t.restart();
    settings.readInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 0);
    std::printf("read right after the write (compares the bytes once): %.1f ms\n", msSince(t));
    age(path);
    t.restart();
    settings.readInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 0);
    std::printf("read after another program touched it (parses again): %.1f ms\n", msSince(t));
    t.restart();
    for (int i = 0; i < Reads; ++i)
        settings.readInteger(QStringLiteral("Option"), QStringLiteral("Dock"), 0);
    std::printf("%d more reads: %.3f ms each\n", Reads, msSince(t) / Reads);
    QFile::remove(path);
    return sum == Reads * speed ? 0 : 1;
}
