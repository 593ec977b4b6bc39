#include "ui/controls/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Frame of a window not yet on the screen: the window manager adds it only
// when mapping, so the last frame seen on a shown window stands in for it.
QMargins &lastFrame()
{
    static QMargins frame(4, 30, 4, 4);
    return frame;
}

QMargins frameOf(const QWidget *window)
{
    if (const QWindow *handle = window->windowHandle(); handle && window->isVisible()) {
        const QMargins frame = handle->frameMargins();
        if (!frame.isNull())
            lastFrame() = frame;
    }
    return lastFrame();
}

class ScreenFitFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            const Qt::WindowType type = widget->windowType();
            if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog))
                FitToScreen(widget);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void FitToScreen(QWidget *window)
{
    if (!window || window->isMaximized() || window->isFullScreen() || window->isMinimized())
        return;
    const QScreen *screen
        = window->testAttribute(Qt::WA_Moved) ? QGuiApplication::screenAt(window->geometry().center()) : nullptr;
    if (!screen) {
        const QWidget *active = QApplication::activeWindow();
        screen = active && active != window ? active->screen() : window->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible())
            frameOf(other);
    }
    const QMargins frame = frameOf(window);
    const QRect area = screen->availableGeometry().marginsRemoved(frame);
    if (area.isEmpty())
        return;

    QRect geometry = window->geometry();
    const QSize fitted = geometry.size().boundedTo(area.size()).expandedTo(window->minimumSize());
    geometry.setSize(fitted);
    // A window nobody placed (dialogs are placed over their owner before
    // they show) would be left to the window manager, which may put it
    // partly below the screen's edge: it is centred instead.
    if (!window->testAttribute(Qt::WA_Moved))
        geometry.moveCenter(area.center());
    geometry.moveLeft(qMax(area.left(), qMin(geometry.left(), area.right() - geometry.width() + 1)));
    geometry.moveTop(qMax(area.top(), qMin(geometry.top(), area.bottom() - geometry.height() + 1)));
    if (geometry != window->geometry())
        window->setGeometry(geometry);
}

void InstallScreenFit()
{
    static ScreenFitFilter *filter = nullptr;
    if (!filter) {
        filter = new ScreenFitFilter(qApp);
        qApp->installEventFilter(filter);
    }
}
