#pragma once

#include <QUrl>
#include <QWidget>

class MessageBoxNotifier;
class QTextBrowser;

// Help contexts of the program's windows.
namespace HelpContext {
constexpr int Contents = 0;
constexpr int MainWindow = 3010;
constexpr int FileMenu = 3020; // file menu and file dialogs
constexpr int EditMenu = 3030; // edit menu and the list's context menu
constexpr int OptionMenu = 3040; // option menu and settings dialog
constexpr int ItemEditor = 3050;
constexpr int CsvSettings = 3070;
constexpr int DeviceSettings = 3080;
constexpr int Schedule = 3090; // the schedule window
constexpr int ICalendarExport = 3100; // the iCalendar export and its range dialog
} // namespace HelpContext

// Gives `widget` (a window, a menu, any control) a help context: F1 while it
// or a widget inside it has the focus opens that section. Stored in the
// widget's "HelpContext" property.
void SetHelpContext(QWidget *widget, int context);
// The context of `object` or its nearest parent that has one; 0 if none.
int HelpContextOf(const QObject *object);

// The page of a context; unknown contexts and 0 give the contents page.
QUrl HelpUrl(int context);

// Makes F1 open help for the focused widget (or the open menu) in every
// window, and routes Notifier::showHelp of `notifier` to the help window.
void InstallHelp(MessageBoxNotifier &notifier);

// The program's help window: the help pages in a browser, with contents,
// back and forward. One instance, shown without blocking the program.
class THelpWindow : public QWidget
{
    Q_OBJECT

public:
    // Opens the help window at the context's page.
    static THelpWindow *ShowHelp(int context);
    // The window, if it has been opened.
    static THelpWindow *instance();

    QTextBrowser *browser() const { return m_browser; }
    void showContext(int context);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit THelpWindow(QWidget *parent = nullptr);
    void attachToModal();

    QTextBrowser *m_browser = nullptr;
};
