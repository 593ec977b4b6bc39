#include "schedule/ScheduleText.h"

#include "data/DateValue.h"
#include "data/ItemRec.h"

namespace ScheduleText {

QString DayWithWeekday(int day)
{
    return FormatDateSlash(day) + u'(' + WeekdayNames[size_t(ItemWeekday(day))] + u')';
}

QString ShortDayWithWeekday(int day)
{
    int y, m, d;
    DecodeDate(day, y, m, d);
    return QStringLiteral("%1/%2(%3)")
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(WeekdayNames[size_t(ItemWeekday(day))]);
}

QString ReasonText(ShiftReason reason)
{
    switch (reason) {
    case ShiftReason::Weekday:
        return QStringLiteral("曜日");
    case ShiftReason::Holiday:
        return QStringLiteral("祝日");
    case ShiftReason::None:
        break;
    }
    return QString();
}

QString TargetText(const Occurrence &o)
{
    QString text = DayWithWeekday(o.target);
    if (o.lastDay != o.target)
        text += u'〜' + ShortDayWithWeekday(o.lastDay);
    if (o.moved())
        text += QStringLiteral(" ←") + ShortDayWithWeekday(o.nominal) + u' ' + ReasonText(o.reason);
    return text;
}

QString ShownToText(const Occurrence &o)
{
    return o.openEnd ? QStringLiteral("済まで") : FormatDateSlash(o.shownTo);
}

QString NextTargetsLine(ScheduleEvaluator &evaluator, const TItemRec &item, int today, int count)
{
    if (HasNoTargetDay(item))
        return QStringLiteral("不定期: 開始日がないので対象日はありません");
    const QList<Occurrence> next = evaluator.nextOccurrences(item, today, count);
    if (next.isEmpty()) {
        if (item.Kind == KindOnce || item.Kind == KindIrregular) {
            const QList<Occurrence> past
                = evaluator.itemOccurrences(item, 0, ScheduleEvaluator::firstNominalDay(), today);
            if (!past.isEmpty())
                return QStringLiteral("次の対象日はありません（%1 は過ぎています）")
                    .arg(DayWithWeekday(past[0].target));
        }
        return QStringLiteral("次の対象日はありません（2099年まで。ずらし先が31日以内にない日は対象外です）");
    }
    QStringList parts;
    for (const Occurrence &o : next)
        parts << TargetText(o);
    return QStringLiteral("次の対象日: ") + parts.join(u'、');
}

} // namespace ScheduleText
