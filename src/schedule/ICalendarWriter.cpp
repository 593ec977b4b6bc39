#include "schedule/ICalendarWriter.h"

#include "data/Clock.h"
#include "data/Data.h"
#include "data/DateValue.h"
#include "data/DocumentSaveFile.h"
#include "data/ItemRec.h"
#include "schedule/Schedule.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

constexpr int MaxLineOctets = 75;

// Item weekdays 0 Monday ... 6 Sunday.
const char *const DayCodes[7] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

QString icalDate(int day)
{
    return FormatDateParts(day, {});
}

QString dateList(const std::vector<int> &days)
{
    QStringList parts;
    parts.reserve(qsizetype(days.size()));
    for (int day : days)
        parts.append(icalDate(day));
    return parts.join(u',');
}

// One series of an item: the days its rule names within the range, and the
// occurrences that belong to it.
struct Series
{
    // Weekday of the days of an odd or even week series, else -1.
    int weekday = -1;
    QString uidPart;
    QString rule;
    std::vector<int> ruleDays;
    std::vector<Occurrence> occurrences;
};

class Output
{
public:
    void line(QStringView text) { bytes += ICalendarWriter::foldLine(text); }
    void line(const QString &name, const QString &value) { line(QString(name + u':' + value)); }
    QByteArray bytes;
};

// Rule days of a kind 1 item within from..to: the month days as RRULE's
// BYMONTHDAY names them, so a day beyond the month's end is none.
std::vector<int> monthRuleDays(const TItemRec &item, int from, int to)
{
    std::vector<int> days;
    int y0, m0, d0, y1, m1, d1;
    DecodeDate(from, y0, m0, d0);
    DecodeDate(to, y1, m1, d1);
    for (int y = y0; y <= y1; ++y) {
        for (int m = 1; m <= 12; ++m) {
            if (!item.Month(m))
                continue;
            const int dim = DaysInMonth(y, m);
            for (int i = 1; i <= 2; ++i) {
                const int v = item.Day(i);
                if (v < 1 || (v < 31 && v > dim))
                    continue;
                const int day = int(EncodeDate(y, m, std::min(v, dim)));
                if (day >= from && day <= to)
                    days.push_back(day);
            }
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

QString monthRule(const TItemRec &item)
{
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        if (item.Month(m))
            months.append(QString::number(m));
    std::vector<int> values;
    for (int i = 1; i <= 2; ++i) {
        const int v = item.Day(i);
        if (v >= 1)
            values.push_back(v >= 31 ? -1 : v);
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    QStringList monthDays;
    for (int v : values)
        monthDays.append(QString::number(v));
    QString rule = QStringLiteral("FREQ=MONTHLY");
    if (months.size() < 12)
        rule += QStringLiteral(";BYMONTH=") + months.join(u',');
    return rule + QStringLiteral(";BYMONTHDAY=") + monthDays.join(u',');
}

std::vector<Series> seriesOf(const TItemRec &item, int from, int to)
{
    std::vector<Series> result;
    if (item.Kind == KindDate) {
        Series s;
        s.rule = monthRule(item);
        s.ruleDays = monthRuleDays(item, from, to);
        result.push_back(std::move(s));
        return result;
    }
    if (item.WeekParity == 0) {
        Series s;
        QStringList codes;
        for (int w = 0; w < 7; ++w)
            if (item.Weekday(w))
                codes.append(QLatin1String(DayCodes[w]));
        s.rule = QStringLiteral("FREQ=WEEKLY;BYDAY=") + codes.join(u',');
        for (int day = from; day <= to; ++day)
            if (item.Weekday(ItemWeekday(day)))
                s.ruleDays.push_back(day);
        result.push_back(std::move(s));
        return result;
    }
    // Weeks of one parity are every other Sunday-to-Saturday week; one series
    // per weekday keeps clients whose weeks start on Monday from shifting the
    // days of Sunday into the wrong week.
    const bool odd = item.WeekParity == 1;
    for (int w = 0; w < 7; ++w) {
        if (!item.Weekday(w))
            continue;
        Series s;
        s.weekday = w;
        s.uidPart = QLatin1String(DayCodes[w]).toString().toLower();
        s.rule = QStringLiteral("FREQ=WEEKLY;INTERVAL=2;BYDAY=%1;WKST=SU").arg(QLatin1String(DayCodes[w]));
        for (int day = from; day <= to; ++day)
            if (ItemWeekday(day) == w && WeekIsOdd(day) == odd)
                s.ruleDays.push_back(day);
        result.push_back(std::move(s));
    }
    return result;
}

} // namespace

ICalendarWriter::ICalendarWriter(ScheduleEvaluator &evaluator)
    : m_evaluator(evaluator)
{ }

QString ICalendarWriter::escapeText(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u';':
            out += QLatin1String("\\;");
            break;
        case u',':
            out += QLatin1String("\\,");
            break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QLatin1String("\\n");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        default:
            // TEXT admits no control characters but the tab.
            if (c.unicode() == u'\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7F))
                out += c;
        }
    }
    return out;
}

QByteArray ICalendarWriter::foldLine(QStringView line)
{
    const QByteArray utf8 = line.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / 70 * 3 + 2);
    int used = 0;
    for (qsizetype i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        length = std::min(length, utf8.size() - i);
        if (used + length > MaxLineOctets) {
            out += "\r\n ";
            used = 1;
        }
        out.append(utf8.constData() + i, length);
        used += int(length);
        i += length;
    }
    out += "\r\n";
    return out;
}

QString ICalendarWriter::itemUid(const TItemRec &item, int itemIndex, QStringView series)
{
    // What the item is and when it falls due; the memo, the shown days and
    // what the device records may change without making it another event,
    // so a calendar that imports the file again updates it in place.
    QByteArray key;
    {
        QDataStream s(&key, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_6_0);
        s << qint32(itemIndex) << quint8(item.Kind) << item.Title << item.HasStart;
        if (item.HasStart)
            s << std::floor(item.StartDate);
        s << item.HasEnd;
        if (item.HasEnd)
            s << std::floor(item.EndDate);
        for (int m = 1; m <= 12; ++m)
            s << item.Month(m);
        s << qint32(item.Day(1)) << qint32(item.Day(2));
        for (int w = 0; w < 7; ++w)
            s << item.Weekday(w) << item.ShiftDay(w);
        s << qint32(item.WeekParity) << item.ShiftHoliday << qint32(item.ShiftDir);
    }
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20);
    QString uid = QString::number(itemIndex + 1) + u'-' + QString::fromLatin1(hash);
    if (!series.isEmpty())
        uid += u'-' + series.toString();
    return uid + QStringLiteral("@tidemark");
}

QByteArray ICalendarWriter::itemEvents(const TItemRec &item, int itemIndex, int from, int to)
{
    if (from > to)
        return {};
    // Shown days play no part here: a copy without them gives the
    // occurrences whose target day or period meets the range.
    std::unique_ptr<TItemRec> plain = NewItemOfKind(item.Kind);
    if (!plain)
        return {};
    plain->Assign(item);
    plain->BeforeDays = 0;
    plain->AfterDays = 0;
    std::vector<Occurrence> occurrences;
    for (const Occurrence &o : m_evaluator.itemOccurrences(*plain, itemIndex, from, to))
        if (o.target >= from && o.target <= to)
            occurrences.push_back(o);
    if (occurrences.empty())
        return {};

    const QDateTime stamp = (m_stamp.isValid() ? m_stamp : Clock::now()).toUTC();
    const QString dtstamp = stamp.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString summary = escapeText(item.Title);
    const QString description = escapeText(item.MemoText);

    Output out;
    // Everything an event carries besides its days.
    auto body = [&] {
        out.line(QStringLiteral("SUMMARY"), summary);
        if (!description.isEmpty())
            out.line(QStringLiteral("DESCRIPTION"), description);
        out.line(QStringLiteral("TRANSP:TRANSPARENT"));
        if (item.BeforeDays > 0) {
            out.line(QStringLiteral("BEGIN:VALARM"));
            out.line(QStringLiteral("ACTION:DISPLAY"));
            out.line(QStringLiteral("DESCRIPTION"), summary);
            out.line(QStringLiteral("TRIGGER:-P%1D").arg(item.BeforeDays));
            out.line(QStringLiteral("END:VALARM"));
        }
    };
    // A period read from CSV may end in year 9999; DATE has four digits.
    static const int lastEnd = int(EncodeDate(9999, 12, 31));
    auto begin = [&](const QString &uid, int start, int last) {
        out.line(QStringLiteral("BEGIN:VEVENT"));
        out.line(QStringLiteral("UID"), uid);
        out.line(QStringLiteral("DTSTAMP"), dtstamp);
        out.line(QStringLiteral("DTSTART;VALUE=DATE"), icalDate(start));
        out.line(QStringLiteral("DTEND;VALUE=DATE"), icalDate(std::min(last + 1, lastEnd)));
    };
    auto end = [&] { out.line(QStringLiteral("END:VEVENT")); };

    if (item.Kind != KindDate && item.Kind != KindDay) {
        for (const Occurrence &o : occurrences) {
            begin(itemUid(item, itemIndex), o.target, o.lastDay);
            body();
            end();
        }
        return out.bytes;
    }

    std::vector<Series> series = seriesOf(item, from, to);
    if (series.empty())
        return {};
    for (const Occurrence &o : occurrences) {
        // Odd or even weeks: the series of the nominal day's weekday.
        auto s = std::find_if(series.begin(), series.end(),
            [&](const Series &one) { return one.weekday < 0 || one.weekday == ItemWeekday(o.nominal); });
        if (s != series.end())
            s->occurrences.push_back(o);
    }

    for (const Series &s : series) {
        if (s.occurrences.empty())
            continue;
        // Rule day -> target day of the instance that keeps it.
        std::map<int, int> kept;
        std::vector<const Occurrence *> left;
        const auto isRuleDay = [&](int day) { return std::binary_search(s.ruleDays.begin(), s.ruleDays.end(), day); };
        for (const Occurrence &o : s.occurrences) {
            if (isRuleDay(o.nominal) && !kept.count(o.nominal))
                kept[o.nominal] = o.target;
            else
                left.push_back(&o);
        }
        // A merged occurrence may still sit on a rule day of its own.
        std::vector<int> added;
        for (const Occurrence *o : left) {
            if (isRuleDay(o->target) && !kept.count(o->target))
                kept[o->target] = o->target;
            else
                added.push_back(o->target);
        }
        std::sort(added.begin(), added.end());
        const QString uid = itemUid(item, itemIndex, s.uidPart);

        if (kept.empty()) {
            begin(uid, added.front(), added.front());
            if (added.size() > 1)
                out.line(QStringLiteral("RDATE;VALUE=DATE"), dateList({added.begin() + 1, added.end()}));
            body();
            end();
            continue;
        }
        const int first = kept.begin()->first;
        std::vector<int> excluded;
        for (int day : s.ruleDays)
            if (day > first && !kept.count(day))
                excluded.push_back(day);
        begin(uid, first, first);
        out.line(QStringLiteral("RRULE"), s.rule + QStringLiteral(";UNTIL=") + icalDate(to));
        if (!excluded.empty())
            out.line(QStringLiteral("EXDATE;VALUE=DATE"), dateList(excluded));
        if (!added.empty())
            out.line(QStringLiteral("RDATE;VALUE=DATE"), dateList(added));
        body();
        end();
        for (const auto &[nominal, target] : kept) {
            if (nominal == target)
                continue;
            begin(uid, target, target);
            out.line(QStringLiteral("RECURRENCE-ID;VALUE=DATE"), icalDate(nominal));
            body();
            end();
        }
    }
    return out.bytes;
}

QByteArray ICalendarWriter::write(const TData &data, int from, int to)
{
    Output out;
    out.line(QStringLiteral("BEGIN:VCALENDAR"));
    out.line(QStringLiteral("VERSION:2.0"));
    out.line(QStringLiteral("PRODID:-//Tidemark//Tidemark//JA"));
    out.line(QStringLiteral("CALSCALE:GREGORIAN"));
    for (int i = 0; i < data.count(); ++i)
        out.bytes += itemEvents(*data.at(i), i, from, to);
    out.line(QStringLiteral("END:VCALENDAR"));
    return out.bytes;
}

void SaveICalendar(const TData &data, const HolidayRules &rules, int from, int to, const QString &path)
{
    ScheduleEvaluator evaluator(rules);
    ICalendarWriter writer(evaluator);
    const QByteArray bytes = writer.write(data, from, to);
    DocumentSaveFile file(path);
    file.open();
    file.write(bytes);
    file.commit();
}
