// The yardstick of bench/startup.sh: a bare Qt Widgets main window that
// prints the steady-clock time of its first paint and quits, as the program
// does under TIDEMARK_EXIT_WHEN_SHOWN.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

class QuitWhenPainted : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The zero timer fires once the paint has been flushed.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
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
