#pragma once

#include "calendar/CalExFonts.h"
#include "calendar/HolidayRules.h"

#include <QFrame>
#include <QPixmap>

// Base of the calendar controls: the current day as a Julius day, the day
// fonts, the holiday rules, and an off-screen picture that Redraw paints on
// every change of state and that painting only copies.
class TCustomCalendarEx : public QFrame
{
    Q_OBJECT

public:
    explicit TCustomCalendarEx(QWidget *parent = nullptr);

    int JuliusDay() const { return m_juliusDay; }
    void setJuliusDay(int julius);

    int Year() const;
    int Month() const;
    int Day() const;
    // A part that would make no real date is ignored.
    void setYear(int year);
    void setMonth(int month);
    void setDay(int day);

    TCalExFonts *Fonts() const { return m_fonts; }
    HolidayRules *Rules() const { return m_rules; }

    QStringList HolidayList() const { return m_rules->HolidayList(); }
    void setHolidayList(const QStringList &lines) { m_rules->setHolidayList(lines); }
    QStringList SpecialDayList() const { return m_rules->SpecialDayList(); }
    void setSpecialDayList(const QStringList &lines) { m_rules->setSpecialDayList(lines); }
    bool AutoEquinox() const { return m_rules->AutoEquinox(); }
    void setAutoEquinox(bool on) { m_rules->setAutoEquinox(on); }
    bool AutoFurikae() const { return m_rules->AutoFurikae(); }
    void setAutoFurikae(bool on) { m_rules->setAutoFurikae(on); }

    // Background, and the text colour of the current day.
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);

    virtual void DecodeHolidayLine(const QString &line, int year, QString &name, int &day, int &month) const;
    virtual TDayFlags GetDayFlags(int year, int month, int day) const;
    virtual TCalExFont GetDayFont(int year, int month, int day) const;
    virtual QString GetDayNames(int year, int month, int day) const;

    // Navigation; each ends in setJuliusDay.
    virtual void SelectDate(int year, int month, int day);
    virtual void GoToday();
    virtual void NextDay();
    virtual void PrevDay();
    virtual void PrevWeek();
    virtual void NextWeek();
    virtual void NextMonth();
    virtual void PrevMonth();
    virtual void NextYear();
    virtual void PrevYear();

    // Draws the whole picture into the off-screen bitmap.
    virtual void Redraw();

    // The picture as it is now (for tests and screenshots).
    const QPixmap &picture() const { return m_picture; }

Q_SIGNALS:
    void DayChange(int year, int month, int day);
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Click();
    void DblClick();

protected:
    virtual void DoDayChange(int year, int month, int day);
    // Draws the content of the picture; the background is already filled.
    virtual void DrawPicture(QPainter &painter);
    void redrawAndRepaint();
    // Moves to a day of another month or year; the ten missing days of 1582
    // are passed over in the direction of the move.
    void moveToDate(int year, int month, int day, bool forward);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int m_juliusDay;
    TCalExFonts *m_fonts;
    HolidayRules *m_rules;
    QColor m_color;
    QPixmap m_picture;
};
