#include "core/calendar.h"

namespace core {

namespace {

// Day 0 (30.12.1899) counted from 01.03.0000, the start of a 400-year cycle
// whose leap day falls at the very end of each year.
constexpr std::int64_t DaysFromCycleStartToDayZero = 693899;
constexpr std::int64_t DaysPer400Years = 146097;

int DaysInMonth(int year, int month)
{
    static constexpr int days[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Floor division, so dates before year 0 fall into the right cycle.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Ymd DecodeDay(std::int32_t day)
{
    // 64-bit throughout: a 32-bit day number shifted to the cycle start no
    // longer fits 32 bits near the ends of the range.
    const std::int64_t z = std::int64_t { day } + DaysFromCycleStartToDayZero;
    const std::int64_t cycle = FloorDiv(z, DaysPer400Years);
    const std::int64_t dayOfCycle = z - cycle * DaysPer400Years; // 0..146096
    const std::int64_t yearOfCycle
        = (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365; // 0..399
    const std::int64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 = March .. 11 = February
    const int dayOfMonth = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const std::int64_t year = cycle * 400 + yearOfCycle + (month <= 2 ? 1 : 0);
    return { static_cast<int>(year), month, dayOfMonth };
}

std::optional<std::int32_t> EncodeDay(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    const int y = month <= 2 ? year - 1 : year; // years start in March here
    const int shiftedMonth = month > 2 ? month - 3 : month + 9;
    const int cycle = y / 400; // y >= 0, so plain division is floor division
    const int yearOfCycle = y - cycle * 400;
    const int dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const int dayOfCycle = 365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100 + dayOfYear;
    return static_cast<std::int32_t>(
        std::int64_t { cycle } * DaysPer400Years + dayOfCycle - DaysFromCycleStartToDayZero);
}

} // namespace core
