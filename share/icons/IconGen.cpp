// Writes the program's icons as PNG files for the desktop's icon theme:
// hicolor/<n>x<n>/apps/tidemark.png and .../mimetypes/application-x-tidemark.png.
#include "ui/controls/Icons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tidemark-icongen OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("hicolor/%1x%1/").arg(size);
        const QImage image = DrawIcon(QStringLiteral("App"), size);
        for (const QString &file :
            {dir + QStringLiteral("apps/tidemark.png"), dir + QStringLiteral("mimetypes/application-x-tidemark.png")}) {
            out.mkpath(QFileInfo(out.filePath(file)).path());
            if (!image.save(out.filePath(file))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(file)));
                return 1;
            }
        }
    }
    return 0;
}
