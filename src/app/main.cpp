#include "data/DocumentSaveFile.h"
#include "data/Notifier.h"
#include "device/RuputerComWidgets.h"
#include "ui/controls/AppStyle.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/Icons.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/controls/ScreenFit.h"
#include "ui/main/ListForm.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

// Runs `then` once, right after the watched window's first paint: for what
// can wait until the window is on the screen.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then)
        : QObject(window)
        , m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, m_then);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

int main(int argc, char *argv[])
{
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setStyle(new TAppStyle);
    // The application title (message box captions). Set as the name, not as
    // the display name, which Qt would append to every window title.
    QApplication::setApplicationName(QStringLiteral("Tidemark"));
    QApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    InstallFontSubstitutes();
    // Menus and dialogs without a face of their own use the Japanese one too,
    // so Japanese text never waits for a fallback font search.
    QFont appFont = QApplication::font();
    appFont.setFamilies({JapaneseUiFamily()});
    QApplication::setFont(appFont);

    InstallQtTranslations();
    InstallScreenFit();

    MessageBoxNotifier notifier;
    Notifier::install(&notifier);
    InstallHelp(notifier);
    InstallRuputerComWidgets();

    const QStringList args = QApplication::arguments();
    TListForm form(args.size() > 1 ? args.at(1) : QString());
    // The window system wants the icon drawn at every size it lists.
    new AfterFirstPaint(&form, [] { QApplication::setWindowIcon(AppIcon()); });
    // TIDEMARK_EXIT_WHEN_SHOWN: once the main window has been painted, print
    // the steady-clock time in nanoseconds and quit (bench/startup.sh times
    // the start-up this way). Installed last, so it runs first.
    if (qEnvironmentVariableIsSet("TIDEMARK_EXIT_WHEN_SHOWN"))
        new AfterFirstPaint(&form, [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    form.show();
    const int result = app.exec();
    Notifier::install(nullptr);
    return result;
}
