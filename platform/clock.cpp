#include "platform/clock.h"

#include <cmath>

namespace platform {

namespace {

// Julian day of 30.12.1899, day 0 of the date-time values.
constexpr qint64 kJulianDayZero = 2415019;

std::function<double()> &ClockOverride()
{
    static std::function<double()> now;
    return now;
}

} // namespace

qint32 DayFromDate(QDate date)
{
    return static_cast<qint32>(date.toJulianDay() - kJulianDayZero);
}

QDate DateFromDay(qint32 day)
{
    return QDate::fromJulianDay(kJulianDayZero + day);
}

double DateTimeFromQDateTime(const QDateTime &dt)
{
    const QTime t = dt.time();
    const double fraction = t.msecsSinceStartOfDay() / 86400000.0;
    return DayFromDate(dt.date()) + fraction;
}

qint32 WholeDay(double dateTime)
{
    return static_cast<qint32>(std::trunc(dateTime));
}

double Now()
{
    if (const auto &now = ClockOverride())
        return now();
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

qint32 Today()
{
    return WholeDay(Now());
}

void SetClockForTesting(std::function<double()> now)
{
    ClockOverride() = std::move(now);
}

} // namespace platform
