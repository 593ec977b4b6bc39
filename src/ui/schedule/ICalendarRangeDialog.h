#pragma once

#include "data/DateValue.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TDateEdit;

// Asks for the days whose target days an iCalendar export writes: two date
// fields, from today to a year ahead at first. OK is pressed only while both
// name real dates of 1901..2099 in order; the line below them says why not.
class ICalendarRangeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ICalendarRangeDialog(QWidget *parent = nullptr);

    void setRange(DateValue from, DateValue to);
    // Meaningful after the dialog was accepted.
    int from() const;
    int to() const;

    TDateEdit *EFrom = nullptr;
    TDateEdit *ETo = nullptr;
    QLabel *LMessage = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

private:
    // The reason the range cannot be written, or empty.
    QString problem() const;
    void check();
};
