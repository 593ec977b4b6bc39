#include "data/Clock.h"

#include "data/DateValue.h"

namespace {
QDateTime fixedNow;
}

namespace Clock {

QDateTime now()
{
    return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

double todayValue()
{
    return QDateToDateValue(today());
}

void setFixed(const QDateTime &now)
{
    fixedNow = now;
}

void clearFixed()
{
    fixedNow = {};
}

} // namespace Clock
