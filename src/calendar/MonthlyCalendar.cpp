#include "calendar/MonthlyCalendar.h"

#include "calendar/Julius.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <utility>

TMonthlyCalendar::TMonthlyCalendar(QWidget *parent)
    : TCustomCalendarEx(parent)
{ }

void TMonthlyCalendar::setFirstDayOfWeek(TDayOfWeek day)
{
    if (day == m_firstDayOfWeek)
        return;
    m_firstDayOfWeek = day;
    redrawAndRepaint();
}

void TMonthlyCalendar::setNeighborColor(const QColor &color)
{
    if (color == m_neighborColor)
        return;
    m_neighborColor = color;
    redrawAndRepaint();
}

void TMonthlyCalendar::setDayOfWeekBkColor(const QColor &color)
{
    if (color == m_dayOfWeekBkColor)
        return;
    m_dayOfWeekBkColor = color;
    redrawAndRepaint();
}

void TMonthlyCalendar::setShowNeighbor(bool on)
{
    if (on == m_showNeighbor)
        return;
    m_showNeighbor = on;
    redrawAndRepaint();
}

void TMonthlyCalendar::setAutoResize(bool on)
{
    if (on == m_autoResize)
        return;
    m_autoResize = on;
    redrawAndRepaint();
}

void TMonthlyCalendar::setFirstRowFirstDay(bool on)
{
    if (on == m_firstRowFirstDay)
        return;
    m_firstRowFirstDay = on;
    redrawAndRepaint();
}

void TMonthlyCalendar::setLastRowLastDay(bool on)
{
    if (on == m_lastRowLastDay)
        return;
    m_lastRowLastDay = on;
    redrawAndRepaint();
}

int TMonthlyCalendar::FirstCellJulius() const
{
    const int first = YmdToJulius(Year(), Month(), 1);
    const int weekday = JuliusDayOfWeek(first);
    int cell = first - (weekday - int(m_firstDayOfWeek) + 6) % 7;
    if (!m_firstRowFirstDay && cell == first)
        cell -= 7;
    return cell;
}

int TMonthlyCalendar::RowCount() const
{
    if (!m_autoResize)
        return 7;
    const int y = Year(), m = Month();
    const int last = YmdToJulius(y, m, JuliusMonthDays(y, m));
    const int first = FirstCellJulius();
    int rows = (last - first) / 7 + 2;
    if (!m_lastRowLastDay && (last - first + 1) % 7 == 0)
        ++rows;
    return rows;
}

QRect TMonthlyCalendar::CellRect(int col, int row) const
{
    const QSize client = contentsRect().size();
    const qint64 w = client.width(), h = client.height(), rows = RowCount();
    const int left = int(w * col / 7), right = int(w * (col + 1) / 7);
    const int top = int(h * row / rows), bottom = int(h * (row + 1) / rows);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool TMonthlyCalendar::CellAt(const QPoint &pos, int &col, int &row) const
{
    const int rows = RowCount();
    for (row = 0; row < rows; ++row)
        for (col = 0; col < 7; ++col)
            if (CellRect(col, row).contains(pos))
                return true;
    return false;
}

void TMonthlyCalendar::DrawPicture(QPainter &painter)
{
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < 7; ++col)
            DrawCell(painter, col, row, CellRect(col, row));
}

void TMonthlyCalendar::DrawCell(QPainter &painter, int col, int row, const QRect &rect)
{
    if (row == 0) {
        const TCalExFont font = Fonts()->entry(TCalExFonts::DayOfWeek);
        painter.fillRect(rect, m_dayOfWeekBkColor);
        // The UI is Japanese whatever the system locale is.
        static const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        const int sundayBased = (col + int(m_firstDayOfWeek)) % 7;
        const QString name = japanese.dayName(sundayBased == 0 ? 7 : sundayBased, QLocale::ShortFormat);
        painter.setFont(font.font);
        painter.setPen(font.color);
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, name);
        return;
    }

    const int julius = FirstCellJulius() + 7 * (row - 1) + col;
    int y, m, d;
    JuliusToYmd(julius, y, m, d);
    const TCalExFont font = GetDayFont(y, m, d);
    QColor textColor = font.color;
    if (m == Month()) {
        if (y == Year() && d == Day()) {
            painter.fillRect(rect, font.color);
            textColor = Color();
        }
    } else {
        if (!m_showNeighbor)
            return;
        textColor = QColor::fromRgb((font.color.rgb() | m_neighborColor.rgb()) & 0xFFFFFF);
    }
    painter.setFont(font.font);
    painter.setPen(textColor);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, QString::number(d));
}

// The pointer resting on a holiday or special day shows its names.
bool TMonthlyCalendar::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return TCustomCalendarEx::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QPoint cell = cellUnder(help->pos());
    QString names;
    if (cell.y() >= 1) {
        int y, m, d;
        JuliusToYmd(FirstCellJulius() + 7 * (cell.y() - 1) + cell.x(), y, m, d);
        if (m == Month() || m_showNeighbor)
            names = GetDayNames(y, m, d);
    }
    if (names.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        const QRect cellRect = CellRect(cell.x(), cell.y()).translated(contentsRect().topLeft());
        QToolTip::showText(help->globalPos(), names, this, cellRect);
    }
    return true;
}

void TMonthlyCalendar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
        NextDay();
        break;
    case Qt::Key_Left:
        PrevDay();
        break;
    case Qt::Key_Up:
        PrevWeek();
        break;
    case Qt::Key_Down:
        NextWeek();
        break;
    case Qt::Key_PageUp:
        PrevMonth();
        break;
    case Qt::Key_PageDown:
        NextMonth();
        break;
    default:
        break;
    }
    Q_EMIT KeyDown(event->key(), event->modifiers());
    event->accept();
}

QPoint TMonthlyCalendar::cellUnder(const QPoint &widgetPos) const
{
    int col, row;
    return CellAt(widgetPos - contentsRect().topLeft(), col, row) ? QPoint(col, row) : QPoint(-1, -1);
}

void TMonthlyCalendar::selectCellAt(const QPoint &cell)
{
    if (cell.y() < 1)
        return;
    const int julius = FirstCellJulius() + 7 * (cell.y() - 1) + cell.x();
    int y, m, d;
    JuliusToYmd(julius, y, m, d);
    if ((y == Year() && m == Month()) || m_neighborJump)
        setJuliusDay(julius);
}

void TMonthlyCalendar::mousePressEvent(QMouseEvent *event)
{
    TCustomCalendarEx::mousePressEvent(event);
    m_pressedCell = cellUnder(event->position().toPoint());
    selectCellAt(m_pressedCell);
}

void TMonthlyCalendar::mouseReleaseEvent(QMouseEvent *event)
{
    TCustomCalendarEx::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Click();
}

void TMonthlyCalendar::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The first press already selected this cell's day; a neighbour jump has
    // since redrawn the grid, so the same cell may now show another day.
    const QPoint cell = cellUnder(event->position().toPoint());
    if (cell != std::exchange(m_pressedCell, QPoint(-1, -1)))
        selectCellAt(cell);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DblClick();
}
