#include "settings/AppSettings.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tidemark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidemark"));
    QApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    InitSettings();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tidemark"));
    window.show();
    return app.exec();
}
