#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

namespace platform {

// Date-time values are days since 30.12.1899 00:00 with the time of day as
// fraction; their whole day is a day number (30.12.1899 is day 0).

// The current local date and time.
double Now();
// The whole day of Now().
qint32 Today();
// Tests fix the clock here; an empty function restores the real one.
void SetClockForTesting(std::function<double()> now);

qint32 DayFromDate(QDate date);
QDate DateFromDay(qint32 day);
double DateTimeFromQDateTime(const QDateTime &dt);
// Whole day of a date-time value (fraction dropped toward zero).
qint32 WholeDay(double dateTime);

} // namespace platform
