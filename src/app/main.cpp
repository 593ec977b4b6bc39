#include "data/Notifier.h"
#include "device/RuputerComWidgets.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/main/ListForm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tidemark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidemark"));
    QApplication::setApplicationVersion(QStringLiteral(TIDEMARK_VERSION));

    // Before any window asks for a Windows face.
    InstallFontSubstitutes();

    MessageBoxNotifier notifier;
    Notifier::install(&notifier);
    InstallRuputerComWidgets();

    const QStringList args = QApplication::arguments();
    TListForm form(args.size() > 1 ? args.at(1) : QString());
    form.show();
    const int result = app.exec();
    Notifier::install(nullptr);
    return result;
}
