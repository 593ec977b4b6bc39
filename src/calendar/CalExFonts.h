#pragma once

#include <QColor>
#include <QFont>
#include <QObject>

// One of the fonts a calendar draws with: the face and its text colour.
struct TCalExFont
{
    QFont font;
    QColor color;
};

// The six fonts of a calendar, owned by it for its whole life. Every change
// redraws the calendar.
class TCalExFonts : public QObject
{
    Q_OBJECT

public:
    enum Index {
        Weekday = 0, // Monday to Friday
        Saturday = 1,
        Sunday = 2,
        DayOfWeek = 3, // the row of weekday names
        Holiday = 4, // holidays and substitute holidays
        SpecialDay = 5,
        Count = 6,
    };

    explicit TCalExFonts(QObject *parent = nullptr);

    TCalExFont entry(int index) const { return m_entries[index]; }
    QFont font(int index) const { return m_entries[index].font; }
    QColor color(int index) const { return m_entries[index].color; }

    // With Synchronize on, the face goes to all six entries; each entry keeps
    // its own colour, which is what tells the kinds of day apart.
    void setFont(int index, const QFont &font);
    void setColor(int index, const QColor &color);

    bool Synchronize() const { return m_synchronize; }
    void setSynchronize(bool on) { m_synchronize = on; }

Q_SIGNALS:
    void changed();

private:
    TCalExFont m_entries[Count];
    bool m_synchronize = false;
};
