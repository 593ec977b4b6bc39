#pragma once

#include "schedule/Schedule.h"

#include <QWidget>
#include <memory>
#include <optional>

class HolidayRules;
class QLabel;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;
class ScheduleMonthGrid;
class TData;
class TSaveWindowPos;

// "予定表": when the document's items fall due and on which days the device
// shows them, a month at a time. Modeless; it follows the document through
// documentChanged(). A click on a day lists what is shown that day; a double
// click on an occurrence asks the main window to edit its item.
class ScheduleWindow : public QWidget
{
    Q_OBJECT

public:
    ScheduleWindow(const TData &data, QWidget *parent = nullptr);
    ~ScheduleWindow() override;

    int year() const;
    int month() const;
    void showMonth(int year, int month);
    void PrevMonthClick();
    void NextMonthClick();
    void TodayClick();
    // Lists what the device shows on `day` (and shows its month).
    void selectDay(int day);
    // Back to the month's occurrences.
    void showWholeMonth();
    // Shows the month of the item's next target day from today (or its last
    // one) and selects that occurrence.
    void focusItem(int itemIndex);
    // The document changed: evaluate again once the change is complete.
    void documentChanged();
    // Evaluates now.
    void refresh();

    ScheduleMonthGrid *grid() const { return m_grid; }
    QTreeWidget *list() const { return m_list; }
    std::optional<int> selectedDay() const { return m_day; }

Q_SIGNALS:
    void editRequested(int itemIndex);

private:
    void fillList();
    void listSelectionChanged();
    QTreeWidgetItem *addRow(const Occurrence &o);

    const TData &m_data;
    std::unique_ptr<HolidayRules> m_holidays;
    std::unique_ptr<ScheduleEvaluator> m_evaluator;
    QList<Occurrence> m_shown; // shown on the grid's days
    std::optional<int> m_day;
    std::optional<int> m_focusItem;

    ScheduleMonthGrid *m_grid = nullptr;
    QTreeWidget *m_list = nullptr;
    QToolButton *m_prev = nullptr;
    QToolButton *m_next = nullptr;
    QPushButton *m_today = nullptr;
    QLabel *m_monthLabel = nullptr;
    QLabel *m_listLabel = nullptr;
    QPushButton *m_wholeMonth = nullptr;
    QTimer *m_refreshTimer = nullptr;
    TSaveWindowPos *SaveWindowPos1 = nullptr;
};
