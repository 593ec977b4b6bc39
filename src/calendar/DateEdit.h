#pragma once

#include "calendar/CustomButtonMaskEdit.h"
#include "data/AppError.h"
#include "data/DateValue.h"

#include <optional>

// Raised when the text of a date field names no real date.
class EDateConvertError : public AppError
{
public:
    explicit EDateConvertError(const QString &text);
};

// The date entry field: always "yyyy/mm/dd", edited part by part.
//
// The caret is always in one part (year, month or day), whose characters are
// selected. Digits overwrite the part (typing 2,0,0,1 in the year shows 0002,
// 0020, 0200, 2001 and moves to the month); a complete value out of range
// stays shown until the part is left or the field loses focus, then the value
// before typing comes back. Left/Right move between parts (wrapping), Up/Down
// step the part (wrapping within MinYear..MaxYear, 1..12, 1..days of the
// month), Home/End go to the year/day part. The button at the right edge and
// Alt+Down open the date picker below the field. Enter and Escape are left to
// the dialog (default and cancel buttons).
//
// Use from a dialog:
//   auto *e = new TDateEdit(this);
//   e->setMinYear(1980); e->setMaxYear(2099);
//   e->setDate(value);                   // shows "yyyy/mm/dd"
//   if (!e->IsValidDate()) ...           // e.g. 2001/02/29 after stepping the year
//   DateValue v = e->Date();             // raises EDateConvertError (an AppError) for such text
//   std::optional<DateValue> v = e->TryDate();
//   e->setEnabled(false); e->setFocus(); // plain QWidget calls; focus selects the current part
// textChanged() (from QLineEdit) reports every change of the text.
class TDateEdit : public TCustomButtonMaskEdit
{
    Q_OBJECT

public:
    enum TInFld { ifYear, ifMonth, ifDay };

    explicit TDateEdit(QWidget *parent = nullptr);

    // The date the text names. Raises EDateConvertError when it names none.
    DateValue Date() const;
    // The same without raising: no value for text that names no real date.
    std::optional<DateValue> TryDate() const;
    bool IsValidDate() const { return TryDate().has_value(); }
    void setDate(DateValue date);

    // Only stored; the shown date is not re-checked.
    int MinYear() const { return m_minYear; }
    void setMinYear(int year) { m_minYear = year; }
    int MaxYear() const { return m_maxYear; }
    void setMaxYear(int year) { m_maxYear = year; }

    TInFld InFld() const { return m_inFld; }
    void SetInFld(TInFld part);

    // The numbers of the three parts of the text (0 when a part is not a
    // number). Setting a part checks only that part's range.
    int Year() const;
    int Month() const;
    int Day() const;
    void setYear(int year);
    void setMonth(int month);
    void setDay(int day);

    int DigitCount() const { return m_digitCount; }
    int SavedValue() const { return m_savedValue; }

    virtual bool ValidYear(int value) const;
    virtual bool ValidMonth(int value) const;
    virtual bool ValidDay(int value, int year, int month) const;
    // Puts the saved value back when the current part holds an invalid one.
    virtual void CheckField();
    virtual void YearUp();
    virtual void YearDown();
    virtual void MonthUp();
    virtual void MonthDown();
    virtual void DayUp();
    virtual void DayDown();

    // Opens the date picker below the field.
    void ButtonClick() override;

    // 89 pixels wide, or as wide as the font needs to show the whole date.
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int partValue(TInFld part) const;
    bool partValid(TInFld part, int value) const;
    void writePart(TInFld part, int value);
    void selectPart();
    void typeDigit(int digit);

    int m_minYear = 1901;
    int m_maxYear = 2099;
    TInFld m_inFld = ifYear;
    int m_digitCount = 0;
    int m_savedValue = 0;
};
