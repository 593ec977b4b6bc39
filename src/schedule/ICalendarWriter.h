#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

class HolidayRules;
class ScheduleEvaluator;
class TData;
class TItemRec;

// Writes the target days of a document as an iCalendar file (RFC 5545), for
// phone and desktop calendars: every occurrence whose target day lies in
// from..to is one all-day event from its target day to its last day, exactly
// once.
//
// Items of kinds 1 and 2 become series: an RRULE that ends at `to` names the
// regular days, a moved day overrides its instance (RECURRENCE-ID), rule days
// without an occurrence (moved out of the range, merged into another, or with
// no day to move to) are excluded, and days the rule cannot name (day 30 of
// February is its last day here) are added as RDATE. Items of odd or even
// weeks get one series per weekday, every other week from a week of that
// parity, so that calendars that start weeks on Monday still agree.
//
// Text is UTF-8 with CR LF line ends, lines are folded at 75 octets.
class ICalendarWriter
{
public:
    explicit ICalendarWriter(ScheduleEvaluator &evaluator);

    // DTSTAMP of every event; the clock's time when not set.
    void setStamp(const QDateTime &stamp) { m_stamp = stamp; }

    // The whole file. `from` and `to` are date values.
    QByteArray write(const TData &data, int from, int to);

    // The events of one item (nothing when it has no target day in the range).
    QByteArray itemEvents(const TItemRec &item, int itemIndex, int from, int to);

    // TEXT value: backslash, semicolon and comma escaped, every line break
    // (CR LF, CR or LF) as \n, other control characters left out.
    static QString escapeText(QStringView text);
    // One content line as UTF-8, folded at 75 octets (never inside a
    // character) and ended with CR LF.
    static QByteArray foldLine(QStringView line);
    // The stable UID of an item: the same fields at the same position give
    // the same UID. `series` tells apart the series of one item.
    static QString itemUid(const TItemRec &item, int itemIndex, QStringView series = {});

private:
    ScheduleEvaluator &m_evaluator;
    QDateTime m_stamp;
};

// Writes the file for `data` over from..to to `path` through an atomic save;
// raises AppError with the message the user sees.
void SaveICalendar(const TData &data, const HolidayRules &rules, int from, int to, const QString &path);
