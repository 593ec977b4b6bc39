#pragma once

#include "schedule/Schedule.h"

#include <QString>

// Texts the schedule views share.
namespace ScheduleText {

// "2026/12/30(水)"
QString DayWithWeekday(int day);
// "12/31(木)": a moved day or a period's end lies near its target.
QString ShortDayWithWeekday(int day);
// "曜日", "祝日" or empty.
QString ReasonText(ShiftReason reason);
// "2026/12/30(水) ←12/31(木) 祝日" or "2026/12/30(水)"; a period adds
// "〜" and its last day.
QString TargetText(const Occurrence &occurrence);
// The last shown day, or "済まで".
QString ShownToText(const Occurrence &occurrence);

// The editor's line for an item: its next target days from `today`, or why
// there are none.
QString NextTargetsLine(ScheduleEvaluator &evaluator, const TItemRec &item, int today, int count = 3);

} // namespace ScheduleText
