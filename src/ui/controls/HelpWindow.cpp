#include "ui/controls/HelpWindow.h"

#include "data/Notifier.h"
#include "ui/controls/MessageBoxNotifier.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char ContextProperty[] = "HelpContext";

QPointer<THelpWindow> &helpWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

// F1 anywhere: the open menu, else the focused widget, else the active
// window decides the context.
class HelpKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1
            || static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier)
            return false;
        // The key reaches the focus widget (or an open menu) first, then
        // each parent in turn; the first one decides and ends the journey.
        if (!watched->isWidgetType())
            return false;
        QWidget *target = static_cast<QWidget *>(watched);
        if (auto *menu = qobject_cast<QMenu *>(target); menu && menu->activeAction() && menu->activeAction()->menu())
            target = menu->activeAction()->menu();
        Notifier::instance().showHelp(HelpContextOf(target));
        return true;
    }
};

} // namespace

void SetHelpContext(QWidget *widget, int context)
{
    if (widget)
        widget->setProperty(ContextProperty, context);
}

int HelpContextOf(const QObject *object)
{
    for (const QObject *o = object; o; o = o->parent()) {
        const QVariant v = o->property(ContextProperty);
        if (v.isValid() && v.toInt() != 0)
            return v.toInt();
    }
    return 0;
}

QUrl HelpUrl(int context)
{
    const char *page = "index.html";
    switch (context) {
    case HelpContext::MainWindow:
        page = "mainwindow.html";
        break;
    case HelpContext::FileMenu:
        page = "file.html";
        break;
    case HelpContext::EditMenu:
        page = "edit.html";
        break;
    case HelpContext::OptionMenu:
        page = "options.html";
        break;
    case HelpContext::ItemEditor:
        page = "editor.html";
        break;
    case HelpContext::Schedule:
        page = "schedule.html";
        break;
    case HelpContext::ICalendarExport:
        page = "ical.html";
        break;
    case HelpContext::CsvSettings:
        page = "csv.html";
        break;
    case HelpContext::DeviceSettings:
        page = "device.html";
        break;
    default:
        break;
    }
    return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(page));
}

void InstallHelp(MessageBoxNotifier &notifier)
{
    notifier.setHelpHandler([](int context) { THelpWindow::ShowHelp(context); });
    static HelpKeyFilter *filter = nullptr;
    if (!filter) {
        filter = new HelpKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

THelpWindow::THelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tidemark ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The program ends when the main window closes, help open or not.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *contents = new QPushButton(QStringLiteral("目次(&C)"), this);
    contents->setObjectName(QStringLiteral("ContentsBtn"));
    auto *back = new QPushButton(QStringLiteral("戻る(&B)"), this);
    back->setObjectName(QStringLiteral("BackBtn"));
    auto *forward = new QPushButton(QStringLiteral("進む(&F)"), this);
    forward->setObjectName(QStringLiteral("ForwardBtn"));
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    for (QPushButton *b : {contents, back, forward, close})
        b->setAutoDefault(false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    // The pages' own <link> is not followed by the browser.
    QFile css(QStringLiteral(":/help/help.css"));
    if (css.open(QIODevice::ReadOnly))
        m_browser->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(HelpContext::Contents); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    resize(640, 560);
}

THelpWindow *THelpWindow::instance()
{
    return helpWindow();
}

THelpWindow *THelpWindow::ShowHelp(int context)
{
    if (!helpWindow())
        helpWindow() = new THelpWindow;
    THelpWindow *w = helpWindow();
    w->attachToModal();
    w->showContext(context);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void THelpWindow::showContext(int context)
{
    m_browser->setSource(HelpUrl(context));
}

// A modal dialog blocks every window that is not its child, so while one is
// open the help window becomes its child, and leaves it again when the
// dialog closes.
void THelpWindow::attachToModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == this || modal == parentWidget() || (!modal && !parentWidget()))
        return;
    const QRect geometry = this->geometry();
    const bool wasVisible = isVisible();
    setParent(modal, Qt::Window);
    if (modal)
        modal->installEventFilter(this);
    if (wasVisible) {
        setGeometry(geometry);
        show();
    }
}

bool THelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && (event->type() == QEvent::Hide || event->type() == QEvent::Destroy)) {
        watched->removeEventFilter(this);
        const QRect geometry = this->geometry();
        const bool wasVisible = isVisible();
        QWidget *outer = QApplication::activeModalWidget();
        if (outer == watched)
            outer = nullptr;
        setParent(outer, Qt::Window);
        if (outer)
            outer->installEventFilter(this);
        if (wasVisible) {
            setGeometry(geometry);
            show();
        }
    }
    return QWidget::eventFilter(watched, event);
}
