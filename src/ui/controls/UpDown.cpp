#include "ui/controls/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QStylePainter>
#include <QTimer>

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent)
    , m_repeat(new QTimer(this))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    // Holding a button repeats the step, as the platform's spinners do.
    connect(m_repeat, &QTimer::timeout, this, [this] {
        m_repeat->setInterval(80);
        if (m_pressed != Half::None && isEnabled())
            step(m_pressed == Half::Up);
    });
}

void TUpDown::setAssociate(QLineEdit *buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    m_buddyObject = buddy;
    if (!m_buddy)
        return;
    m_buddy->installEventFilter(this);
    if (m_buddy->parentWidget() != parentWidget())
        setParent(m_buddy->parentWidget());
    placeBesideBuddy();
    setPosition(m_position);
    setEnabled(m_buddy->isEnabled());
    setVisible(m_buddy->isVisibleTo(m_buddy->parentWidget()));
}

void TUpDown::placeBesideBuddy()
{
    if (!m_buddy)
        return;
    const QRect r = m_buddy->geometry();
    const int w = sizeHint().width();
    m_buddy->setGeometry(r.x(), r.y(), qMax(1, r.width() - w), r.height());
    setGeometry(r.x() + r.width() - w, r.y(), w, r.height());
}

void TUpDown::setMin(int value)
{
    setRange(value, qMax(value, m_max));
}

void TUpDown::setMax(int value)
{
    setRange(qMin(m_min, value), value);
}

void TUpDown::setRange(int min, int max)
{
    m_min = min;
    m_max = qMax(min, max);
    m_position = qBound(m_min, m_position, m_max);
}

int TUpDown::position() const
{
    if (m_buddy) {
        bool ok = false;
        const int v = m_buddy->text().trimmed().toInt(&ok);
        if (ok && v >= m_min && v <= m_max)
            m_position = v;
    }
    return m_position;
}

void TUpDown::setPosition(int value)
{
    m_position = qBound(m_min, value, m_max);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void TUpDown::step(bool up)
{
    const int current = position();
    int next = up ? current + m_increment : current - m_increment;
    if (next > m_max)
        next = m_wrap ? m_min : m_max;
    else if (next < m_min)
        next = m_wrap ? m_max : m_min;
    setPosition(next);
    Q_EMIT clicked(up);
}

void TUpDown::stepUp()
{
    step(true);
}

void TUpDown::stepDown()
{
    step(false);
}

QSize TUpDown::sizeHint() const
{
    return QSize(qMax(15, style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)), 21);
}

TUpDown::Half TUpDown::halfAt(const QPoint &pos) const
{
    if (!rect().contains(pos))
        return Half::None;
    return pos.y() < height() / 2 ? Half::Up : Half::Down;
}

void TUpDown::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool down = (i == 0 && m_pressed == Half::Up && halfAt(mapFromGlobal(QCursor::pos())) == Half::Up)
            || (i == 1 && m_pressed == Half::Down && halfAt(mapFromGlobal(QCursor::pos())) == Half::Down);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        p.drawControl(QStyle::CE_PushButtonBevel, button);
        QStyleOption arrow;
        arrow.initFrom(this);
        const int m = qMax(2, halves[i].height() / 5);
        arrow.rect = halves[i].adjusted(m + 1, m, -m - 1, -m);
        p.drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, arrow);
    }
}

void TUpDown::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT mousePressed();
    m_pressed = halfAt(event->position().toPoint());
    if (m_pressed != Half::None && isEnabled()) {
        step(m_pressed == Half::Up);
        m_repeat->start(400);
    }
    update();
}

void TUpDown::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void TUpDown::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = Half::None;
    m_repeat->stop();
    update();
    Q_EMIT mouseReleased();
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as a plain object and used as a plain widget: the buddy also
    // sends events from its destructor, when it is no longer a QLineEdit.
    if (watched == m_buddyObject) {
        auto *buddy = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && isEnabled()
                && !(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
                step(key->key() == Qt::Key_Up);
                return true;
            }
            break;
        }
        case QEvent::EnabledChange:
            setEnabled(buddy->isEnabled());
            break;
        case QEvent::Show:
            show();
            break;
        case QEvent::Hide:
            hide();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}
