// Replays fuzz inputs without libFuzzer: every file of the folders (or the
// files) named on the command line, and an empty input.
#include "FuzzSupport.h"

#include <QDirIterator>
#include <algorithm>

int main(int argc, char **argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            for (QDirIterator it(arg, QDir::Files); it.hasNext();)
                files << it.next();
        } else if (QFileInfo(arg).isFile()) {
            files << arg;
        }
    }
    std::sort(files.begin(), files.end());
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (const QString &file : std::as_const(files)) {
        const QByteArray bytes = fuzz::readFile(file);
        std::printf("%s (%lld bytes)\n", qPrintable(QFileInfo(file).fileName()), static_cast<long long>(bytes.size()));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()) + 1);
    return 0;
}
