#pragma once

#include "calendar/CustomCalendarEx.h"

enum TDayOfWeek { dowSun, dowMon, dowTue, dowWed, dowThu, dowFri, dowSat };

// One month as a grid: a row of weekday names over the week rows. Arrow keys
// move by day and week, Page Up/Down by month; a click selects a day.
class TMonthlyCalendar : public TCustomCalendarEx
{
    Q_OBJECT

public:
    explicit TMonthlyCalendar(QWidget *parent = nullptr);

    TDayOfWeek FirstDayOfWeek() const { return m_firstDayOfWeek; }
    void setFirstDayOfWeek(TDayOfWeek day);
    // Mixed (bitwise OR) into the text colour of the neighbour months' days.
    QColor NeighborColor() const { return m_neighborColor; }
    void setNeighborColor(const QColor &color);
    QColor DayOfWeekBkColor() const { return m_dayOfWeekBkColor; }
    void setDayOfWeekBkColor(const QColor &color);
    bool ShowNeighbor() const { return m_showNeighbor; }
    void setShowNeighbor(bool on);
    // A click on a neighbour month's day selects it.
    bool NeighborJump() const { return m_neighborJump; }
    void setNeighborJump(bool on) { m_neighborJump = on; }
    // The number of week rows follows the month; otherwise always six.
    bool AutoResize() const { return m_autoResize; }
    void setAutoResize(bool on);
    // The first row may begin with day 1 / the last row may end with the last day.
    bool FirstRowFirstDay() const { return m_firstRowFirstDay; }
    void setFirstRowFirstDay(bool on);
    bool LastRowLastDay() const { return m_lastRowLastDay; }
    void setLastRowLastDay(bool on);

    // Rows including the weekday-name row.
    virtual int RowCount() const;
    // The Julius day shown in the first cell of the first week row.
    virtual int FirstCellJulius() const;
    // The cell rectangle in client coordinates (row 0 holds the weekday names).
    QRect CellRect(int col, int row) const;
    // The cell under a point in client coordinates; false outside every cell.
    virtual bool CellAt(const QPoint &pos, int &col, int &row) const;

protected:
    void DrawPicture(QPainter &painter) override;
    virtual void DrawCell(QPainter &painter, int col, int row, const QRect &rect);

    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Column and row of the cell under a widget point; (-1, -1) for none.
    QPoint cellUnder(const QPoint &widgetPos) const;
    void selectCellAt(const QPoint &cell);

    TDayOfWeek m_firstDayOfWeek = dowSun;
    QColor m_neighborColor = QColor(0xC0, 0xC0, 0xC0);
    QColor m_dayOfWeekBkColor = QColor(0x00, 0x00, 0x80);
    bool m_showNeighbor = false;
    bool m_neighborJump = false;
    bool m_autoResize = true;
    bool m_firstRowFirstDay = false;
    bool m_lastRowLastDay = false;
    QPoint m_pressedCell {-1, -1}; // column and row of the last press
};
