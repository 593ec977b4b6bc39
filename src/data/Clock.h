#pragma once

#include <QDate>
#include <QDateTime>

// The one source of "now". Tests fix it so that anything that depends on
// today (start dates, the week label, the calendar's first month) is stable.
namespace Clock {

QDateTime now();
QDate today();
double todayValue();

void setFixed(const QDateTime &now);
void clearFixed();

} // namespace Clock
