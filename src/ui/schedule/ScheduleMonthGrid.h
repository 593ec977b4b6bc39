#pragma once

#include "calendar/HolidayRules.h"
#include "schedule/Schedule.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class TData;

// One month as six weeks of day cells, Sunday first. A cell shows the day in
// the calendar's colours with its holiday names, the titles of the items due
// that day, and one small mark for every item shown that day. The days of
// one chosen occurrence are tinted.
class ScheduleMonthGrid : public QWidget
{
    Q_OBJECT

public:
    explicit ScheduleMonthGrid(QWidget *parent = nullptr);

    static constexpr int Weeks = 6;

    int year() const { return m_year; }
    int month() const { return m_month; }
    // Day of the first cell.
    int firstDay() const { return m_firstDay; }
    int lastDay() const { return m_firstDay + Weeks * 7 - 1; }
    // The day of the cell at `pos`, or nothing outside the day cells.
    std::optional<int> dayAt(const QPoint &pos) const;
    QRect cellRect(int day) const;

    // Shows `month` of `year` with the occurrences shown on its days, as the
    // window evaluated them for firstDay()..lastDay().
    void setMonth(int year, int month);
    void setContent(const TData &data, const QList<Occurrence> &shown, HolidayRules &holidays);
    void setSelectedDay(std::optional<int> day);
    // Tints from..to (inclusive); nothing when `from` > `to`.
    void setHighlight(int from, int to);

    // Titles due on `day` and the number of items shown on it.
    QStringList titlesOn(int day) const;
    int shownCount(int day) const;
    QString holidayNamesOn(int day) const;

Q_SIGNALS:
    void dayClicked(int day);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Cell
    {
        QStringList titles;
        QList<int> marks; // item numbers shown that day
        QString holidayNames;
        TDayFlags flags;
    };
    const Cell *cell(int day) const;
    int headerHeight() const;

    int m_year = 2000;
    int m_month = 1;
    int m_firstDay = 0;
    std::optional<int> m_selected;
    int m_highlightFrom = 1;
    int m_highlightTo = 0;
    std::vector<Cell> m_cells;
};
