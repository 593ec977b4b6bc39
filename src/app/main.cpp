#include "data/Notifier.h"
#include "device/RuputerComWidgets.h"
#include "ui/controls/AppStyle.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/Icons.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/main/ListForm.h"

#include <QApplication>
#include <QTimer>

namespace {

// TIDEMARK_EXIT_WHEN_SHOWN: quit once the main window has been painted
// (bench/startup.sh times whole runs this way).
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
    QApplication::setStyle(new TAppStyle);
    // The application title (message box captions). Set as the name, not as
    // the display name, which Qt would append to every window title.
    QApplication::setApplicationName(QStringLiteral("Tidemark"));
    QApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    // Before any window asks for a Windows face.
    InstallFontSubstitutes();
    // Menus and dialogs without a face of their own use the Japanese one too,
    // so Japanese text never waits for a fallback font search.
    QFont appFont = QApplication::font();
    appFont.setFamilies({JapaneseUiFamily()});
    QApplication::setFont(appFont);

    QApplication::setWindowIcon(AppIcon());
    InstallQtTranslations();

    MessageBoxNotifier notifier;
    Notifier::install(&notifier);
    InstallHelp(notifier);
    InstallRuputerComWidgets();

    const QStringList args = QApplication::arguments();
    TListForm form(args.size() > 1 ? args.at(1) : QString());
    QuitWhenPainted quitWhenPainted;
    if (qEnvironmentVariableIsSet("TIDEMARK_EXIT_WHEN_SHOWN"))
        form.installEventFilter(&quitWhenPainted);
    form.show();
    const int result = app.exec();
    Notifier::install(nullptr);
    return result;
}
