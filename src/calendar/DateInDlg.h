#pragma once

#include "data/DateValue.h"

#include <QFrame>
#include <QPointer>

class QLabel;
class QToolButton;
class TMonthlyCalendarEx;

// The drop-down calendar of a date field: a frameless popup showing one
// month with the Japanese holidays. Double click on a day, Enter, or double
// click on the today line accepts (DateAccepted); Escape or losing activation
// cancels. Either way the owner gets the focus back and the popup deletes
// itself.
class TDateInDlg : public QFrame
{
    Q_OBJECT

public:
    // `owner` is the field that opened the popup; it gets the focus back.
    explicit TDateInDlg(QWidget *owner);

    DateValue Date() const;
    void setDate(DateValue date);
    void setMinYear(int year);
    void setMaxYear(int year);

    TMonthlyCalendarEx *Calendar() const { return m_calendar; }

Q_SIGNALS:
    void DateAccepted(DateValue date);

public Q_SLOTS:
    void CloseOk();
    void CloseCancel();

protected:
    void FormCreate();
    void CalendarDayChange(int year, int month, int day);
    void PrevBtnClick();
    void BtnNextClick();
    void PTodayClick();
    void PTodayDblClick();
    void CalendarKeyDown(int key, Qt::KeyboardModifiers modifiers);

    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void finish();
    void returnFocus();

    QPointer<QWidget> m_owner;
    QFrame *m_panel1;
    QLabel *m_lMonth;
    QToolButton *m_prevBtn;
    QToolButton *m_btnNext;
    QLabel *m_pToday;
    TMonthlyCalendarEx *m_calendar;
    bool m_finished = false;
    bool m_todayPressed = false;
};
