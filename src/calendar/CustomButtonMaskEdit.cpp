#include "calendar/CustomButtonMaskEdit.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

TEdButton::TEdButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("EdButton"));
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
}

void TEdButton::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    update();
}

void TEdButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    const int w = width(), h = height();
    p.fillRect(rect(), pal.color(QPalette::Button));
    if (m_pressed) {
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(0, 0, w - 1, h - 1);
    } else {
        p.setPen(pal.color(QPalette::Button));
        p.drawPolyline(QPolygon({QPoint(0, h - 2), QPoint(0, 0), QPoint(w - 1, 0)}));
        p.setPen(Qt::white);
        p.drawPolyline(QPolygon({QPoint(1, h - 3), QPoint(1, 1), QPoint(w - 2, 1)}));
        p.setPen(pal.color(QPalette::Dark));
        p.drawPolyline(QPolygon({QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(w - 1, 0)}));
    }
    const int a = w / 4;
    const int r = qMax(1, a / 4);
    const int y = qMax(1, h - h / 4);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(Qt::black) : pal.color(QPalette::Disabled, QPalette::ButtonText));
    for (int i = 1; i <= 3; ++i)
        p.drawEllipse(QPoint(i * a + 1, y), r, r);
}

void TEdButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setPressed(true);
    QAbstractButton::mousePressEvent(event);
}

void TEdButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setPressed(false);
    QAbstractButton::mouseReleaseEvent(event);
}

TCustomButtonMaskEdit::TCustomButtonMaskEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_button(new TEdButton(this))
{
    connect(m_button, &TEdButton::clicked, this, [this] { ButtonClick(); });
    UpdateButtonLayout();
}

void TCustomButtonMaskEdit::ButtonClick()
{
    m_button->setPressed(false);
    if (isSignalConnected(QMetaMethod::fromSignal(&TCustomButtonMaskEdit::EditButtonClick))) {
        Q_EMIT EditButtonClick();
        setFocus();
    }
}

void TCustomButtonMaskEdit::UpdateButtonLayout()
{
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_button->resize(arrow, m_button->height());
    const int w = width(), h = height();
    if (hasFrame()) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
        // Flush with the inside of the frame, over the full client height.
        m_button->setGeometry(w - frame - arrow - 1, frame, arrow + 1, h - 2 * frame);
    } else {
        m_button->setGeometry(w - arrow, 0, arrow, h);
    }
    setTextMargins(0, 0, m_button->width() + 2, 0);
    update();
}

void TCustomButtonMaskEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    if (event->key() == Qt::Key_Down && mods == Qt::AltModifier) {
        m_button->click();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_pendingText = text();
        update();
    }
    QLineEdit::keyPressEvent(event);
}

void TCustomButtonMaskEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    UpdateButtonLayout();
}

void TCustomButtonMaskEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    UpdateButtonLayout();
}

void TCustomButtonMaskEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    UpdateButtonLayout();
}

void TCustomButtonMaskEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (!m_pendingText.isEmpty()) {
        // Text is not changed from inside painting; do it right after.
        QTimer::singleShot(0, this, [this] {
            if (m_pendingText.isEmpty())
                return;
            setText(m_pendingText);
            m_pendingText.clear();
            selectAll();
        });
    }
}
