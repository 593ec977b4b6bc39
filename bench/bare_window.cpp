// The yardstick of bench/startup.sh: a bare Qt Widgets main window that
// quits once it has been painted, as the program does under
// TIDEMARK_EXIT_WHEN_SHOWN.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

namespace {

class QuitWhenPainted : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(602, 372);
    QuitWhenPainted quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
